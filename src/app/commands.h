// The desktop program's command vocabulary: every command id with its
// status-bar prompt and tool tip, keys and tool bar button, and, for the
// commands that the application, the frame and the view carry out, when it
// is offered and what it does; then the main menu and the context menu. The
// document's own commands keep their rules and actions in the document's
// table (CVexmoFilterDoc); the main frame asks the document for those.
#pragma once

#include <span>

// Command ids of the shell (the document's are in engine/document.h).
enum : int {
  ID_HELP_TIP = 105,
  ID_EDIT_INTERNAL = 32770,
  ID_OPEN_IMAGE = 32782,
  ID_STOP = 32792,
  ID_CONTEXT_ORIGINAL = 32789,
  ID_VIEW_ZOOM_IN = 32806,
  ID_VIEW_ZOOM_OUT = 32807,
  ID_VIEW_25 = 32808,
  ID_VIEW_50 = 32809,
  ID_VIEW_75 = 32810,
  ID_VIEW_NORMAL = 32811,
  ID_VIEW_FIT = 32812,
  ID_HELP_CREDITS = 32831,
  ID_HELP_TUTORIAL = 32836,
  ID_HELP_WHAT_IS = 32838,
  ID_RECENT_FIRST = 32839,  // 32839..32842: recent files 1..4
  ID_RECENT_LAST = 32842,
  ID_HELP_NEW = 32845,
  ID_FILE_SAVE_SEQUENCE = 32850,
  ID_FILE_SAVE_RECIPE = 32851,
  ID_FILE_APPLY_RECIPE = 32852,
  ID_EDIT_COPY_RECIPE = 32853,
  ID_WIZARD_GRID = 32860,
  ID_VARIATIONS_GRID = 32861,
  ID_FILE_CLOSE = 57602,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_EDIT_COPY = 57634,
  ID_EDIT_PASTE = 57637,
  ID_WINDOW_CASCADE = 57650,
  ID_WINDOW_TILE = 57651,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_HELP_TOPICS = 57667,
  ID_CONTEXT_HELP = 57669,
  ID_HELP = 57670,
  ID_VIEW_TOOLBAR = 59392,
};

// What the application and the active view offer now.
struct CShellState {
  bool m_bXforming = false;    // a generation runs
  int m_iDocCount = 0;         // open documents
  bool m_bHasView = false;     // there is an active view
  bool m_bHasSurface = false;  // the active view shows a picture
  bool m_bHasRecipe = false;   // the active document shows an idea (not the original)
  bool m_bCanZoom = false;     // no generation and the active child is not minimised
  int m_iZoom = 100;           // the active view's zoom
  bool m_abRecent[4] = {};     // recent file entries that may be reopened
};

class CMainFrame;

// One command: its prompt ("status-bar prompt\ntool tip", or a prompt
// alone), its keys in portable key-sequence text separated by "|", its tool
// bar position (1..19, 0 = none) and the icon of that button; for a shell
// command, when it is offered and what it does (both null for the
// document's commands).
struct CCommandInfo {
  int m_iId;
  const char* m_szPrompt;
  const char* m_szKeys;
  int m_iButton;
  const char* m_szIcon;
  bool (*m_pfnEnabled)(const CShellState&) = nullptr;
  void (*m_pfnRun)(CMainFrame&) = nullptr;
};

// A menu entry; id 0 is a separator.
struct CMenuItem {
  int m_iId;
  const char* m_szText;
};

struct CMenuInfo {
  const char* m_szTitle;
  std::span<const CMenuItem> m_aItems;
};

// Every command of the program.
std::span<const CCommandInfo> Commands();
const CCommandInfo* FindCommandInfo(int iId);
// The main menu bar, in order.
std::span<const CMenuInfo> MainMenu();
// The child window's context menu, in order.
std::span<const CMenuItem> ContextMenu();
// The tool bar buttons in order (command ids; 0 is a gap).
std::span<const int> ToolBarLayout();

// Enabling of the commands that the application and the view carry out
// (not those of the document's table): the table's rule; false for any
// other id.
bool IsShellCommandEnabled(int iId, const CShellState& state);
// Carries out a shell command (the caller has checked that it is offered);
// other ids do nothing. True when the id is a shell command.
bool RunShellCommand(int iId, CMainFrame& frame);
