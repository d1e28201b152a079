#include "platform/gdi/region.h"

#include <algorithm>

namespace {

using XSpan = CRgnData::XSpan;

// Applies a boolean operation to two sorted, disjoint run lists by sweeping
// over their boundaries.
void CombineRuns(const XSpan* a0, const XSpan* a1, const XSpan* b0, const XSpan* b1, int iMode,
                 std::vector<XSpan>& out) {
  auto inside = [iMode](bool bA, bool bB) {
    switch (iMode) {
      case RGN_AND: return bA && bB;
      case RGN_OR: return bA || bB;
      case RGN_XOR: return bA != bB;
      case RGN_DIFF: return bA && !bB;
      default: return bA;
    }
  };
  bool bInA = false, bInB = false, bIn = false;
  int xStart = 0;
  const XSpan *pa = a0, *pb = b0;
  // Next boundary of each list: a run's start while outside it, its end inside.
  while (pa != a1 || pb != b1) {
    const long long xa = pa != a1 ? (bInA ? pa->x1 : pa->x0) : (1LL << 40);
    const long long xb = pb != b1 ? (bInB ? pb->x1 : pb->x0) : (1LL << 40);
    const int x = static_cast<int>(std::min(xa, xb));
    if (xa == x) {
      if (bInA) ++pa;
      bInA = !bInA;
    }
    if (xb == x) {
      if (bInB) ++pb;
      bInB = !bInB;
    }
    const bool bNow = inside(bInA, bInB);
    if (bNow && !bIn) xStart = x;
    if (!bNow && bIn && xStart < x) {
      if (!out.empty() && out.back().x1 == xStart)
        out.back().x1 = x;
      else
        out.push_back({xStart, x});
    }
    bIn = bNow;
  }
}

}  // namespace

CRgnData CRgnData::FromRect(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  CRgnData rgn;
  if (l == r || t == b) return rgn;
  const XSpan s{l, r};
  rgn.AppendBand(t, b, &s, &s + 1);
  return rgn;
}

CRgnData CRgnData::FromSpans(const gdi::SpanList& spans) {
  CRgnData rgn;
  std::vector<XSpan> aRow;
  for (std::size_t i = 0; i < spans.size();) {
    const int y = spans[i].y;
    aRow.clear();
    for (; i < spans.size() && spans[i].y == y; ++i) {
      if (spans[i].x0 >= spans[i].x1) continue;
      if (!aRow.empty() && spans[i].x0 <= aRow.back().x1)
        aRow.back().x1 = std::max(aRow.back().x1, spans[i].x1);  // touching runs join
      else
        aRow.push_back({spans[i].x0, spans[i].x1});
    }
    rgn.AppendBand(y, y + 1, aRow.data(), aRow.data() + aRow.size());
  }
  return rgn;
}

void CRgnData::AppendBand(int y0, int y1, const XSpan* pFirst, const XSpan* pLast) {
  if (y0 >= y1 || pFirst == pLast) return;
  if (!m_aBands.empty()) {
    Band& last = m_aBands.back();
    // A band that continues the previous one with the same runs extends it.
    if (last.y1 == y0 && static_cast<std::size_t>(pLast - pFirst) == last.iLast - last.iFirst &&
        std::equal(pFirst, pLast, m_aSpans.begin() + last.iFirst)) {
      last.y1 = y1;
      return;
    }
  }
  const auto iFirst = static_cast<std::uint32_t>(m_aSpans.size());
  m_aSpans.insert(m_aSpans.end(), pFirst, pLast);
  m_aBands.push_back({y0, y1, iFirst, static_cast<std::uint32_t>(m_aSpans.size())});
}

