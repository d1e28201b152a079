#include "cli/commands.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "cli/cli_options.h"
#include "engine/filter_thread.h"
#include "engine/idea_batch.h"
#include "engine/contact_sheet.h"
#include "engine/recipe.h"
#include "engine/sequence_file.h"
#include "imaging/codecs/image_desc.h"
#include "imaging/dadc.h"
#include "imaging/file_utils.h"
#include "imaging/image_files.h"
#include "imaging/packed_dib.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "xforms/form_text.h"
#include "xforms/progress.h"

namespace {

std::atomic<int> s_bInterrupted{0};
// The stop flags of the jobs of the running make, one per job; published
// while the jobs run so that an interrupt reaches every one of them.
std::atomic<std::atomic<int>*> s_pJobStops{nullptr};
std::atomic<int> s_iJobStops{0};
static_assert(std::atomic<int>::is_always_lock_free &&
              std::atomic<std::atomic<int>*>::is_always_lock_free);

// Outputs being written now: a forced exit waits for them, so that no
// output is left half-written.
std::atomic<int> s_iWriting{0};
std::atomic<int> s_iSignal{0};

extern "C" void OnGraceOver(int) {
  // The stop flags have had their second: whatever still runs is left.
  if (s_iWriting.load() > 0) {
    alarm(1);
    return;
  }
  RemoveUnfinishedFiles();
  _exit(128 + s_iSignal.load());
}

extern "C" void OnInterrupt(int iSignal) {
  // Only lock-free atomic loads and stores, alarm, unlink and _exit here:
  // they are safe in a signal handler. A second signal ends the program at
  // once, without the files it was writing.
  if (s_bInterrupted.exchange(1)) {
    RemoveUnfinishedFiles();
    _exit(128 + iSignal);
  }
  s_iSignal.store(iSignal);
  // The jobs stop at their Xform's next stop point; one that has none
  // within a second does not keep the program.
  alarm(1);
  // The flag comes first: a job checks it before its next idea.
  std::atomic<int>* pStops = s_pJobStops.load();
  const int iStops = pStops ? s_iJobStops.load() : 0;
  for (int i = 0; i < iStops; ++i) pStops[i].store(1);
}

void Fail(const std::string& cs) { std::fprintf(stderr, "vexmora-cli: %s\n", cs.c_str()); }

// While it lives, an output is being written (see OnGraceOver).
class CWriting {
 public:
  CWriting() { ++s_iWriting; }
  ~CWriting() { --s_iWriting; }
  CWriting(const CWriting&) = delete;
  CWriting& operator=(const CWriting&) = delete;
};

// An input that exists but is not a regular file (a pipe, a device, a
// folder) is refused before it is opened: opening a pipe would wait for a
// writer.
bool RegularInput(const std::string& csPath) {
  struct stat st {};
  if (stat(csPath.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return true;
  Fail("cannot read " + csPath + ": not a regular file");
  return false;
}

// An output never writes through a symbolic link: a link of that name is
// removed first, so the file takes its place (as for a dangling link) and
// the file it pointed to is left alone.
void ReplaceLink(const std::string& csPath) {
  struct stat st {};
  if (lstat(csPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) unlink(csPath.c_str());
}

std::unique_ptr<CDADC> LoadPicture(const std::string& csPath) {
  if (!RegularInput(csPath)) return nullptr;
  return OpenImageSurface(csPath.c_str(), kImageFromName);
}

// Whether two output names are one file (compared as absolute paths).
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec1, ec2;
  const std::filesystem::path pa = std::filesystem::absolute(a, ec1).lexically_normal();
  const std::filesystem::path pb = std::filesystem::absolute(b, ec2).lexically_normal();
  return !ec1 && !ec2 && pa == pb;
}

// Whether two output patterns name one file for some idea of a run of iCount.
bool SameOutput(const std::string& a, const std::string& b, int iCount) {
  if (a.empty() || b.empty()) return false;
  for (int n = 1; n <= std::min(iCount, 2); ++n)
    if (SameFile(OutputName(a, n), OutputName(b, n))) return true;
  return false;
}

// Whether writing the files of an output pattern for these idea numbers
// would put one of them in the place of the file csInput (the picture, the
// recipe or the sequence being read). An output that is a link is replaced
// itself (ReplaceLink), so only the entry that is the input counts.
bool WritesOverInput(const std::string& csPattern, const std::vector<int>& aNumbers,
                     const std::string& csInput) {
  struct stat in {};
  if (csPattern.empty() || csInput.empty() || stat(csInput.c_str(), &in) != 0) return false;
  // Only an output of the input's own name (or of the file its link names)
  // can be that file: the others are not looked up.
  const auto FileName = [](const std::string& cs) { return cs.substr(cs.rfind('/') + 1); };
  std::error_code error;
  const std::string csName = FileName(csInput);
  const std::string csTarget = FileName(std::filesystem::canonical(csInput, error).string());
  // Without a number slot every idea has the one name.
  const std::size_t iNames = HasNumberSlot(csPattern) ? aNumbers.size() : 1;
  for (std::size_t i = 0; i < iNames && i < aNumbers.size(); ++i) {
    const std::string csOutput = OutputName(csPattern, aNumbers[i]);
    const std::string csOutputName = FileName(csOutput);
    struct stat out {};
    if ((csOutputName == csName || csOutputName == csTarget) &&
        lstat(csOutput.c_str(), &out) == 0 && out.st_dev == in.st_dev && out.st_ino == in.st_ino)
      return true;
  }
  return false;
}

// The first of the outputs that would write over one of the inputs, as a
// usage message; empty when none does.
std::string OutputOverInput(
    const std::vector<std::pair<const char*, const std::string*>>& aOutputs,
    const std::vector<int>& aNumbers, const std::vector<const std::string*>& aInputs) {
  for (const auto& [szOption, pPattern] : aOutputs)
    for (const std::string* pInput : aInputs)
      if (WritesOverInput(*pPattern, aNumbers, *pInput))
        return std::string(szOption) + " would write over " + *pInput + ", which this run reads";
  return {};
}

// A --save-sequence that could not be written or read back, known before
// the ideas are made: the usage message, or empty.
std::string SaveSequenceProblem(const std::string& csPicture, int iCount,
                                const std::string& csSequence) {
  if (csSequence.empty()) return {};
  const std::string csWhy =
      SequenceStoreProblem(csPicture, static_cast<std::size_t>(iCount), csSequence);
  return csWhy.empty() ? csWhy : "--save-sequence: " + csWhy;
}

// An idea the Xform refused, with its reason (which names the Xform itself)
// when it gave one.
std::string UnmadeIdeaText(int iNumber, int iXform, const std::string& csWhy) {
  return "idea " + std::to_string(iNumber) +
         (csWhy.empty() ? std::string(" (") + GetXformName(iXform) + ") could not be made"
                        : " could not be made: " + csWhy);
}

constexpr const char* kPictureNames = " must end in .bmp, .png, .jpg, .tga or .pcx";

// Whether the name ends in the extension of a format the program writes.
bool IsPictureName(const std::string& csPath) {
  const std::size_t iDot = csPath.find_last_of("./");
  if (iDot == std::string::npos || csPath[iDot] != '.') return false;
  const std::string csExt = csPath.substr(iDot + 1);
  for (const char* sz : {"bmp", "png", "jpg", "tga", "pcx"})
    if (strcasecmp(csExt.c_str(), sz) == 0) return true;
  return false;
}

std::string Stem(const std::string& csPath) {
  std::size_t iStart = csPath.find_last_of('/');
  iStart = iStart == std::string::npos ? 0 : iStart + 1;
  std::size_t iDot = csPath.find_last_of('.');
  if (iDot == std::string::npos || iDot < iStart) iDot = csPath.size();
  return csPath.substr(iStart, iDot - iStart);
}

// Progress on stderr: a bar redrawn in place on a terminal; otherwise one
// plain line per new status text of an idea, naming the idea
// ("idea 3: Wind..."), printed by the job that makes it.
class CProgressDisplay {
 public:
  CProgressDisplay(bool bQuiet, int iCount)
      : m_bQuiet(bQuiet), m_bTerminal(isatty(STDERR_FILENO) == 1), m_iCount(iCount) {}

  bool Lines() const { return !m_bQuiet && !m_bTerminal; }
  void Show(int iPercent, int iDone, const std::string& csText) {
    if (m_bQuiet || !m_bTerminal) return;
    std::lock_guard lock(m_mutex);
    if (iPercent < 0) iPercent = 0;
    if (iPercent > 100) iPercent = 100;
    char szBar[31];
    const int iFill = iPercent * 30 / 100;
    for (int i = 0; i < 30; ++i) szBar[i] = i < iFill ? '#' : '.';
    szBar[30] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%% %-40s idea %d of %d", szBar, iPercent, csText.c_str(),
                 iDone < m_iCount ? iDone + 1 : m_iCount, m_iCount);
    std::fflush(stderr);
    m_bLineOpen = true;
  }
  // A status text of idea iNumber, when it differs from that idea's last one.
  void Status(int iNumber, const std::string& csText, std::string& csLast) {
    if (!Lines() || csText.empty() || csText == csLast) return;
    csLast = csText;
    Line("idea " + std::to_string(iNumber) + ": " + csText);
  }
  void Line(const std::string& cs) {
    std::lock_guard lock(m_mutex);
    if (m_bLineOpen) std::fprintf(stderr, "\r%90s\r", "");
    m_bLineOpen = false;
    if (!m_bQuiet) std::fprintf(stderr, "%s\n", cs.c_str());
  }
  void End() {
    std::lock_guard lock(m_mutex);
    if (m_bLineOpen) std::fprintf(stderr, "\r%90s\r", "");
    m_bLineOpen = false;
  }

 private:
  std::mutex m_mutex;
  bool m_bQuiet;
  bool m_bTerminal;
  int m_iCount;
  bool m_bLineOpen = false;
};

// The idea a job thread makes: the status texts its generation reports on
// that thread are the idea's own (its job's CStatusTextScope).
struct CJobIdea {
  CProgressDisplay* m_pDisplay = nullptr;
  const CStatusText* m_pStatus = nullptr;
  int m_iNumber = 0;
  std::string m_csLast;
};
thread_local CJobIdea t_jobIdea;

// The progress hook: called on the thread that sets a status text.
void OnStatusText(int iPercent, const char* szText) {
  if (iPercent >= 0 || !szText || !t_jobIdea.m_pDisplay) return;
  t_jobIdea.m_pDisplay->Status(t_jobIdea.m_iNumber, t_jobIdea.m_pStatus->Get(),
                               t_jobIdea.m_csLast);
}

struct MakePlan {
  CFilSpec m_Base;
  bool m_bFromRecipe = false;
  bool m_bWizard = false;
  std::optional<MixSettings> m_Mix;        // user's mix, kept over the wizard's
  std::optional<AreaSelection> m_Select;   // user's selection, likewise
  int m_iQuality = 1;
  std::uint32_t m_iFirstSeed = 0;
  std::string m_csOutput;
  std::string m_csSaveRecipe;
  std::string m_csSaveSequence;
  // render: the sequence's ideas, each replayed as its recipe, at the
  // quality given on the command line or else at its own.
  const std::vector<Recipe>* m_pIdeas = nullptr;
  std::optional<int> m_iQualityOverride;
};

// Refused: the settings do not suit the picture (a usage error, exit 2).
enum class EIdea { Made, Stopped, Failed, Refused };

// Settings that validation refused, with its reason (the Xform's name, the
// fields and the rule) when it gave one.
EIdea RefuseIdea(int iNumber, const CFilSpec& spec, const std::string& csWhy) {
  Fail("idea " + std::to_string(iNumber) + ": " +
       (csWhy.empty() ? std::string(GetXformName(spec.m_iXform)) +
                            ": these settings do not suit the picture"
                      : csWhy));
  return EIdea::Refused;
}

// The recipe of idea iNumber and its quality: chosen from its seed (unless
// replaying a recipe) and validated for the picture. Made when the recipe is
// ready; Failed or Refused (said why) when it cannot be made.
EIdea ChooseIdea(const MakePlan& plan, const CDADC& in, int iNumber, CFilSpec& spec, int& q) {
  spec = plan.m_Base;
  q = plan.m_iQuality;
  if (plan.m_pIdeas) {
    const Recipe& idea = (*plan.m_pIdeas)[static_cast<std::size_t>(iNumber - 1)];
    spec = idea.m_Spec;
    q = plan.m_iQualityOverride.value_or(idea.m_iQuality);
  } else {
    spec.m_iSeed = static_cast<std::int32_t>(BatchSeed(plan.m_iFirstSeed, iNumber));
  }
  if (!plan.m_bFromRecipe) {
    // The choices of the idea depend on its seed alone, whichever thread makes it.
    SeedRandom(static_cast<unsigned int>(spec.m_iSeed));
    if (plan.m_bWizard) {
      std::int32_t aUsage[kXformCount];
      InitUsageCounts(aUsage);
      spec.ChooseRandomXform(aUsage, false);
      if (plan.m_Mix) spec.m_Mix = *plan.m_Mix;
      if (plan.m_Select) spec.m_Select = *plan.m_Select;
    }
  }
  if (!CFilSpec::IsBuilt(spec.m_iXform)) {
    Fail(std::string("Xform \"") + GetXformName(spec.m_iXform) + "\" is not yet available");
    return EIdea::Failed;
  }
  if (plan.m_bFromRecipe) {
    // A recipe holds its record as it was drawn: the wizard chose some values
    // after validation, outside what validation would make of them (the
    // reader has range-checked every value). Validation only says whether
    // this picture can take the recipe; the record replays unchanged.
    CFilSpec checked = spec;
    std::string csWhy;
    if (!checked.Effect(in.m_iWidth, in.m_iHeight, &csWhy)) return RefuseIdea(iNumber, spec, csWhy);
    return EIdea::Made;
  }
  std::string csWhy;
  if (!spec.Effect(in.m_iWidth, in.m_iHeight, &csWhy)) return RefuseIdea(iNumber, spec, csWhy);
  spec.Autochoose(&in);
  return EIdea::Made;
}

// One idea on the calling thread: choose, generate, write.
EIdea MakeIdea(const MakePlan& plan, CDADC& in, int iNumber, std::atomic<int>& progress,
               std::atomic<int>& stop, CProgressDisplay& display, Recipe& made) {
  CFilSpec spec;
  int q = 1;
  if (const EIdea eChosen = ChooseIdea(plan, in, iNumber, spec, q); eChosen != EIdea::Made)
    return eChosen;

  auto pOut = std::make_unique<CDADC>(in.m_iWidth * q, in.m_iHeight * q);
  CDADC drw(in.m_iWidth, in.m_iHeight);
  if (!pOut->IsValid() || !drw.IsValid()) {
    Fail("not enough memory for the picture at this quality");
    return EIdea::Failed;
  }
  spec.SetDCs(&drw, pOut.release(), &in);
  spec.m_Context.m_pPercent = &progress;
  spec.m_Context.m_pStop = &stop;
  const EGeneration eResult = FilterThreadProc(spec);
  if (eResult == EGeneration::Stopped || s_bInterrupted) return EIdea::Stopped;
  if (eResult == EGeneration::Failed) {
    Fail(UnmadeIdeaText(iNumber, spec.m_iXform, spec.ApplyRefusal()));
    return EIdea::Failed;
  }
  const CWriting writing;
  const std::string csOut = OutputName(plan.m_csOutput, iNumber);
  ReplaceLink(csOut);
  if (!drw.WriteImageFile(csOut.c_str())) {
    Fail("could not write " + csOut);
    return EIdea::Failed;
  }
  made.m_Spec = spec;
  made.m_Spec.m_Context = XformContext{};
  made.m_iQuality = q;
  if (!plan.m_csSaveRecipe.empty()) {
    std::string csError;
    const std::string csRecipe = OutputName(plan.m_csSaveRecipe, iNumber);
    ReplaceLink(csRecipe);
    if (!WriteRecipeFile(csRecipe, made, csError)) {
      Fail(csError);
      return EIdea::Failed;
    }
  }
  display.Line("idea " + std::to_string(iNumber) + ": " + GetXformName(spec.m_iXform) + ", seed " +
               std::to_string(spec.m_iSeed) + " -> " + csOut);
  return EIdea::Made;
}

int PlanRecipe(const MakeOptions& opt, MakePlan& plan);

// Usage checks and the base recipe; kExitOk when the plan is ready.
int PlanMake(const MakeOptions& opt, MakePlan& plan) {
  std::string csError;
  auto usage = [](const std::string& cs) {
    Fail(cs);
    return kExitUsage;
  };
  if (opt.m_iCount < 1 || opt.m_iCount > kMaxMakeIdeas)
    return usage("--count must be 1 to " + std::to_string(kMaxMakeIdeas));
  if (opt.m_iJobs < 1) return usage("--jobs must be at least 1");
  const int iSources = !opt.m_csXform.empty() + opt.m_bWizard + !opt.m_csRecipe.empty();
  if (iSources == 0) return usage("name an Xform, or give --wizard or --recipe");
  if (iSources > 1) return usage("an Xform name, --wizard and --recipe exclude each other");
  if (opt.m_bWizard && !opt.m_aSet.empty())
    return usage("--set needs a named Xform (the wizard chooses every value)");

  plan.m_csOutput = opt.m_csOutput.empty() ? Stem(opt.m_csPicture) + "_idea%d.png" : opt.m_csOutput;
  plan.m_csSaveRecipe = opt.m_csSaveRecipe;
  plan.m_csSaveSequence = opt.m_csSaveSequence;
  if (opt.m_iCount > 1 && !HasNumberSlot(plan.m_csOutput))
    return usage("with --count above 1, -o needs a %d for the idea number");
  // Known before a long generation rather than after it.
  if (!IsPictureName(OutputName(plan.m_csOutput, 1)))
    return usage("the output " + QuotedValue(plan.m_csOutput) + kPictureNames);
  if (opt.m_iCount > 1 && !plan.m_csSaveRecipe.empty() && !HasNumberSlot(plan.m_csSaveRecipe))
    return usage("with --count above 1, --save-recipe needs a %d for the idea number");
  // One file written twice would keep only the last of them.
  if (SameOutput(plan.m_csOutput, plan.m_csSaveRecipe, opt.m_iCount))
    return usage("-o and --save-recipe name the same file");
  if (SameOutput(plan.m_csOutput, plan.m_csSaveSequence, opt.m_iCount) ||
      SameOutput(plan.m_csSaveRecipe, plan.m_csSaveSequence, opt.m_iCount))
    return usage("--save-sequence names the same file as -o or --save-recipe");
  // The run's own input is never replaced by what it makes.
  std::vector<int> aNumbers(static_cast<std::size_t>(opt.m_iCount));
  for (int n = 1; n <= opt.m_iCount; ++n) aNumbers[static_cast<std::size_t>(n - 1)] = n;
  const std::string csOver = OutputOverInput(
      {{"-o", &plan.m_csOutput}, {"--save-recipe", &plan.m_csSaveRecipe},
       {"--save-sequence", &plan.m_csSaveSequence}},
      aNumbers, {&opt.m_csPicture, &opt.m_csRecipe});
  if (!csOver.empty()) return usage(csOver);
  if (const std::string csWhy = SaveSequenceProblem(opt.m_csPicture, opt.m_iCount,
                                                     plan.m_csSaveSequence);
      !csWhy.empty())
    return usage(csWhy);
  return PlanRecipe(opt, plan);
}

// The base recipe, quality and first seed of a plan; kExitOk when ready.
int PlanRecipe(const MakeOptions& opt, MakePlan& plan) {
  std::string csError;
  auto usage = [](const std::string& cs) {
    Fail(cs);
    return kExitUsage;
  };
  CFilSpec& spec = plan.m_Base;
  bool bSeedKnown = false;
  if (!opt.m_csRecipe.empty()) {
    Recipe recipe;
    // A recipe is input like any option: a value it cannot hold is a usage error.
    if (!ReadRecipeFile(opt.m_csRecipe, recipe, csError)) return usage(csError);
    spec = recipe.m_Spec;
    plan.m_iQuality = recipe.m_iQuality;
    plan.m_bFromRecipe = true;
    plan.m_iFirstSeed = static_cast<std::uint32_t>(spec.m_iSeed);
    bSeedKnown = true;
  } else if (opt.m_bWizard) {
    plan.m_bWizard = true;
  } else {
    const int iXform = ParseXformName(opt.m_csXform, csError);
    if (iXform < 0) return usage(csError);
    spec.m_iXform = iXform;
  }
  if (opt.m_csQuality && !ParseQuality(*opt.m_csQuality, plan.m_iQuality, csError))
    return usage(csError);
  if (opt.m_csMix || opt.m_csMixSelect) {
    MixSettings mix = spec.m_Mix;
    if (opt.m_csMix && !ParseMix(*opt.m_csMix, mix, csError)) return usage(csError);
    if (opt.m_csMixSelect && !ParseSelection(*opt.m_csMixSelect, mix.m_Selection, csError))
      return usage(csError);
    spec.m_Mix = mix;
    plan.m_Mix = mix;
  }
  if (opt.m_csSelect) {
    AreaSelection sel;
    if (!ParseSelection(*opt.m_csSelect, sel, csError)) return usage(csError);
    spec.m_Select = sel;
    plan.m_Select = sel;
  }
  if (!plan.m_bWizard && !CFilSpec::IsBuilt(spec.m_iXform)) {
    Fail(std::string("Xform \"") + GetXformName(spec.m_iXform) + "\" is not yet available");
    return kExitFailure;
  }
  if (!opt.m_aSet.empty()) {
    // Values given by hand are used as they are: the wizard keeps out.
    spec.m_bWizardAll = 0;
    std::int32_t* pWizard = spec.WizardFlag(spec.m_iXform);
    if (pWizard) *pWizard = 0;
    for (const std::string& cs : opt.m_aSet)
      if (!ApplySetting(spec, cs, csError)) return usage(csError);
    // The Xform's wizard would choose over every other value given.
    if (pWizard && *pWizard && opt.m_aSet.size() > 1)
      return usage(
          "--set wizard=on lets the Xform choose every value: give no other --set with it");
  }
  if (opt.m_iSeed) {
    // A typed seed is mixed into the engine's: neighbouring seeds give
    // unrelated ideas. Recipes keep the engine's seed.
    if (*opt.m_iSeed < 0 || *opt.m_iSeed > kMaxTypedSeed)
      return usage("--seed must be a whole number from 0 to " + std::to_string(kMaxTypedSeed));
    plan.m_iFirstSeed = EngineSeed(static_cast<std::uint32_t>(*opt.m_iSeed));
    bSeedKnown = true;
  }
  if (!bSeedKnown) {
    spec.NewSeed();
    plan.m_iFirstSeed = static_cast<std::uint32_t>(spec.m_iSeed);
  }
  return kExitOk;
}

// --jobs within the cores and the memory the ideas need (the one rule of
// IdeasAtOnce). Says so when it lowers the number.
int BoundJobs(int iJobs, int iCount, const CDADC& in, int iQuality,
              unsigned long long iReserved = 0) {
  const CIdeasAtOnce atOnce =
      IdeasAtOnce(iJobs, iCount, in.m_iWidth, in.m_iHeight, iQuality, iReserved);
  if (atOnce.m_iCount < std::min(iJobs, iCount))
    Fail("--jobs " + std::to_string(iJobs) + " lowered to " + std::to_string(atOnce.m_iCount) +
         " (" + atOnce.m_csWhy + ")");
  return atOnce.m_iCount;
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  struct sigaction grace {};
  grace.sa_handler = OnGraceOver;
  sigemptyset(&grace.sa_mask);
  sigaction(SIGALRM, &grace, nullptr);
}

namespace {

// Makes the ideas of these numbers with up to iJobs at once; each made idea's
// recipe lands in aMade (indexed by number - 1) when given.
int RunIdeas(const MakePlan& plan, CDADC& in, const std::vector<int>& aNumbers, int iJobsWanted,
             bool bQuiet, std::vector<std::optional<Recipe>>* pMade) {
  const int iCount = static_cast<int>(aNumbers.size());
  CProgressDisplay display(bQuiet, iCount);
  int iMaxQuality = plan.m_iQualityOverride.value_or(plan.m_iQuality);
  if (plan.m_pIdeas && !plan.m_iQualityOverride)
    for (const int n : aNumbers)
      iMaxQuality = std::max(iMaxQuality, (*plan.m_pIdeas)[static_cast<std::size_t>(n - 1)].m_iQuality);
  const int iJobs = BoundJobs(iJobsWanted, iCount, in, iMaxQuality);
  // The jobs keep the cores busy themselves: each idea shares its rows
  // among its part of the cores only.
  if (iJobs > 1)
    LimitRowBlocks(std::max(1, static_cast<int>(std::thread::hardware_concurrency()) / iJobs));
  std::atomic<int> iNext{0};
  std::atomic<int> iDone{0};
  std::atomic<int> iStopped{0};
  std::atomic<int> iFailed{0};
  std::atomic<int> iRefused{0};
  // Each job has its own progress, stop flag and status text: a job that
  // ends its idea clears only its own flag, never an interrupt meant for the
  // others, and each idea's text is its own.
  std::unique_ptr<std::atomic<int>[]> aProgress(new std::atomic<int>[static_cast<std::size_t>(iJobs)]);
  std::unique_ptr<std::atomic<int>[]> aStop(new std::atomic<int>[static_cast<std::size_t>(iJobs)]);
  std::unique_ptr<CStatusText[]> aStatus(new CStatusText[static_cast<std::size_t>(iJobs)]);
  for (int i = 0; i < iJobs; ++i) aProgress[i] = 0, aStop[i] = 0;
  // An interrupt before this is seen by the jobs before they take an idea.
  s_iJobStops = iJobs;
  s_pJobStops = aStop.get();
  SetProgressHook(OnStatusText);

  std::atomic<int> iRunning{iJobs};
  // A job that ends an idea (or its work) wakes the display at once; between
  // such events the display refreshes its percentage every 50 ms.
  std::mutex mWake;
  std::condition_variable cvWake;
  auto Announce = [&](auto fnChange) {
    {
      std::lock_guard<std::mutex> lock(mWake);
      fnChange();
    }
    cvWake.notify_one();
  };
  auto worker = [&](int iJob) {
    const CStatusTextScope status(aStatus[iJob]);
    for (;;) {
      const int iIndex = s_bInterrupted ? iCount : iNext.fetch_add(1);
      if (iIndex >= iCount) break;
      const int iNumber = aNumbers[static_cast<std::size_t>(iIndex)];
      aProgress[iJob] = 0;
      aStatus[iJob].Set("");
      t_jobIdea = CJobIdea{&display, &aStatus[iJob], iNumber, {}};
      Recipe made;
      switch (MakeIdea(plan, in, iNumber, aProgress[iJob], aStop[iJob], display, made)) {
        case EIdea::Made:
          if (pMade) (*pMade)[static_cast<std::size_t>(iNumber - 1)] = made;
          break;
        case EIdea::Stopped: ++iStopped; break;
        case EIdea::Failed: ++iFailed; break;
        case EIdea::Refused: ++iRefused; break;
      }
      t_jobIdea = CJobIdea{};
      aProgress[iJob] = 0;
      Announce([&] { ++iDone; });
    }
    Announce([&] { --iRunning; });
  };
  std::vector<std::thread> aThreads;
  for (int i = 0; i < iJobs; ++i) {
    try {
      aThreads.emplace_back(worker, i);
    } catch (const std::system_error& e) {
      // The other jobs take its ideas; without any job the ideas all fail.
      Fail("could not start job " + std::to_string(i + 1) + ": " + e.what());
      --iRunning;
      ++iFailed;
    }
  }
  if (!aThreads.empty()) {
    std::unique_lock<std::mutex> lock(mWake);
    while (iRunning > 0) {
      // The bar follows the job furthest on.
      int iPercent = 0, iLead = 0;
      for (int i = 0; i < iJobs; ++i) {
        const int p = aProgress[i].load();
        if (p > iPercent) iPercent = p > 100 ? 100 : p, iLead = i;  // 101: the Xform is done
      }
      const int iShown = iDone;
      display.Show(iPercent, iShown, aStatus[iLead].Get());
      cvWake.wait_for(lock, std::chrono::milliseconds(50),
                      [&] { return iDone != iShown || iRunning == 0; });
    }
    lock.unlock();
    for (std::thread& t : aThreads) t.join();
  }
  SetProgressHook(nullptr);
  s_pJobStops = nullptr;
  s_iJobStops = 0;
  if (aThreads.empty()) return kExitFailure;
  display.End();
  if (s_bInterrupted || iStopped) {
    Fail("stopped: the idea being made was dropped");
    return kExitFailure;
  }
  if (iFailed) return kExitFailure;
  return iRefused ? kExitUsage : kExitOk;
}

}  // namespace

int RunMake(const MakeOptions& opt) {
  MakePlan plan;
  if (const int iStatus = PlanMake(opt, plan); iStatus != kExitOk) return iStatus;
  std::unique_ptr<CDADC> pIn = LoadPicture(opt.m_csPicture);
  if (!pIn) return Fail("cannot read the picture " + opt.m_csPicture), kExitFailure;
  std::vector<int> aNumbers(static_cast<std::size_t>(opt.m_iCount));
  for (int i = 0; i < opt.m_iCount; ++i) aNumbers[static_cast<std::size_t>(i)] = i + 1;
  // The recipes are kept only for the sequence that holds them all.
  std::vector<std::optional<Recipe>> aMade(plan.m_csSaveSequence.empty() ? 0 : aNumbers.size());
  const int iStatus = RunIdeas(plan, *pIn, aNumbers, opt.m_iJobs, opt.m_bQuiet,
                               plan.m_csSaveSequence.empty() ? nullptr : &aMade);
  if (iStatus != kExitOk || plan.m_csSaveSequence.empty()) return iStatus;
  // Every idea was made: the sequence holds them all, the last one current.
  CSequence seq;
  SetSequencePicture(seq, opt.m_csPicture, *pIn);
  for (const std::optional<Recipe>& r : aMade) seq.m_aIdeas.push_back(*r);
  seq.m_iCurrent = static_cast<int>(seq.m_aIdeas.size()) - 1;
  std::string csError;
  const CWriting writing;
  ReplaceLink(plan.m_csSaveSequence);
  if (!WriteSequenceFile(plan.m_csSaveSequence, seq, csError)) return Fail(csError), kExitFailure;
  return kExitOk;
}

int RunRender(const RenderOptions& opt) {
  auto usage = [](const std::string& cs) {
    Fail(cs);
    return kExitUsage;
  };
  if (opt.m_iJobs < 1) return usage("--jobs must be at least 1");
  MakePlan plan;
  std::string csError;
  if (opt.m_csQuality) {
    int q = 1;
    if (!ParseQuality(*opt.m_csQuality, q, csError)) return usage(csError);
    plan.m_iQualityOverride = q;
  }
  CSequence seq;
  // A sequence is input like a recipe: a value it cannot hold is a usage error.
  if (!ReadSequenceFile(opt.m_csSequence, seq, csError)) return usage(opt.m_csSequence + ": " + csError);
  const int iIdeas = static_cast<int>(seq.m_aIdeas.size());
  if (iIdeas == 0) return Fail(opt.m_csSequence + " holds no ideas"), kExitFailure;
  std::vector<int> aNumbers;
  if (!ParseIdeaList(opt.m_csIdeas.value_or("1-" + std::to_string(iIdeas)), iIdeas, aNumbers,
                     csError))
    return usage(csError);
  plan.m_csOutput =
      opt.m_csOutput.empty() ? Stem(opt.m_csSequence) + "_idea%d.png" : opt.m_csOutput;
  if (aNumbers.size() > 1 && !HasNumberSlot(plan.m_csOutput))
    return usage("with more than one idea, -o needs a %d for the idea number");
  if (!IsPictureName(OutputName(plan.m_csOutput, 1)))
    return usage("the output " + QuotedValue(plan.m_csOutput) + kPictureNames);
  const std::string csOver = OutputOverInput({{"-o", &plan.m_csOutput}}, aNumbers,
                                             {&seq.m_csPicture, &opt.m_csSequence});
  if (!csOver.empty()) return usage(csOver);
  plan.m_bFromRecipe = true;
  plan.m_pIdeas = &seq.m_aIdeas;
  for (const int n : aNumbers)
    if (!CFilSpec::IsBuilt(seq.m_aIdeas[static_cast<std::size_t>(n - 1)].m_Spec.m_iXform)) {
      Fail("idea " + std::to_string(n) + ": Xform \"" +
           GetXformName(seq.m_aIdeas[static_cast<std::size_t>(n - 1)].m_Spec.m_iXform) +
           "\" is not yet available");
      return kExitFailure;
    }
  std::unique_ptr<CDADC> pIn = LoadSequencePicture(seq, csError);
  if (!pIn) return Fail(csError), kExitFailure;
  return RunIdeas(plan, *pIn, aNumbers, opt.m_iJobs, opt.m_bQuiet, nullptr);
}

int RunSheet(const SheetOptions& opt) {
  auto usage = [](const std::string& cs) {
    Fail(cs);
    return kExitUsage;
  };
  if (opt.m_iCount < 1 || opt.m_iCount > kMaxSheetIdeas)
    return usage("--count must be 1 to " + std::to_string(kMaxSheetIdeas));
  if (opt.m_iColumns && *opt.m_iColumns < 1) return usage("--columns must be at least 1");
  if (opt.m_iCellWidth < kMinSheetCellWidth || opt.m_iCellWidth > kMaxSheetCellWidth)
    return usage("--cell-width must be " + std::to_string(kMinSheetCellWidth) + " to " +
                 std::to_string(kMaxSheetCellWidth));
  if (opt.m_iJobs && *opt.m_iJobs < 1) return usage("--jobs must be at least 1");
  if (opt.m_csXform.empty() && !opt.m_bWizard) return usage("name an Xform, or give --wizard");
  if (!opt.m_csXform.empty() && opt.m_bWizard)
    return usage("an Xform name and --wizard exclude each other");
  const std::string csOutput =
      opt.m_csOutput.empty() ? Stem(opt.m_csPicture) + "_sheet.png" : opt.m_csOutput;
  if (!IsPictureName(csOutput)) return usage("the output " + QuotedValue(csOutput) + kPictureNames);
  if (SameOutput(csOutput, opt.m_csSaveSequence, 1))
    return usage("--save-sequence names the same file as -o");
  const std::string csOver =
      OutputOverInput({{"-o", &csOutput}, {"--save-sequence", &opt.m_csSaveSequence}}, {1},
                      {&opt.m_csPicture});
  if (!csOver.empty()) return usage(csOver);
  if (const std::string csWhy =
          SaveSequenceProblem(opt.m_csPicture, opt.m_iCount, opt.m_csSaveSequence);
      !csWhy.empty())
    return usage(csWhy);
  // The ideas of make with the same picture, Xform, seed, count and quality.
  MakeOptions make;
  make.m_csPicture = opt.m_csPicture;
  make.m_csXform = opt.m_csXform;
  make.m_bWizard = opt.m_bWizard;
  make.m_iSeed = opt.m_iSeed;
  make.m_csQuality = opt.m_csQuality;
  MakePlan plan;
  if (const int iStatus = PlanRecipe(make, plan); iStatus != kExitOk) return iStatus;
  std::unique_ptr<CDADC> pIn = LoadPicture(opt.m_csPicture);
  if (!pIn) return Fail("cannot read the picture " + opt.m_csPicture), kExitFailure;
  int iColumns = opt.m_iColumns.value_or(0);
  if (iColumns == 0)
    while (iColumns * iColumns < opt.m_iCount) ++iColumns;  // a square
  // A sheet larger than a picture may be is refused before its ideas are made.
  const CSheetSize size = ContactSheetSize(opt.m_iCount, iColumns, opt.m_iCellWidth,
                                           pIn->m_iWidth, pIn->m_iHeight);
  if (!PictureSizeWithinBounds(size.m_iWidth, size.m_iHeight))
    return usage("the sheet would be " + std::to_string(size.m_iWidth) + " x " +
                 std::to_string(size.m_iHeight) + " pixels, more than a picture may be (" +
                 std::to_string(kMaxPictureSide) + " a side, " +
                 std::to_string(MaxPicturePixels()) +
                 " in all): give more --columns or a smaller --cell-width");

  CIdeaBatch batch(*pIn, plan.m_iQuality);
  for (int i = 1; i <= opt.m_iCount; ++i) {
    CFilSpec spec;
    int q = 1;
    switch (ChooseIdea(plan, *pIn, i, spec, q)) {
      case EIdea::Made: break;
      case EIdea::Refused: return kExitUsage;
      default: return kExitFailure;
    }
    batch.Add(spec);
  }
  // Each made idea is kept (3 bytes a pixel) until the sheet is laid out.
  const unsigned long long iKept = static_cast<unsigned long long>(opt.m_iCount) *
                                   static_cast<unsigned>(pIn->m_iWidth) *
                                   static_cast<unsigned>(pIn->m_iHeight) * 3;
  const int iAtOnce =
      opt.m_iJobs ? BoundJobs(*opt.m_iJobs, opt.m_iCount, *pIn, plan.m_iQuality, iKept)
                  : IdeasAtOnce(opt.m_iCount, opt.m_iCount, pIn->m_iWidth, pIn->m_iHeight,
                                plan.m_iQuality, iKept)
                        .m_iCount;
  CProgressDisplay display(opt.m_bQuiet, opt.m_iCount);
  std::mutex mWake;
  std::condition_variable cvWake;
  int iEnded = 0;  // under mWake
  batch.Start(iAtOnce, [&](int i) {
    if (batch.State(i) == EIdeaState::Made)
      display.Line("idea " + std::to_string(i + 1) + ": " +
                   GetXformName(batch.Spec(i).m_iXform) + ", seed " +
                   std::to_string(batch.Spec(i).m_iSeed));
    {
      std::lock_guard lock(mWake);
      ++iEnded;
    }
    cvWake.notify_one();
  });
  {
    std::unique_lock lock(mWake);
    while (iEnded < batch.Count()) {
      if (s_bInterrupted) batch.Stop();
      // The bar follows the first idea still being made, with its own text.
      int iPercent = 0;
      std::string csText;
      for (int i = 0; i < batch.Count(); ++i)
        if (batch.State(i) == EIdeaState::Running) {
          iPercent = batch.Progress(i);
          csText = batch.StatusText(i);
          break;
        }
      const int iShown = iEnded;
      display.Show(iPercent, iShown, csText);
      cvWake.wait_for(lock, std::chrono::milliseconds(50), [&] { return iEnded != iShown; });
    }
  }
  batch.Wait();
  display.End();
  int iFailed = 0;
  for (int i = 0; i < batch.Count(); ++i) {
    if (batch.State(i) == EIdeaState::Stopped || s_bInterrupted) {
      Fail("stopped: no sheet written");
      return kExitFailure;
    }
    if (batch.State(i) == EIdeaState::Failed) {
      Fail(UnmadeIdeaText(i + 1, batch.Spec(i).m_iXform, batch.Refusal(i)));
      ++iFailed;
    }
  }

  std::vector<CSheetCell> aCells;
  for (int i = 0; i < batch.Count(); ++i)
    aCells.push_back({batch.Picture(i), SheetCaption(i + 1, batch.Spec(i).m_iXform,
                                                     batch.Spec(i).m_iSeed)});
  std::unique_ptr<CDADC> pSheet = MakeContactSheet(aCells, iColumns, opt.m_iCellWidth);
  if (!pSheet) return Fail("not enough memory for the sheet"), kExitFailure;
  const CWriting writing;
  ReplaceLink(csOutput);
  if (!pSheet->WriteImageFile(csOutput.c_str())) return Fail("could not write " + csOutput), kExitFailure;
  display.Line("sheet of " + std::to_string(batch.Count()) + " ideas -> " + csOutput);
  if (!opt.m_csSaveSequence.empty()) {
    CSequence seq;
    SetSequencePicture(seq, opt.m_csPicture, *pIn);
    for (int i = 0; i < batch.Count(); ++i) {
      Recipe recipe;
      recipe.m_Spec = batch.Spec(i);
      recipe.m_iQuality = plan.m_iQuality;
      seq.m_aIdeas.push_back(recipe);
    }
    seq.m_iCurrent = 0;
    std::string csError;
    ReplaceLink(opt.m_csSaveSequence);
    if (!WriteSequenceFile(opt.m_csSaveSequence, seq, csError)) return Fail(csError), kExitFailure;
  }
  return iFailed ? kExitFailure : kExitOk;
}

int RunConvert(const std::string& csIn, const std::string& csOut) {
  if (!IsPictureName(csOut))
    return Fail("the output " + QuotedValue(csOut) + kPictureNames), kExitUsage;
  std::unique_ptr<CDADC> pIn = LoadPicture(csIn);
  if (!pIn) return Fail("cannot read the picture " + csIn), kExitFailure;
  ReplaceLink(csOut);
  if (!pIn->WriteImageFile(csOut.c_str())) return Fail("could not write " + csOut), kExitFailure;
  return kExitOk;
}

int RunInfo(const std::string& csPath) {
  // From the header alone: no pixels are decoded, so a huge picture is
  // described (or refused by the bounds of reading) at once. A file whose
  // pixel data is damaged is found when it is read for an idea.
  if (!RegularInput(csPath)) return kExitFailure;
  CPictureHeader header;
  std::string csError;
  if (ReadImageHeader(csPath.c_str(), header, csError) != kVicOk)
    return Fail(csError.empty() ? "cannot read " + csPath : csError), kExitFailure;
  std::printf("%s: %d x %d, %s, %d bits per pixel\n", csPath.c_str(), header.m_iWidth,
              header.m_iHeight, header.m_szFormat, header.m_iBitsPerPixel);
  return kExitOk;
}

int RunList() {
  for (int i = 0; i < kXformCount; ++i)
    std::printf("%2d  %s\n", i, GetXformName(i));
  return kExitOk;
}

int RunDescribe(const std::string& csXform) {
  std::string csError;
  const int iXform = ParseXformName(csXform, csError);
  if (iXform < 0) return Fail(csError), kExitUsage;
  if (!CFilSpec::IsBuilt(iXform)) {
    Fail(std::string("Xform \"") + GetXformName(iXform) + "\" is not yet available");
    return kExitFailure;
  }
  static const CFilSpec kFresh;
  const CFormRef form = CFilSpec::Form(iXform);
  std::printf("%s (%s)\n", GetXformName(iXform), form.Caption());
  std::printf("%s", DescribeForm(form, kFresh.Record(iXform)).c_str());
  return kExitOk;
}
