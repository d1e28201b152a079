#include "engine/contact_sheet.h"

#include <algorithm>
#include <cstdint>

#include "engine/catalogue.h"
#include "imaging/dadc.h"
#include "imaging/packed_dib.h"
#include "platform/gdi/font.h"

namespace {

constexpr int kMargin = 8;         // around and between cells
constexpr int kCaptionGap = 3;     // between a picture and its caption
constexpr int kCaptionHeight = 13; // the em size of the caption font
constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(32, 32, 32);
constexpr COLORREF kMissing = RGB(200, 200, 200);

// The first source index of destination cell i of n over s source cells.
int Edge(int i, int n, int s) { return static_cast<int>(static_cast<std::int64_t>(i) * s / n); }

// The caption as wide as fits in iWidth pixels, cut with "..." if need be.
std::string Fitted(const CDC& dc, const std::string& cs, int iWidth) {
  auto width = [&](const std::string& c) {
    SIZE size{};
    dc.GetTextExtentPoint(c.c_str(), static_cast<int>(c.size()), &size);
    return size.cx;
  };
  if (width(cs) <= iWidth) return cs;
  for (std::size_t n = cs.size(); n-- > 0;)
    if (const std::string c = cs.substr(0, n) + "..."; width(c) <= iWidth) return c;
  return "";
}

}  // namespace

std::string SheetCaption(int iNumber, int iXform, int iSeed) {
  return std::to_string(iNumber) + ": " + GetXformName(iXform) + ", seed " + std::to_string(iSeed);
}

std::unique_ptr<CDADC> ResampledCopy(const CDADC& src, int iWidth, int iHeight) {
  if (iWidth <= 0 || iHeight <= 0 || !src.IsValid()) return nullptr;
  auto pDst = std::make_unique<CDADC>(iWidth, iHeight);
  if (!pDst->IsValid()) return nullptr;
  const int sw = src.m_iWidth, sh = src.m_iHeight;
  std::vector<std::uint32_t> aColumn(static_cast<std::size_t>(sw) * 3);
  for (int y = 0; y < iHeight; ++y) {
    const int y0 = Edge(y, iHeight, sh), y1 = std::max(Edge(y + 1, iHeight, sh), y0 + 1);
    // Column sums over the source rows this row covers.
    std::fill(aColumn.begin(), aColumn.end(), 0u);
    for (int sy = y0; sy < y1; ++sy) {
      const std::uint8_t* pRow = src.Row(sy);
      for (int i = 0; i < sw * 3; ++i) aColumn[static_cast<std::size_t>(i)] += pRow[i];
    }
    std::uint8_t* pOut = pDst->Row(y);
    for (int x = 0; x < iWidth; ++x) {
      const int x0 = Edge(x, iWidth, sw), x1 = std::max(Edge(x + 1, iWidth, sw), x0 + 1);
      const std::uint32_t iCount = static_cast<std::uint32_t>((x1 - x0) * (y1 - y0));
      for (int c = 0; c < 3; ++c) {
        std::uint32_t iSum = 0;
        for (int sx = x0; sx < x1; ++sx) iSum += aColumn[static_cast<std::size_t>(sx) * 3 + c];
        pOut[x * 3 + c] = static_cast<std::uint8_t>((iSum + iCount / 2) / iCount);
      }
    }
  }
  return pDst;
}

namespace {

// The caption font, or null (then the cells have no captions).
HFONT CaptionFont() {
  LOGFONT lf{};
  lf.lfHeight = -kCaptionHeight;
  lf.lfWeight = FW_NORMAL;
  std::copy_n("Arial", 6, lf.lfFaceName);
  return CreateFontIndirect(lf);
}

// Where the cells go: a cell as high as the pictures' proportions ask
// (square without a picture), the sheet's size in 64 bits.
struct CSheetLayout {
  int m_iColumns, m_iRows, m_iCellWidth;
  long long m_iCellHeight, m_iStepX, m_iStepY, m_iWidth, m_iHeight;
};

CSheetLayout LayOut(int iCount, int iColumns, int iCellWidth, int iPictureWidth,
                    int iPictureHeight, int iTextHeight) {
  CSheetLayout l{};
  l.m_iColumns = std::clamp(iColumns, 1, std::max(iCount, 1));
  l.m_iRows = (iCount + l.m_iColumns - 1) / l.m_iColumns;
  l.m_iCellWidth = std::max(iCellWidth, 16);
  l.m_iCellHeight = l.m_iCellWidth;
  if (iPictureWidth > 0)
    l.m_iCellHeight = std::max(1LL, 1LL * l.m_iCellWidth * iPictureHeight / iPictureWidth);
  l.m_iStepX = l.m_iCellWidth + kMargin;
  l.m_iStepY = l.m_iCellHeight + kCaptionGap + iTextHeight + kMargin;
  l.m_iWidth = kMargin + l.m_iColumns * l.m_iStepX;
  l.m_iHeight = kMargin + l.m_iRows * l.m_iStepY;
  return l;
}

}  // namespace

