// The dialogs the desktop program opens: the file dialogs of its own, and
// the document's dialogs (choose Xform, settings, mix, selection, quality,
// overview, properties) with tip of the day and About, which the dialogs
// library supplies. The shell reaches all of them through this one object,
// so that tests replace it with scripted answers.
#pragma once

#include <QStringList>
#include <string>

#include "engine/document.h"

class CAppState;
class QWidget;

#include "dialogs/document_dialogs.h"

class CShellDialogs : public CDocumentDialogs {
 public:
  // Dialogs open over this window (null: no owner).
  void SetOwner(QWidget* pOwner) { SetParent(pOwner); }
  QWidget* Owner() const { return Parent(); }

  // "Select image file to open" with the open filter; "" when cancelled.
  std::string OpenImagePath(int iFilterIndex, const std::string& csDefaultExtension,
                            const std::string& csInitialDir) override;
  // "Save image to file" with the save filter, the given filter (1-based)
  // selected and the default name filled in; asks before overwriting. ""
  // when cancelled.
  virtual std::string SaveImagePath(const std::string& csDefaultName, int iFilterIndex,
                                    const std::string& csDefaultExtension,
                                    const std::string& csInitialDir);
  // The kinds of file besides pictures: sequences (.vxseq) and recipes
  // (.json).
  enum class EFile { Sequence, Recipe };
  // A dialog to open (bSave false, an existing file) or to save (asks
  // before overwriting; the extension is added when missing) a file of
  // that kind, starting at csDefault (a path or a name); "" when cancelled.
  virtual std::string DataFilePath(EFile eKind, bool bSave, const std::string& csDefault,
                                   const std::string& csInitialDir);
  // Tip of the day (Helpful Tip, and after the splash window).
  virtual void TipOfTheDay(CAppState& state);
  virtual void About();
};

// A file dialog's filter list ("Name (*.EXT)|*.EXT|...|") as Qt name
// filters, each matching its extensions in upper and lower case; with
// bJpegSpellings *.JPG also matches .jpeg and .jpe (for opening).
QStringList QtNameFilters(const char* szFilter, bool bJpegSpellings = false);
