// The subcommands of vexmora-cli. Each returns the process exit status:
// 0 success, 1 failure (bad picture, stopped or failed generation), 2 usage
// errors (bad options, unknown names).
#pragma once

#include <optional>
#include <string>
#include <vector>

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct MakeOptions {
  std::string m_csPicture;
  std::string m_csXform;       // catalogue name; empty with --wizard or --recipe
  bool m_bWizard = false;      // "Wizard chooses all"
  std::optional<long long> m_iSeed;
  std::optional<std::string> m_csQuality;
  std::optional<std::string> m_csMix;
  std::optional<std::string> m_csMixSelect;
  std::optional<std::string> m_csSelect;
  std::vector<std::string> m_aSet;
  int m_iCount = 1;
  int m_iJobs = 1;
  std::string m_csOutput;      // empty: "<picture stem>_idea%d.png"
  std::string m_csRecipe;      // read the whole recipe from this file
  std::string m_csSaveRecipe;  // write each idea's recipe ("%d" for several)
  std::string m_csSaveSequence;  // write every idea of the run as one sequence file
  bool m_bQuiet = false;
};

struct RenderOptions {
  std::string m_csSequence;
  std::optional<std::string> m_csIdeas;    // "1,3,5-9"; all ideas when not given
  std::optional<std::string> m_csQuality;  // each idea's own quality when not given
  std::string m_csOutput;                  // empty: "<sequence stem>_idea%d.png"
  int m_iJobs = 1;
  bool m_bQuiet = false;
};

// sheet: ideas laid out as one picture, a caption under each.
constexpr int kMaxSheetIdeas = 100;
// The most ideas one make makes (days of work at the least; a count beyond
// is a typing slip).
constexpr int kMaxMakeIdeas = 1000000;
constexpr int kMinSheetCellWidth = 16;
constexpr int kMaxSheetCellWidth = 4096;

struct SheetOptions {
  std::string m_csPicture;
  std::string m_csXform;  // catalogue name; empty with --wizard
  bool m_bWizard = false;
  std::optional<long long> m_iSeed;
  std::optional<std::string> m_csQuality;
  int m_iCount = 9;
  std::optional<int> m_iColumns;  // default: as many as make a square
  int m_iCellWidth = 240;
  std::string m_csOutput;        // empty: "<picture stem>_sheet.png"
  std::string m_csSaveSequence;  // the ideas' recipes as a sequence file
  std::optional<int> m_iJobs;    // default: as many at once as cores and memory allow
  bool m_bQuiet = false;
};

int RunMake(const MakeOptions& opt);
// Makes the ideas make would make (same picture, Xform, seed, count and
// quality), all at once within the cores and memory, and lays them out as
// one picture with a caption under each (number, Xform, seed).
int RunSheet(const SheetOptions& opt);
// Makes ideas of a sequence file from its picture, each exactly as its
// recipe made it (the same bytes as make --recipe at the same quality).
int RunRender(const RenderOptions& opt);
int RunConvert(const std::string& csIn, const std::string& csOut);
int RunInfo(const std::string& csPath);
int RunList();
int RunDescribe(const std::string& csXform);

// Installs the Ctrl-C handler: the first interrupt sets the stop flag.
void InstallInterruptHandler();
