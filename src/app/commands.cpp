#include "app/commands.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QToolBar>
#include <QWhatsThis>
#include <string>

#include "app/app.h"
#include "app/dialog_hooks.h"
#include "app/help_window.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "engine/document.h"

namespace {

// When the shell's commands are offered.
bool Always(const CShellState&) { return true; }
bool Idle(const CShellState& s) { return !s.m_bXforming; }
bool Generating(const CShellState& s) { return s.m_bXforming; }
bool CanClose(const CShellState& s) { return !s.m_bXforming && s.m_iDocCount > 0 && s.m_bHasView; }
bool HasPicture(const CShellState& s) { return !s.m_bXforming && s.m_bHasSurface; }
bool HasRecipe(const CShellState& s) { return HasPicture(s) && s.m_bHasRecipe; }
bool CanZoom(const CShellState& s) { return s.m_bHasView && s.m_bCanZoom; }
bool CanZoomIn(const CShellState& s) { return CanZoom(s) && s.m_iZoom < CVexmoView::kMaxZoom; }
bool CanZoomOut(const CShellState& s) { return CanZoom(s) && s.m_iZoom > CVexmoView::kMinZoom; }
template <int I>
bool HasRecent(const CShellState& s) {
  return !s.m_bXforming && s.m_abRecent[I];
}

// What they do. The rules above guarantee the view where one is used.
void OpenImage(CMainFrame& f) { f.App().OpenImageDocument(nullptr); }
void SaveImage(CMainFrame& f) { f.ActiveView()->SaveImage(); }
void CloseImage(CMainFrame& f) {
  if (CVexChildWnd* pChild = f.ActiveChild()) pChild->close();
}
void Exit(CMainFrame& f) { f.close(); }
void SaveSequence(CMainFrame& f) { f.SaveSequenceAs(); }
void SaveRecipe(CMainFrame& f) { f.SaveRecipe(); }
void ApplyRecipe(CMainFrame& f) { f.ApplyRecipe(std::string()); }
void CopyRecipe(CMainFrame& f) { f.CopyRecipe(); }
void WizardGrid(CMainFrame& f) { f.OpenIdeaGrid(true); }
void VariationsGrid(CMainFrame& f) { f.OpenIdeaGrid(false); }
template <int I>
void Reload(CMainFrame& f) {
  f.App().ReloadRecent(I);
}
void Copy(CMainFrame& f) { f.ActiveView()->OnEditCopy(); }
void Paste(CMainFrame& f) { f.App().OnEditPaste(); }
void CopyAndPaste(CMainFrame& f) {
  f.ActiveView()->OnEditCopy();
  f.App().OnEditPaste();
  QApplication::clipboard()->clear();
}
void Stop(CMainFrame& f) { f.StopGeneration(); }
template <int Z>
void ZoomTo(CMainFrame& f) {
  f.ActiveView()->SetZoom(Z);
}
void ZoomIn(CMainFrame& f) { f.ActiveView()->ZoomIn(); }
void ZoomOut(CMainFrame& f) { f.ActiveView()->ZoomOut(); }
void ZoomToFit(CMainFrame& f) { f.ActiveView()->SetZoom(f.ActiveView()->FitZoom()); }
void ToggleToolBar(CMainFrame& f) { f.ToolBar()->setVisible(!f.ToolBar()->isVisible()); }
void Cascade(CMainFrame& f) { f.MdiArea()->cascadeSubWindows(); }
void Tile(CMainFrame& f) { f.MdiArea()->tileSubWindows(); }
template <int ID>
void HelpTopic(CMainFrame& f) {
  f.HelpWindow()->ShowTopic(ID);
}
void Tip(CMainFrame& f) { f.App().Dialogs().TipOfTheDay(f.App().State()); }
void About(CMainFrame& f) { f.App().Dialogs().About(); }
void ContextHelp(CMainFrame&) { QWhatsThis::enterWhatsThisMode(); }

constexpr CCommandInfo kCommands[] = {
    {ID_OPEN_IMAGE, "Import a image for use as Xform source\nGet Image", "Ctrl+O", 1, "open", Idle,
     OpenImage},
    {ID_FILE_SAVE, "Save the image to a file\nSave image", "Ctrl+S", 2, "save", HasPicture,
     SaveImage},
    {ID_FILE_SAVE_AS, "Save the active document with a new name\nSave As", "", 0, nullptr,
     HasPicture, SaveImage},
    {ID_FILE_CLOSE, "Close the image file\nClose", "", 0, nullptr, CanClose, CloseImage},
    {ID_FILE_SAVE_SEQUENCE,
     "Save the original and every idea's recipe as a sequence file\nSave Sequence",
     "Ctrl+Shift+S", 0, nullptr, HasPicture, SaveSequence},
    {ID_FILE_SAVE_RECIPE, "Save the recipe of the idea shown to a file\nSave Recipe", "", 0,
     nullptr, HasRecipe, SaveRecipe},
    {ID_FILE_APPLY_RECIPE, "Make a new idea from a recipe file\nApply Recipe", "", 0, nullptr,
     HasPicture, ApplyRecipe},
    {ID_EDIT_COPY_RECIPE, "Put the recipe of the idea shown on the Clipboard as text\nCopy Recipe",
     "Ctrl+Shift+C", 0, nullptr, HasRecipe, CopyRecipe},
    {ID_APP_EXIT, "Quit Vexmora\nEnd", "", 0, nullptr, Idle, Exit},
    {ID_RECENT_FIRST, "Reload this image", "", 0, nullptr, HasRecent<0>, Reload<0>},
    {ID_RECENT_FIRST + 1, "Reload this image", "", 0, nullptr, HasRecent<1>, Reload<1>},
    {ID_RECENT_FIRST + 2, "Reload this image", "", 0, nullptr, HasRecent<2>, Reload<2>},
    {ID_RECENT_LAST, "Reload this image", "", 0, nullptr, HasRecent<3>, Reload<3>},
    {ID_EDIT_COPY, "Copy the image and put it on the Clipboard\nCopy to clipboard",
     "Ctrl+C|Ctrl+Ins", 3, "copy", HasPicture, Copy},
    {ID_EDIT_PASTE, "Get clipboard contents and paste into new image\nPaste", "Ctrl+V|Shift+Ins", 4,
     "paste", Idle, Paste},
    {ID_EDIT_INTERNAL, "Copy and paste within Vexmora window\nCopy and paste(F10)", "F10|Ctrl+I",
     10, "internal", HasPicture, CopyAndPaste},
    {ID_BACK, "Go back to the previous image\nBack", "Ctrl+Z", 13, "back"},
    {ID_TO_LAST, "Go to last image generated\nLast image", "", 16, "last"},
    {ID_FORWARD, "Go forward to the next image\nForward", "Ctrl+Y", 15, "forward"},
    {ID_TO_FIRST, "Go to original image\nOriginal", "", 12, "original"},
    {ID_BACK_KEY, nullptr, "Left", 0, nullptr},
    {ID_FORWARD_KEY, nullptr, "Right", 0, nullptr},
    {ID_CHOOSE_XFORM, "Change Object Xform to use on original image\nChoose Xform(F6)", "F6", 5,
     "choose"},
    {ID_WIZARD_ALL, "Create image with Wizard chosen parameters\nWizard chooses (F7)", "F7", 6,
     "wizard"},
    {ID_VARIATIONS, "Generate a new image using current settings (F8)\nCreate(F8)", "F8", 7,
     "create"},
    {ID_WIZARD_GRID, "Show a grid of new ideas, each with its own Xform chosen by the wizard\nWizard Grid (Shift+F7)",
     "Shift+F7", 0, nullptr, HasPicture, WizardGrid},
    {ID_VARIATIONS_GRID, "Show a grid of variations on the idea shown\nVariations Grid (Shift+F8)",
     "Shift+F8", 0, nullptr, HasRecipe, VariationsGrid},
    {ID_VIGNETTE, "Set mix options to make a vignette\nVignette", "F11", 9, "vignette"},
    {ID_OVERVIEW, "Select image from sequence using overview window\nSelect image", "", 14,
     "overview"},
    {ID_XFORM_SETTINGS, "Change settings of idea generator, F9\nChange settings(F9)", "F9", 8,
     "settings"},
    {ID_IMAGE_QUALITY, "Change image quality\nImage Quality", "", 18, "quality"},
    {ID_MIX, "Change how Xformed images mix with original images\nFinal mix", "", 19, "mix"},
    {ID_IMAGE_PROPERTIES, "Show the properties of the image\nProperties", "", 0, nullptr},
    {ID_ADVANCED_SELECTION, "Change advanced selection settings\nSelection", "", 17, "selection"},
    {ID_STOP, "Stop Xforming the image\nSTOP!", "Esc", 11, "stop", Generating, Stop},
    {ID_VIEW_25, "Reduce view to 25%\nQuarter size", "", 0, nullptr, CanZoom, ZoomTo<25>},
    {ID_VIEW_50, "Sets view size of current image to 50%\nHalf Size", "", 0, nullptr, CanZoom,
     ZoomTo<50>},
    {ID_VIEW_75, "Set size of view to 75% of full\nThree Quarters", "", 0, nullptr, CanZoom,
     ZoomTo<75>},
    {ID_VIEW_NORMAL, "Set View Size to normal size\n100%", "Ctrl+W|Ctrl+Alt+N", 0, nullptr, CanZoom,
     ZoomTo<100>},
    // + and - (main or keypad, with or without Ctrl) are matched by the main
    // frame's key handling: keypad sequences as shortcuts never fire on X11.
    {ID_VIEW_ZOOM_IN, "Increase size of view of image\nIncrease size", "", 0, nullptr, CanZoomIn,
     ZoomIn},
    {ID_VIEW_ZOOM_OUT, "Decrease view of current image\nDecrease size", "", 0, nullptr, CanZoomOut,
     ZoomOut},
    {ID_VIEW_FIT, "Show the whole image in its window\nZoom to Fit", "", 0, nullptr, CanZoom,
     ZoomToFit},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar", "", 0, nullptr, Always,
     ToggleToolBar},
    {ID_WINDOW_CASCADE, "Arrange windows so they overlap\nCascade Windows", "", 0, nullptr, Always,
     Cascade},
    {ID_WINDOW_TILE, "Arrange windows as non-overlapping tiles\nTile Windows", "", 0, nullptr,
     Always, Tile},
    {ID_HELP_WHAT_IS, "General introduction to Vexmora, and how to use it", "", 0, nullptr, Always,
     HelpTopic<ID_HELP_WHAT_IS>},
    {ID_HELP_NEW, "Show what is new in version 4", "", 0, nullptr, Always, HelpTopic<ID_HELP_NEW>},
    {ID_HELP_TUTORIAL, "Show an easy tutorial about using Vexmora\nLesson", "", 0, nullptr, Always,
     HelpTopic<ID_HELP_TUTORIAL>},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout", "", 0,
     nullptr, Always, About},
    {ID_HELP_CREDITS, nullptr, "", 0, nullptr, Always, HelpTopic<ID_HELP_CREDITS>},
    {ID_HELP_TOPICS, "List Help topics\nHelp Topics", "", 0, nullptr, Always,
     HelpTopic<ID_HELP_TOPICS>},
    {ID_HELP_TIP, "Displays a Tip of the Day.", "", 0, nullptr, Always, Tip},
    {ID_HELP, "Display help for current task or command\nHelp", "F1", 0, nullptr, Always,
     HelpTopic<ID_HELP>},
    {ID_CONTEXT_HELP, "Display help for clicked on buttons, menus and windows\nHelp", "Shift+F1",
     0, nullptr, Always, ContextHelp},
    {ID_CONTEXT_ORIGINAL, "Return to original bitmap image\nOriginal", "", 0, nullptr},
};