CSheetSize ContactSheetSize(int iCount, int iColumns, int iCellWidth, int iPictureWidth,
                            int iPictureHeight) {
  HFONT hFont = CaptionFont();
  const CSheetLayout l = LayOut(iCount, iColumns, iCellWidth, iPictureWidth, iPictureHeight,
                                hFont ? hFont->Height() : 0);
  if (hFont) DeleteObject(hFont);
  return {l.m_iWidth, l.m_iHeight};
}

std::unique_ptr<CDADC> MakeContactSheet(const std::vector<CSheetCell>& aCells, int iColumns,
                                        int iCellWidth) {
  if (aCells.empty()) return nullptr;
  const int iCount = static_cast<int>(aCells.size());
  int iPictureWidth = 0, iPictureHeight = 0;
  for (const CSheetCell& cell : aCells) {
    if (!cell.m_pPicture || cell.m_pPicture->m_iWidth <= 0) continue;
    iPictureWidth = cell.m_pPicture->m_iWidth;
    iPictureHeight = cell.m_pPicture->m_iHeight;
    break;
  }
  HFONT hFont = CaptionFont();
  const CSheetLayout l = LayOut(iCount, iColumns, iCellWidth, iPictureWidth, iPictureHeight,
                                hFont ? hFont->Height() : 0);
  // Beyond what a picture may be, the sheet is not made at all.
  if (!PictureSizeWithinBounds(l.m_iWidth, l.m_iHeight)) {
    if (hFont) DeleteObject(hFont);
    return nullptr;
  }
  iColumns = l.m_iColumns;
  iCellWidth = l.m_iCellWidth;
  const int iCellHeight = static_cast<int>(l.m_iCellHeight);
  const int iStepX = static_cast<int>(l.m_iStepX), iStepY = static_cast<int>(l.m_iStepY);
  auto pSheet =
      std::make_unique<CDADC>(static_cast<int>(l.m_iWidth), static_cast<int>(l.m_iHeight));
  if (!pSheet->IsValid()) {
    if (hFont) DeleteObject(hFont);
    return nullptr;
  }
  CDC& dc = *pSheet->m_pDC;
  dc.FillSolidRect(0, 0, pSheet->m_iWidth, pSheet->m_iHeight, kPaper);
  const HFONT hOld = hFont ? dc.SelectObject(hFont) : nullptr;
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kInk);
  for (int i = 0; i < iCount; ++i) {
    const int x = kMargin + (i % iColumns) * iStepX, y = kMargin + (i / iColumns) * iStepY;
    const CSheetCell& cell = aCells[static_cast<std::size_t>(i)];
    std::unique_ptr<CDADC> pCell;
    if (cell.m_pPicture) pCell = ResampledCopy(*cell.m_pPicture, iCellWidth, iCellHeight);
    if (pCell)
      dc.BitBlt(x, y, iCellWidth, iCellHeight, *pCell->m_pDC, 0, 0, SRCCOPY);
    else
      dc.FillSolidRect(x, y, x + iCellWidth, y + iCellHeight, kMissing);
    if (hFont) {
      const std::string cs = Fitted(dc, cell.m_csCaption, iCellWidth);
      dc.TextOut(x, y + iCellHeight + kCaptionGap, cs.c_str(), static_cast<int>(cs.size()));
    }
  }
  if (hFont) {
    dc.SelectObject(hOld);
    DeleteObject(hFont);
  }
  return pSheet;
}