CRgnData CRgnData::Combine(const CRgnData& a, const CRgnData& b, int iMode) {
  if (iMode == RGN_COPY) return a;
  // Every band boundary of either region starts a new piece of constant runs.
  std::vector<int> aY;
  aY.reserve(2 * (a.m_aBands.size() + b.m_aBands.size()));
  for (const Band& band : a.m_aBands) {
    aY.push_back(band.y0);
    aY.push_back(band.y1);
  }
  for (const Band& band : b.m_aBands) {
    aY.push_back(band.y0);
    aY.push_back(band.y1);
  }
  std::sort(aY.begin(), aY.end());
  aY.erase(std::unique(aY.begin(), aY.end()), aY.end());
  CRgnData rgn;
  std::vector<XSpan> aRuns;
  std::size_t ia = 0, ib = 0;
  for (std::size_t k = 0; k + 1 < aY.size(); ++k) {
    const int y0 = aY[k], y1 = aY[k + 1];
    while (ia < a.m_aBands.size() && a.m_aBands[ia].y1 <= y0) ++ia;
    while (ib < b.m_aBands.size() && b.m_aBands[ib].y1 <= y0) ++ib;
    const XSpan *a0 = nullptr, *a1 = nullptr, *b0 = nullptr, *b1 = nullptr;
    if (ia < a.m_aBands.size() && a.m_aBands[ia].y0 <= y0) {
      a0 = a.m_aSpans.data() + a.m_aBands[ia].iFirst;
      a1 = a.m_aSpans.data() + a.m_aBands[ia].iLast;
    }
    if (ib < b.m_aBands.size() && b.m_aBands[ib].y0 <= y0) {
      b0 = b.m_aSpans.data() + b.m_aBands[ib].iFirst;
      b1 = b.m_aSpans.data() + b.m_aBands[ib].iLast;
    }
    aRuns.clear();
    CombineRuns(a0, a1, b0, b1, iMode, aRuns);
    rgn.AppendBand(y0, y1, aRuns.data(), aRuns.data() + aRuns.size());
  }
  return rgn;
}

int CRgnData::Kind() const {
  if (m_aBands.empty()) return NULLREGION;
  return (m_aBands.size() == 1 && m_aSpans.size() == 1) ? SIMPLEREGION : COMPLEXREGION;
}

RECT CRgnData::Bounds() const {
  RECT rc;
  if (m_aBands.empty()) return rc;
  rc.top = m_aBands.front().y0;
  rc.bottom = m_aBands.back().y1;
  rc.left = INT32_MAX;
  rc.right = INT32_MIN;
  for (const Band& band : m_aBands) {
    rc.left = std::min(rc.left, m_aSpans[band.iFirst].x0);
    rc.right = std::max(rc.right, m_aSpans[band.iLast - 1].x1);
  }
  return rc;
}

std::pair<const XSpan*, const XSpan*> CRgnData::RowSpans(int y) const {
  auto it = std::upper_bound(m_aBands.begin(), m_aBands.end(), y,
                             [](int yy, const Band& band) { return yy < band.y1; });
  if (it == m_aBands.end() || it->y0 > y) return {nullptr, nullptr};
  return {m_aSpans.data() + it->iFirst, m_aSpans.data() + it->iLast};
}

bool CRgnData::Contains(int x, int y) const {
  auto [p, pEnd] = RowSpans(y);
  for (; p != pEnd; ++p) {
    if (x < p->x0) return false;
    if (x < p->x1) return true;
  }
  return false;
}

bool CRgnData::operator==(const CRgnData& o) const {
  if (m_aBands.size() != o.m_aBands.size()) return false;
  for (std::size_t i = 0; i < m_aBands.size(); ++i) {
    const Band &a = m_aBands[i], &b = o.m_aBands[i];
    if (a.y0 != b.y0 || a.y1 != b.y1 || a.iLast - a.iFirst != b.iLast - b.iFirst ||
        !std::equal(m_aSpans.begin() + a.iFirst, m_aSpans.begin() + a.iLast,
                    o.m_aSpans.begin() + b.iFirst))
      return false;
  }
  return true;
}
