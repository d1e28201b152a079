// The data behind the sequence overview: one thumbnail per picture of a
// document's sequence (the original is picture 0, every generated idea the
// next number), the selected picture, the layout of the strip of five cells
// around it and the mapping of a double-click to a picture. The overview
// dialog of the desktop shell paints what Layout describes and calls the
// navigation and double-click functions; the document adds a thumbnail each
// time a picture joins its sequence, so opening the overview costs nothing.
//
// The table grows with the sequence. A thumbnail that cannot be made still
// takes its place (without a picture), so that thumbnail numbers always equal
// sequence positions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"

class CDADC;
class CDC;

// What one cell of the strip shows.
struct COverviewCell {
  int m_iPicture = -1;         // the picture shown, or -1 for an empty (black) cell
  RECT m_rcCell;               // the cell, in the frame's coordinates
  RECT m_rcThumb;              // where the thumbnail is stretched (empty when there is no room)
  COLORREF m_crFill = 0;       // the cell's background
  std::string m_csBelow;       // the label under the cell: the picture number
  std::string m_csAbove;       // the label over the cell: the picture's name
};

class COverview {
 public:
  static constexpr int kCells = 5;
  static constexpr int kThumbSize = 200;      // the larger side of a thumbnail
  static constexpr std::size_t kNameLength = 8;  // characters of a name kept
  static constexpr COLORREF kCurrentFill = RGB(200, 240, 200);
  static constexpr COLORREF kOtherFill = RGB(10, 100, 10);
  static constexpr COLORREF kEmptyFill = RGB(0, 0, 0);

  COverview();
  ~COverview();
  COverview(const COverview&) = delete;
  COverview& operator=(const COverview&) = delete;

  // Adds a thumbnail of the picture with the name cut to 8 characters and
  // makes it the selected one. Returns its number; 0 after
  // "COvDlg::AddToThumbnails,\nNULL image" when the thumbnail cannot be made
  // (the place is taken all the same) or "COvDlg::AddToThumbnails,\nImage
  // overflow" when the table cannot grow.
  int AddToThumbnails(const CDADC& picture, const char* szName);

  // Adds a picture not made yet (an idea of a sequence read from a file):
  // its place and name, without a thumbnail and without selecting it.
  // Returns its number, or -1 after "COvDlg::AddToThumbnails,\nImage
  // overflow".
  int AddPlaceholder(const char* szName);
  // Gives picture i (0 <= i < Count()) its thumbnail once it has been made.
  void SetThumbnail(int i, const CDADC& picture);

  int Count() const { return static_cast<int>(m_aszName.size()); }
  // The thumbnail of picture i, or nullptr when it is missing.
  const CDADC* Thumbnail(int i) const;
  // The name of picture i, 0 <= i < Count().
  const std::string& Name(int i) const { return m_aszName[static_cast<std::size_t>(i)]; }

  // Navigation of the selected picture ("|<<", ">>|", "<<", ">>").
  void GoFirst();
  void GoLast();
  void GoBack();
  void GoForward();

  // The five cells for a frame rectangle (in the dialog's client
  // coordinates), left to right; empty when nothing is to be painted.
  std::vector<COverviewCell> Layout(const RECT& rcFrame) const;
  // Paints the cells into a device context whose coordinates are those of the
  // frame rectangle: background fills and thumbnails (COLORONCOLOR).
  void Paint(CDC& dc, const RECT& rcFrame) const;
  // A double-click at (x, y): selects the picture of the cell hit and answers
  // true (the dialog then ends with OK); false when no picture is there.
  bool DoubleClick(const RECT& rcFrame, int x, int y);

  int m_iCurrent = -1;  // the selected picture; -1 before the first is added
  int m_iWidth = kThumbSize;   // size of the last picture added
  int m_iHeight = kThumbSize;

 private:
  std::vector<std::unique_ptr<CDADC>> m_apThumb;
  std::vector<std::string> m_aszName;
};
