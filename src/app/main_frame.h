// CMainFrame: the multiple-document main window with its menus, tool bar,
// keys, two-pane status bar and progress bar, and CVexChildWnd, the child
// window of one document. Every command, whatever started it (menu, context
// menu, key, button), goes through OnCommand; UpdateCommands recomputes the
// enabled state of every command from one place: the document's table for
// the document's commands, the command table's rules for the rest.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "engine/document.h"

class COceloApp;
class CHelpWindow;
class CMainFrame;
class CVexmoView;
class QDragEnterEvent;
class QDropEvent;
class QMdiArea;
class QMenu;
class QProgressBar;
class QToolBar;

// One document's child window: the view, and the document it shows.
class CVexChildWnd final : public QMdiSubWindow {
  Q_OBJECT

 public:
  CVexChildWnd(CMainFrame& frame, COceloApp& app);
  ~CVexChildWnd() override;
  CVexmoView* View() const { return m_pView; }
  CVexmoFilterDoc* Document() const { return m_pDoc.get(); }

 protected:
  // Refused while a generation runs; otherwise the save prompt decides.
  void closeEvent(QCloseEvent* pEvent) override;
  // Maximising or restoring lets the workspace rewrite the main window's
  // title; the frame puts its own back.
  void changeEvent(QEvent* pEvent) override;

 private:
  CMainFrame& m_Frame;
  CVexmoView* m_pView;
  std::unique_ptr<CVexmoFilterDoc> m_pDoc;
};

class CMainFrame final : public QMainWindow {
  Q_OBJECT

 public:
  // The poll interval of a running generation.
  static constexpr int kPollMs = 250;

  explicit CMainFrame(COceloApp& app);
  ~CMainFrame() override;

  COceloApp& App() const { return m_App; }
  QMdiArea* MdiArea() const { return m_pMdiArea; }
  CVexChildWnd* ActiveChild() const;
  CVexmoView* ActiveView() const;
  CVexmoFilterDoc* ActiveDocument() const;

  // A new, not yet shown child window with its view and document.
  CVexChildWnd* CreateChild();
  // Shows a child whose document has its picture.
  void ShowChild(CVexChildWnd* pChild);

  // Carries out a command (a disabled one does nothing) and refreshes the
  // command states.
  void OnCommand(int iId);
  bool IsCommandEnabled(int iId) const;
  void UpdateCommands();
  // The actions that stand for a command: its key/tool bar action first,
  // then its menu and context-menu entries.
  const std::vector<QAction*>& Actions(int iId) const;
  QAction* KeyAction(int iId) const;
  QToolBar* ToolBar() const { return m_pToolBar; }
  QMenu* ContextMenu() const { return m_pContextMenu; }
  // Shows the child frame's context menu at a global position.
  void PopupContextMenu(const QPoint& ptGlobal);

  // The status pane (pane 1) and the progress bar (null unless shown).
  QLabel* StatusPane() const { return m_pStatusPane; }
  QProgressBar* ProgressBar() const { return m_pProgress; }
  // Shows (0..99), updates or removes (any other value) the progress bar
  // and refreshes the status pane.
  void SetProgress(int iPercent);
  // One poll of the generation worker (the timer runs it every 250 ms).
  void IdleCheck();
  // File > Save Sequence As: the active document's original and every
  // idea's recipe, in a sequence file the user names.
  void SaveSequenceAs();
  // Edit > Copy Recipe: the recipe of the idea shown, as JSON text.
  void CopyRecipe();
  // File > Save Recipe: the same into a file.
  void SaveRecipe();
  // File > Apply Recipe (csPath empty: the open dialog), or a recipe file
  // dropped on the window: a new idea of the active document made from the
  // recipe as it stands, the same picture as the command line makes.
  void ApplyRecipe(const std::string& csPath);
  // Sequence > Wizard Grid / Variations Grid: the active document's grid
  // of that kind (a new one, or the open one with new ideas).
  void OpenIdeaGrid(bool bWizard);
  // STOP: the worker is asked to stop; its end shows "Stopped".
  void StopGeneration();
  // Brings the window to the front (another start asked for it).
  void RaiseWindow();
  // Rebuilds the recent-file entries of the File menu.
  void UpdateRecentItems();
  // The open documents listed at the end of the Window menu.
  void UpdateWindowList();
  void UpdateTitle();
  CHelpWindow* HelpWindow();
  // F1 in a dialog: its help page in a help window of that dialog (the
  // dialog is modal, so a window of its own stays usable). Null when the
  // widget's window has no page.
  CHelpWindow* ShowDialogHelp(QWidget* pWidget);
  // The window's place and size: the one stored at the last exit, else
  // most of the screen, centred. SaveGeometry stores it (beside the settings).
  void RestoreGeometry();
  void SaveGeometry() const;
  QString GeometryPath() const;

 protected:
  void closeEvent(QCloseEvent* pEvent) override;
  // + and - zoom (main or keypad keys, with or without Ctrl) wherever the
  // focus is in the window.
  void keyPressEvent(QKeyEvent* pEvent) override;
  // Catches F1 in the program's dialogs.
  bool eventFilter(QObject* pObject, QEvent* pEvent) override;
  // Picture files dropped on the window open as documents.
  void dragEnterEvent(QDragEnterEvent* pEvent) override;
  void dropEvent(QDropEvent* pEvent) override;

 private:
  QAction* AddAction(int iId, const QString& csText);
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  CShellState ShellState() const;
  // The worker started a generation for this client (a document): its
  // view's surface is the worker's until the generation ends.
  void OnGenerationStarted(IGenerationClient* pClient);

  COceloApp& m_App;
  QMdiArea* m_pMdiArea;
  QToolBar* m_pToolBar = nullptr;
  QMenu* m_pContextMenu = nullptr;
  QMenu* m_pFileMenu = nullptr;
  QMenu* m_pWindowMenu = nullptr;
  std::vector<QAction*> m_aWindowItems;
  QLabel* m_pStatusPane = nullptr;
  QProgressBar* m_pProgress = nullptr;
  QTimer m_IdleTimer;
  // STOP was given: the end of the generation shows "Stopped".
  bool m_bStopAsked = false;
  QPointer<CVexmoView> m_pThreadView;
  QPointer<CHelpWindow> m_pHelp;
  std::map<int, std::vector<QAction*>> m_aActions;
  std::map<int, QAction*> m_aKeyActions;
};