constexpr CMenuItem kFileMenu[] = {
    {ID_OPEN_IMAGE, "&Open image file...\tCtrl-O"},
    {ID_FILE_SAVE, "&Save image file...\tCtrl-S"},
    {ID_FILE_SAVE_AS, "Save &As..."},
    {ID_FILE_CLOSE, "Close image file"},
    {0, nullptr},
    {ID_FILE_SAVE_SEQUENCE, "Save Se&quence As...\tCtrl+Shift+S"},
    {ID_FILE_SAVE_RECIPE, "Save &Recipe..."},
    {ID_FILE_APPLY_RECIPE, "A&pply Recipe..."},
    {0, nullptr},
    {ID_APP_EXIT, "E&xit\tAlt-F4"},
    {0, nullptr},
    {ID_RECENT_FIRST, "&1: "},
    {ID_RECENT_FIRST + 1, "&2:"},
    {ID_RECENT_FIRST + 2, "&3:"},
    {ID_RECENT_LAST, "&4"},
};
constexpr CMenuItem kEditMenu[] = {
    {ID_EDIT_COPY, "&Copy to clipboard\tCtrl+C"},
    {ID_EDIT_PASTE, "&Paste from clipboard\tCtrl+V"},
    {ID_EDIT_INTERNAL, "Copy-Paste Internal\tF10"},
    {ID_EDIT_COPY_RECIPE, "Copy &Recipe\tCtrl+Shift+C"},
    {ID_BACK, "Back\t<---"},
    {ID_TO_LAST, "Forward\t---->"},
};
constexpr CMenuItem kSequenceMenu[] = {
    {ID_BACK, "&Back\t<--"},
    {ID_TO_LAST, "&Last"},
    {ID_FORWARD, "&Forward\t-->"},
    {ID_TO_FIRST, "&Revert to Original"},
    {ID_CHOOSE_XFORM, "Choose Xform\tF6"},
    {ID_WIZARD_ALL, "&Wizard chooses all\tF7"},
    {ID_VARIATIONS, "&Variations on theme\tF8"},
    {ID_WIZARD_GRID, "Wi&zard Grid\tShift+F7"},
    {ID_VARIATIONS_GRID, "Variations &Grid\tShift+F8"},
    {ID_VIGNETTE, "Make a Vignette\tF11"},
    {ID_OVERVIEW, "Sequence &Overview"},
};
constexpr CMenuItem kPropertiesMenu[] = {
    {ID_CHOOSE_XFORM, "Choose &Xform\tF6"},
    {ID_XFORM_SETTINGS, "Xform &Settings\tF9"},
    {ID_IMAGE_QUALITY, "Image &Quality"},
    {ID_MIX, "&Mix"},
    {ID_IMAGE_PROPERTIES, "Image &Properties"},
    {ID_ADVANCED_SELECTION, "&Advanced Selection"},
};
constexpr CMenuItem kViewMenu[] = {
    {ID_VIEW_25, "View Size &25%"},
    {ID_VIEW_50, "View Size &50%"},
    {ID_VIEW_75, "View Size &75%"},
    {ID_VIEW_NORMAL, "View Size &Normal\tCtrl-W"},
    {0, nullptr},
    {ID_VIEW_ZOOM_IN, "Zoom &In\tNum+"},
    {ID_VIEW_ZOOM_OUT, "Zoom &Out\tNum -"},
    {ID_VIEW_FIT, "Zoom to &Fit"},
    {0, nullptr},
    {ID_OVERVIEW, "&Sequence Overview"},
    {0, nullptr},
    {ID_VIEW_TOOLBAR, "&Toolbar"},
};
constexpr CMenuItem kWindowMenu[] = {
    {ID_WINDOW_CASCADE, "&Cascade"},
    {ID_WINDOW_TILE, "&Tile"},
};
constexpr CMenuItem kHelpMenu[] = {
    {ID_HELP_WHAT_IS, "&What is Vexmora?"},
    {ID_HELP_NEW, "New in V 4"},
    {ID_HELP_TUTORIAL, "&Tutorial"},
    {ID_APP_ABOUT, "&About Vexmora"},
    {ID_HELP_CREDITS, "Credits..."},
    {ID_HELP_TOPICS, "&Help Topics\tF1"},
    {ID_HELP_TIP, "Helpful T&ip"},
};

