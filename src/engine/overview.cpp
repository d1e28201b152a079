#include "engine/overview.h"

#include <algorithm>
#include <new>

#include "imaging/dadc.h"
#include "platform/dc.h"
#include "platform/report.h"

namespace {

// The first iChars characters of a UTF-8 text, never cutting one in two.
std::string FirstCharacters(const char* sz, std::size_t iChars) {
  std::string csText;
  if (!sz) return csText;
  std::size_t iCount = 0;
  for (const char* p = sz; *p; ++p) {
    const bool bStartsCharacter = (static_cast<unsigned char>(*p) & 0xC0) != 0x80;
    if (bStartsCharacter && iCount++ == iChars) break;
    csText += *p;
  }
  return csText;
}

}  // namespace

COverview::COverview() = default;
COverview::~COverview() = default;

int COverview::AddToThumbnails(const CDADC& picture, const char* szName) {
  const int iIndex = Count();
  try {
    // Room first, so that a failure leaves both tables as they were.
    if (m_apThumb.size() == m_apThumb.capacity()) m_apThumb.reserve(2 * m_apThumb.size() + 16);
    if (m_aszName.size() == m_aszName.capacity()) m_aszName.reserve(2 * m_aszName.size() + 16);
  } catch (const std::bad_alloc&) {
    ReportError("COvDlg::AddToThumbnails,\nImage overflow");
    return 0;
  }
  m_iWidth = picture.m_iWidth;
  m_iHeight = picture.m_iHeight;
  const int iLarger = std::max(m_iWidth, m_iHeight);
  std::unique_ptr<CDADC> pThumb;
  if (iLarger > 0) pThumb = CDADC::ScaledCopy(static_cast<double>(kThumbSize) / iLarger, picture);
  const bool bMade = pThumb != nullptr;
  m_apThumb.push_back(std::move(pThumb));
  m_aszName.push_back(FirstCharacters(szName, kNameLength));
  m_iCurrent = iIndex;
  if (!bMade) {
    ReportError("COvDlg::AddToThumbnails,\nNULL image");
    return 0;
  }
  return iIndex;
}

int COverview::AddPlaceholder(const char* szName) {
  try {
    m_apThumb.emplace_back();
    m_aszName.push_back(FirstCharacters(szName, kNameLength));
  } catch (const std::bad_alloc&) {
    m_apThumb.resize(m_aszName.size());
    ReportError("COvDlg::AddToThumbnails,\nImage overflow");
    return -1;
  }
  return Count() - 1;
}

void COverview::SetThumbnail(int i, const CDADC& picture) {
  if (i < 0 || i >= Count()) return;
  const int iLarger = std::max(picture.m_iWidth, picture.m_iHeight);
  if (iLarger <= 0) return;
  m_apThumb[static_cast<std::size_t>(i)] =
      CDADC::ScaledCopy(static_cast<double>(kThumbSize) / iLarger, picture);
}

const CDADC* COverview::Thumbnail(int i) const {
  return i >= 0 && i < Count() ? m_apThumb[static_cast<std::size_t>(i)].get() : nullptr;
}

void COverview::GoFirst() { m_iCurrent = 0; }
void COverview::GoLast() { m_iCurrent = Count() - 1; }
void COverview::GoBack() {
  if (m_iCurrent > 0) --m_iCurrent;
}
void COverview::GoForward() {
  if (m_iCurrent < Count() - 1) ++m_iCurrent;
}

std::vector<COverviewCell> COverview::Layout(const RECT& rcFrame) const {
  const int n = Count(), k = m_iCurrent;
  if (n <= 0 || k < 0 || k >= n) return {};
  const RECT rc{rcFrame.left + 2, rcFrame.top + 2, rcFrame.right - 2, rcFrame.bottom - 2};
  const int cw = (rc.right - rc.left) / kCells;
  const int ch = rc.bottom - rc.top;
  // The thumbnail box inside a cell keeps the pictures' proportions with a
  // margin of 8 pixels on its long side.
  const int w = m_iWidth, h = m_iHeight;
  int iBoxLeft, iBoxTop, iBoxWidth, iBoxHeight;
  if (w < h) {
    iBoxWidth = w * (cw - 16) / h;
    iBoxHeight = ch - 16;
    iBoxLeft = (cw - iBoxWidth) / 2;
    iBoxTop = 8;
  } else {
    iBoxWidth = cw - 16;
    iBoxHeight = h * (ch - 16) / w;
    iBoxLeft = 8;
    iBoxTop = (ch - iBoxHeight) / 2;
  }
  // A frame too small for the margins leaves no room (a negative size would
  // mirror the picture).
  if (iBoxWidth <= 0 || iBoxHeight <= 0) iBoxWidth = iBoxHeight = 0;

  std::vector<COverviewCell> aCells(kCells);
  for (int i = 0; i < kCells; ++i) {
    COverviewCell& cell = aCells[static_cast<std::size_t>(i)];
    const int iLeft = rc.left + i * cw;
    cell.m_rcCell = {iLeft, rc.top, iLeft + cw, rc.top + ch};
    const int m = k + i - 2;
    if (m < 0 || m >= n) {
      cell.m_crFill = kEmptyFill;
      continue;
    }
    cell.m_iPicture = m;
    cell.m_crFill = i == 2 ? kCurrentFill : kOtherFill;
    cell.m_csBelow = std::to_string(m);
    cell.m_csAbove = Name(m);
    cell.m_rcThumb = {iLeft + iBoxLeft, rc.top + iBoxTop, iLeft + iBoxLeft + iBoxWidth,
                      rc.top + iBoxTop + iBoxHeight};
  }
  return aCells;
}

void COverview::Paint(CDC& dc, const RECT& rcFrame) const {
  dc.SetStretchBltMode(COLORONCOLOR);
  for (const COverviewCell& cell : Layout(rcFrame)) {
    const RECT& rc = cell.m_rcCell;
    dc.FillSolidRect(rc.left, rc.top, rc.right, rc.bottom, cell.m_crFill);
    const CDADC* pThumb = Thumbnail(cell.m_iPicture);
    const RECT& rcBox = cell.m_rcThumb;
    if (!pThumb || rcBox.right <= rcBox.left || rcBox.bottom <= rcBox.top) continue;
    dc.StretchBlt(rcBox.left, rcBox.top, rcBox.right - rcBox.left, rcBox.bottom - rcBox.top,
                  *pThumb->m_pDC, 0, 0, pThumb->m_iWidth, pThumb->m_iHeight, SRCCOPY);
  }
}

bool COverview::DoubleClick(const RECT& rcFrame, int x, int y) {
  const int iFrameWidth = rcFrame.right - rcFrame.left;
  const int iFrameHeight = rcFrame.bottom - rcFrame.top;
  const int dx = x - rcFrame.left, dy = y - rcFrame.top;
  if (dx <= 0 || dx >= iFrameWidth || dy <= 0 || dy >= iFrameHeight) return false;
  const int m = m_iCurrent + dx * kCells / iFrameWidth - 2;
  if (m < 0 || m >= Count()) return false;
  m_iCurrent = m;
  return true;
}
