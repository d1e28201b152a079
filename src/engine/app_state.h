// The application's state without its windows: the settings kept in the
// profile file, the main and cache directories, the recent files, the values
// handed to documents and dialogs (preferred Xform, dialog directory, image
// types), the paste and document counters, and the picture cache. The desktop
// shell owns one object of this class and drives it from the user-interface
// thread; everything here runs headless.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "engine/cache.h"
#include "engine/catalogue.h"
#include "engine/profile.h"

// Where the user's files go, taken from the environment once at start-up.
struct CUserPaths {
  std::string m_csHome;        // $HOME, else the password database's entry
  std::string m_csConfigHome;  // $XDG_CONFIG_HOME when it is an absolute path, else empty
  std::string m_csDataHome;    // $XDG_DATA_HOME when it is an absolute path, else empty
  std::string m_csCacheHome;   // $XDG_CACHE_HOME when it is an absolute path, else empty
  std::string m_csWorkingDir;  // the current directory at start-up

  static CUserPaths FromEnvironment();
};

// The position of an extension given without its dot in the dialogs' type
// list kImageDefaultExtensions ("jpg" in any case gives 2), or -1 when it is
// not in the list. A dialog's filter index is the type index + 1.
int ImageTypeIndex(const char* szExtension);

// Profile sections and keys.
inline constexpr const char* kSectionDirectories = "DIRECTORIES";
inline constexpr const char* kSectionGeneral = "GENERAL";
inline constexpr const char* kSectionLastFiles = "LASTFILES";
inline constexpr const char* kSectionTip = "Tip";

class CAppState {
 public:
  static constexpr int kRecentCount = 4;
  static constexpr int kDefaultXform = XFORM_MOSAIC;
  static constexpr int kXformIndexes = kXformCount + 1;  // the Xforms and Null

  explicit CAppState(CUserPaths paths = CUserPaths::FromEnvironment());

  // Start-up after the shell has made its windows. When another instance
  // runs, returns false at once without touching the settings or the cache.
  // Otherwise reads the settings, sets up the directories, seeds this
  // thread's random numbers from the clock and empties the cache directory.
  bool StartUp(bool bAnotherInstanceRuns);
  // Drops the cache pictures still waiting for their files; then, unless
  // another instance runs, writes the settings and deletes the cache files
  // ("*.TMP").
  void Exit(bool bAnotherInstanceRuns);

  // $XDG_CONFIG_HOME/vexmora/vexmora.ini, else ~/.config/vexmora/vexmora.ini;
  // empty when neither can be found.
  std::string ProfilePath() const;
  // Loads the profile file and takes the settings from it, with their
  // defaults and corrections. Without a main directory in the settings it is
  // DefaultMainDir().
  void ReadSettings();
  // $XDG_DATA_HOME/vexmora, else ~/.local/share/vexmora; the working
  // directory when there is no home either.
  std::string DefaultMainDir() const;
  // $XDG_CACHE_HOME/vexmora/VEXMOTEMP, else ~/.cache/vexmora/VEXMOTEMP;
  // empty without a home.
  std::string DefaultCacheDir() const;
  // Stores the settings (MAIN, INITIAL_BMP_DIR, PREFD_FILTR, SAVEEXT, READEXT,
  // MRO1..MRO4) into the profile file as it now stands on disk. 1/0.
  int WriteSettings();

  // Makes sure of the main directory (the default one is created as needed;
  // a missing one named in the settings falls back to the Vexmo4 folder
  // under the user's data directory) and creates the cache directory: under
  // the user's cache directory while the main directory is the default one,
  // else in the main directory.
  void SetupDirectories();
  // The cache directory; empty until SetupDirectories has found one.
  const std::string& TempDir() const { return m_Cache.Directory(); }
  // Deletes the matching files of the cache directory. Refuses, without
  // deleting anything, a directory that is empty, missing, the root, the main
  // directory, or not a "VEXMOTEMP" directory once links are resolved.
  // 1 when files were deleted. "*.*" (at start-up, with no other instance
  // running) also deletes the hidden temporary files of cache writes that a
  // killed program never finished.
  int ClearCacheDirectory(const char* szPattern);

  // Puts a path first in the recent files unless it is already among them
  // (file names compared exactly, as the file system does).
  void AddRecent(const char* szPath);
  // Reopens recent file i (0..3) through pfnOpen when it still exists;
  // otherwise "This file has been deleted or moved". Returns pfnOpen's result,
  // or 0.
  int ReloadRecent(int i, const std::function<int(const std::string&)>& pfnOpen);
  const std::string& Recent(int i) const { return m_aRecent[static_cast<std::size_t>(i)]; }
  // Whether the menu entry of recent file i is offered.
  bool HasRecent(int i) const;

  // After a picture was opened: recent files, dialog directory, read type.
  void NoteImageOpened(const char* szPath);
  // After a picture was saved: dialog directory, save type (from the path's
  // last three characters).
  void NoteImageSaved(const char* szPath);

  // "Image%d" for the next pasted picture; counts on, whether or not the
  // pasted picture could be installed.
  std::string NextPasteName();
  // The open-document count. A document counts itself from its construction
  // to its destruction, so that a document whose picture could not be
  // installed is neither counted twice nor taken off a count it never joined.
  // A count already at 0 or below reports "Strange doc count value:%d" and
  // stays.
  void DocumentOpened() { ++m_iDocCount; }
  void DocumentClosed();

  // The settings of the tip of the day (section "Tip"). The setters write the
  // profile file at once. The time stamp is stored without a trailing line
  // break (compare a ctime text without its "\n").
  int TipStartUp() const;
  int TipFilePos() const;
  std::string TipTimeStamp() const;
  void SetTipStartUp(int iValue);
  void SetTipFilePos(int iValue);
  void SetTipTimeStamp(const std::string& csValue);

  std::string m_csInitialDir;
  int m_iPrefXform = kDefaultXform;
  std::string m_csMainDir;
  int m_iReadExt = 0;
  int m_iSaveExt = 0;
  int m_iPasteCount = 1;
  int m_iDocCount = 0;
  std::array<std::string, kRecentCount> m_aRecent;
  // The picture cache; its m_bCacheEnabled is the application's cache switch.
  CImageCache m_Cache;

 private:
  void Initialise();
  int WriteTip(const char* szKey, const std::string& csValue);
  std::string ProgramsFolder() const;

  CUserPaths m_Paths;
  CProfile m_Profile;
};
