// COceloApp: the desktop program's application object. It owns the
// application state (settings, directories, recent files, counters, cache),
// the main frame and the dialogs, starts and ends the program, and carries
// out the commands that create documents: opening an image file, pasting
// from the clipboard and reopening a recent file.
#pragma once

#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>

#include "engine/app_state.h"

class CGenerationWorker;
class CMainFrame;
class CShellDialogs;
class CVexChildWnd;

// The icons and help topics live in the shell library, whose resources must
// be registered by name before use (the application object does it).
void InitShellResources();

// Sequence files end in ".vxseq", recipe files in ".json" (any case).
bool IsSequencePath(const std::string& csPath);
bool IsRecipePath(const std::string& csPath);

class COceloApp {
 public:
  COceloApp(CShellDialogs& dialogs, CUserPaths paths = CUserPaths::FromEnvironment());
  ~COceloApp();
  COceloApp(const COceloApp&) = delete;
  COceloApp& operator=(const COceloApp&) = delete;

  // Makes and shows the main frame, reads the settings, sets up the
  // directories and empties the cache directory; with bSplash the splash
  // window comes first and the tip of the day after it (when wanted).
  // Files given to the program open after these.
  bool InitInstance(bool bSplash, const QStringList& aFiles = {});
  // Writes the settings and deletes the cache files.
  void ExitInstance();

  // Opens a picture in a new document (without a path: the open dialog).
  // 1/0.
  int OpenImageDocument(const char* szPath);
  // Opens a sequence file in a new document (without a path: the open
  // dialog): the original and every idea, made when the user goes to it.
  // 1/0; a bad file, a missing or changed picture give one message.
  int OpenSequenceDocument(const char* szPath);
  // Opens a file in a new document: a sequence (".vxseq") or a picture.
  // 1/0.
  int OpenDocumentFile(const std::string& csPath);
  // Files to open as documents (the command line, a later start, a drop):
  // one at a time, each when no generation runs and no dialog is open. With
  // bApplyRecipes (a drop), a recipe file becomes a new idea of the document
  // active by then instead.
  void QueueFiles(const QStringList& aPaths, bool bApplyRecipes = false);
  bool HasQueuedFiles() const { return !m_aQueued.isEmpty(); }
  // A new document from the picture on the clipboard, named "Image%d".
  void OnEditPaste();
  // Reopens recent file i (0..3).
  void ReloadRecent(int i);
  // The tip of the day after the splash, when its StartUp setting is 0.
  void ShowStartupTip();

  CAppState& State() { return m_State; }
  CGenerationWorker& Worker() { return m_Worker; }
  CShellDialogs& Dialogs() { return m_Dialogs; }
  CMainFrame* Frame() { return m_pFrame.get(); }

 private:
  CAppState m_State;
  CGenerationWorker& m_Worker;
  CShellDialogs& m_Dialogs;
  std::unique_ptr<CMainFrame> m_pFrame;
  struct SQueued {
    QString m_csPath;
    bool m_bRecipe;
  };
  QList<SQueued> m_aQueued;
  QTimer m_QueueTimer;
  // The queue waits until the splash and the start-up tip are gone.
  bool m_bStarted = false;

  void OpenQueued();
};