const CMenuInfo kMainMenu[] = {
    {"&File", kFileMenu},         {"&Edit", kEditMenu}, {"&Sequence", kSequenceMenu},
    {"&Properties", kPropertiesMenu}, {"&View", kViewMenu}, {"&Window", kWindowMenu},
    {"&Help", kHelpMenu},
};

constexpr CMenuItem kContextMenu[] = {
    {ID_CHOOSE_XFORM, "Choose X&form...\tF6"},
    {ID_WIZARD_ALL, "&Wizard Creates\tF7"},
    {ID_VARIATIONS, "&Create\tF8"},
    {ID_XFORM_SETTINGS, "Xform &Settings...\tF9"},
    {ID_EDIT_INTERNAL, "Internal Copy/Paste\tF10"},
    {ID_EDIT_COPY, "Copy to clipboard"},
    {ID_IMAGE_QUALITY, "Image &Quality..."},
    {ID_MIX, "&Mix..."},
    {ID_ADVANCED_SELECTION, "S&election..."},
    {ID_CONTEXT_ORIGINAL, "&Revert to Original"},
    {ID_VIEW_ZOOM_IN, "Zoom in\t+"},
    {ID_VIEW_ZOOM_OUT, "Zoom out\t-"},
    {ID_VIEW_FIT, "Zoom to fit"},
    {ID_IMAGE_PROPERTIES, "&Image Properties..."},
};

