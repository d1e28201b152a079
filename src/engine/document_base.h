// The part of an image idea sequence document that does not depend on how
// ideas are made: the position shown and the one before it, the image
// quality, what the running generation is for, the document's name, the
// record of saved files, navigation with its enabling rules, the window
// title, the image properties texts and the closing rules. The window and
// its dialogs are reached through IDocumentView, which the desktop shell
// implements (tests use a fake).
#pragma once

#include <string>
#include <vector>

class CDADC;
class CGlobalBlock;

// The document's window, as the document sees it.
class IDocumentView {
 public:
  virtual ~IDocumentView() = default;
  // The surface the current picture is shown in; nullptr before it exists.
  virtual CDADC* DrawingSurface() = 0;
  // Builds the drawing surface as a copy of the picture. 1/0.
  virtual int CreateViewBitmap(const CDADC& picture) = 0;
  // Asks for a repaint, erasing the background first or not.
  virtual void Invalidate(bool bErase) = 0;
  virtual void SetTitle(const std::string& csTitle) = 0;
  // The view's save command (file dialog and writing); true when saved.
  virtual bool SaveImage() = 0;
};

// Texts of the image properties dialog.
struct CImageProperties {
  std::string m_csOriginal;  // the document name
  std::string m_csXform;     // the Xform of the image shown; "(none)" for the original
  std::string m_csSavedAs;   // its saved-as name or "(unsaved)"
  std::string m_csPosition;  // "This is the original image" / "Image #%d in the sequence"
  std::string m_csPixels;    // "%d by %d"
  std::string m_csBytes;     // "%dKbytes"
};

class CIdeaSequenceDoc {
 public:
  // Generation modes: what the running (or last) generation is for.
  enum : int { GEN_NONE = 0, GEN_NEW = 1, GEN_SEQUENCE = 2, GEN_QUALITY = 4 };
  static constexpr std::size_t kMaxNameLength = 255;
  static constexpr std::size_t kMaxSavedName = 55;

  // The file an image was last saved under, with the quality of that save.
  struct CSavedAs {
    std::string m_csName;
    int m_iAALevel = 1;
    // Accepts a level of 1, 2 or 4 and a name of 1 to 55 characters;
    // otherwise "SetData: Bad iAALevel : %d" or "SetData: Bad csName" and 0.
    int SetData(const std::string& csName, int iAALevel);
  };

  explicit CIdeaSequenceDoc(IDocumentView* pView) : m_pView(pView) {}
  virtual ~CIdeaSequenceDoc() = default;
  CIdeaSequenceDoc(const CIdeaSequenceDoc&) = delete;
  CIdeaSequenceDoc& operator=(const CIdeaSequenceDoc&) = delete;

  // The catalogue name of the working recipe's Xform.
  virtual std::string GetXformName() const = 0;
  // The catalogue name of the Xform that made the image shown (its stored
  // recipe); "" for the original. The working recipe may already name
  // another Xform, chosen for the next idea.
  virtual std::string ShownXformName() const = 0;
  // The working recipe := the sequence's element at m_iCurrent.
  virtual void SetSpecFromSequence() = 0;
  // Shows the image at m_iCurrent (from the cache, by a generation, or the
  // original). When it can do none of these the move is taken back:
  // m_iCurrent and the working recipe are m_iPrevious's again.
  virtual void ShowCurrent() = 0;
  // The worker has ended; bStopped: no new picture was made.
  virtual void OnGenerationDone(bool bStopped) = 0;
  // Number of elements of the sequence (the original counts as one).
  virtual int SequenceSize() const = 0;
  // Whether a generation is running anywhere in the application.
  virtual bool IsXforming() const = 0;

  // The view; reports "GV:Cannot get primage view" when there is none.
  IDocumentView* GetView() const;

  // The window title for a zoom percentage, and setting it on the view.
  std::string Title(int iZoomPercent) const;
  void UpdateTitle(int iZoomPercent);

  // Enabling rules of the navigation commands.
  bool CanGoBack() const;
  bool CanGoForward() const;
  bool CanGoToFirst() const;
  bool CanGoToLast() const;
  // Navigation commands, each testing its rule first.
  void OnToFirst();
  void OnToLast();
  void OnGoForward();
  void OnGoBack();
  // Moves without a test (the overview's choice); a position outside the
  // sequence is ignored.
  void GoTo(int iPosition);

  // The saved-as record of a position (the table grows as needed).
  int SetSavedAs(int iPosition, const std::string& csName, int iAALevel);
  // Its name and level, or "" and 0 when the image has not been saved.
  CSavedAs GetSavedAs(int iPosition) const;
  // The default file name for saving the image shown.
  std::string GetSaveName() const;
  CImageProperties GetImageProperties() const;

  // The frame may close only while no generation runs (else the "Still
  // creating image" message).
  bool CanCloseFrame() const;
  // The save prompt before closing: true when the document may close.
  bool SaveModified();

  int m_iAALevel = 1;
  int m_iCurrent = 0;
  int m_iPrevious = 0;
  int m_iGenMode = GEN_NONE;
  std::string m_szName;

 protected:
  void MoveTo(int iPosition);

  IDocumentView* m_pView;
  std::vector<CSavedAs> m_aSavedAs;
};

// The text of string 61220, shown when something must wait for a generation.
inline constexpr const char* kStillCreatingImage =
    "Still creating image:\nWait for completion \nor hit ESC or STOP...";
