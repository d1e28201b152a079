#include "engine/contact_sheet.h"

#include <algorithm>
#include <cstdint>

#include "engine/catalogue.h"
#include "imaging/dadc.h"
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

std::unique_ptr<CDADC> MakeContactSheet(const std::vector<CSheetCell>& aCells, int iColumns,
                                        int iCellWidth) {
  if (aCells.empty()) return nullptr;
  const int iCount = static_cast<int>(aCells.size());
  iColumns = std::clamp(iColumns, 1, iCount);
  iCellWidth = std::max(iCellWidth, 16);
  const int iRows = (iCount + iColumns - 1) / iColumns;
  int iCellHeight = iCellWidth;
  for (const CSheetCell& cell : aCells) {
    if (!cell.m_pPicture || cell.m_pPicture->m_iWidth <= 0) continue;
    iCellHeight = std::max(1, static_cast<int>(static_cast<std::int64_t>(iCellWidth) *
                                               cell.m_pPicture->m_iHeight /
                                               cell.m_pPicture->m_iWidth));
    break;
  }

  LOGFONT lf{};
  lf.lfHeight = -kCaptionHeight;
  lf.lfWeight = FW_NORMAL;
  std::copy_n("Arial", 6, lf.lfFaceName);
  HFONT hFont = CreateFontIndirect(lf);
  const int iTextHeight = hFont ? hFont->Height() : 0;
  const int iStepX = iCellWidth + kMargin;
  const int iStepY = iCellHeight + kCaptionGap + iTextHeight + kMargin;
  auto pSheet = std::make_unique<CDADC>(kMargin + iColumns * iStepX, kMargin + iRows * iStepY);
  if (!pSheet->IsValid()) return nullptr;
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