// Buttons 1-2, gap, 3-4, gap, 5-11, gap, 12-16, gap, 17-19.
constexpr int kToolBar[] = {
    ID_OPEN_IMAGE,      ID_FILE_SAVE,     0,
    ID_EDIT_COPY,       ID_EDIT_PASTE,    0,
    ID_CHOOSE_XFORM,    ID_WIZARD_ALL,    ID_VARIATIONS, ID_XFORM_SETTINGS,
    ID_VIGNETTE,        ID_EDIT_INTERNAL, ID_STOP,       0,
    ID_TO_FIRST,        ID_BACK,          ID_OVERVIEW,   ID_FORWARD,
    ID_TO_LAST,         0,                ID_ADVANCED_SELECTION,
    ID_IMAGE_QUALITY,   ID_MIX,
};

}  // namespace

std::span<const CCommandInfo> Commands() { return kCommands; }

const CCommandInfo* FindCommandInfo(int iId) {
  for (const CCommandInfo& info : kCommands)
    if (info.m_iId == iId) return &info;
  return nullptr;
}

std::span<const CMenuInfo> MainMenu() { return kMainMenu; }
std::span<const CMenuItem> ContextMenu() { return kContextMenu; }
std::span<const int> ToolBarLayout() { return kToolBar; }

bool IsShellCommandEnabled(int iId, const CShellState& state) {
  const CCommandInfo* pInfo = FindCommandInfo(iId);
  return pInfo && pInfo->m_pfnEnabled && pInfo->m_pfnEnabled(state);
}

bool RunShellCommand(int iId, CMainFrame& frame) {
  const CCommandInfo* pInfo = FindCommandInfo(iId);
  if (!pInfo || !pInfo->m_pfnRun) return false;
  pInfo->m_pfnRun(frame);
  return true;
}
