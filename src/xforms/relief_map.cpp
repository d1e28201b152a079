#include "xforms/relief_map.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/colour.h"
#include "imaging/column_bands.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/report.h"
#include "xforms/progress.h"

const char* CheckReliefMapSettings(ReliefMapParams& p) {
  p.m_iHill = std::max(p.m_iHill, p.m_iSeaLevel);
  p.m_iRock = std::max(p.m_iRock, p.m_iHill);
  p.m_iSnowLine = std::max(p.m_iSnowLine, p.m_iRock);
  if (!p.m_bContours) p.m_bNumbered = 0;
  return nullptr;
}

int ValidateReliefMap(ReliefMapParams& p, const char** pszWhy) {
  if (p.m_iSeaLevel <= p.m_iHill && p.m_iHill <= p.m_iRock && p.m_iRock <= p.m_iSnowLine) return 1;
  if (pszWhy) *pszWhy = "the levels must rise in order: sea_level <= hill <= rock <= snow_line";
  return 0;
}

void AutochooseReliefMap(ReliefMapParams& p, AreaSelection& sel) {
  // Each level is drawn from at least the one below it, so they are ordered.
  p.m_iSeaLevel = RandomInt(0, 85);
  p.m_iHill = RandomInt(p.m_iSeaLevel, 127);
  p.m_iRock = RandomInt(p.m_iHill, 191);
  p.m_iSnowLine = RandomInt(p.m_iRock, 255);
  sel.SetSmooth(RandomInt(2, 4));
  sel.m_bInvert = RandomChance();
  const int b = RandomInt(0, 100);
  p.m_bEarth = b < 85 ? 1 : 0;
  if (b > 84) {
    p.m_bContours = 0;  // Numbered is left as it was
  } else {
    p.m_bContours = RandomInt(0, 100) > 66 ? 1 : 0;
    if (p.m_bContours) {
      sel.SetSmooth(RandomInt(4, 8));  // smoother heights give calmer contours
      p.m_bNumbered = RandomChance();
    }
  }
}

ReliefColours ChooseReliefColours(const ReliefMapParams& p) {
  if (p.m_bEarth)
    return {RGB(117, 215, 106), RGB(117, 215, 106), RGB(225, 193, 64), RGB(58, 207, 224),
            RGB(255, 255, 255)};
  ReliefColours c;
  c.m_crLowland = RandomColour();
  c.m_crHill = RandomColour();
  c.m_crMountain = RandomColour();
  c.m_crWater = RandomColour();
  c.m_crSnow = RandomColour();
  return c;
}

EReliefClass ReliefClass(const ReliefMapParams& p, const ReliefColours& cols, int m,
                         COLORREF& crColour) {
  auto is = [&](EReliefClass eClass, COLORREF c) {
    crColour = c;
    return eClass;
  };
  if (m > p.m_iSnowLine) return is(RELIEF_SNOW, cols.m_crSnow);
  if (m < p.m_iSeaLevel) return is(RELIEF_WATER, cols.m_crWater);
  if (m < p.m_iHill) return is(RELIEF_LOWLAND, cols.m_crLowland);
  // Rock blends from hill to mountain between the middles of the rock band's
  // neighbours (halves truncated toward zero).
  const int c = p.m_iRock + (p.m_iSnowLine - p.m_iRock) / 2;
  const int b = p.m_iRock + (p.m_iHill - p.m_iRock) / 2;
  if (m >= c) return is(RELIEF_MOUNTAIN, cols.m_crMountain);
  if (m <= b) return is(RELIEF_HILL, cols.m_crHill);
  const double t = static_cast<double>(m - b) / (c - b);
  return is(RELIEF_ROCK, BlendColour(t, cols.m_crMountain, cols.m_crHill));
}

double ReliefSlope(const ReliefMapParams& p, EReliefClass eClass, int m, int iAbove) {
  // Lowland and low hills fade in their shading from the middle of the
  // lowland band up to the middle of the hill band; flat there when the two
  // middles coincide (the band has no width to fade over).
  double d = 1;
  if (eClass == RELIEF_LOWLAND || eClass == RELIEF_HILL) {
    const int f = p.m_iHill + (p.m_iRock - p.m_iHill) / 2;
    const int g = p.m_iSeaLevel + (p.m_iHill - p.m_iSeaLevel) / 2;
    if (m <= f) {
      if (m < g)
        d = 0;
      else if (f > g)
        d = static_cast<double>(m - g) / (f - g);
    }
  }
  const double e = d * (m - iAbove) * 0.023529411764705882 + 1;  // 6/255 per level
  return e < 0.1 ? 0.1 : e;
}

// ---- Contours ---------------------------------------------------------------

CContourTracer::CContourTracer(const std::uint8_t* pMap, int nw, int nh)
    : m_pMap(pMap), m_nw(nw), m_nh(nh), m_aMarks(static_cast<std::size_t>(nw) * nh) {
  m_aPoints.reserve(64);
}

POINT CContourTracer::GridPoint(const Walker& w, int k) {
  return {w.x + (((k + w.d) & 2) != 0 ? 1 : 0), w.y + (((k + w.d - 1) & 2) == 0 ? 1 : 0)};
}

int CContourTracer::Corner(const Walker& w, int k) const {
  const POINT pt = GridPoint(w, k);
  if (pt.x < 0 || pt.y < 0 || pt.x >= m_nw || pt.y >= m_nh) return -1;
  return m_pMap[static_cast<std::size_t>(pt.y) * m_nw + pt.x];
}

std::uint8_t& CContourTracer::MarkOf(const Walker& w, int k0, int k1, std::uint8_t& bit) {
  // Both corners of an edge the walker marks lie inside the map.
  const POINT a = GridPoint(w, k0), b = GridPoint(w, k1);
  bit = a.y == b.y ? 1 : 2;
  return m_aMarks[static_cast<std::size_t>(std::min(a.y, b.y)) * m_nw + std::min(a.x, b.x)];
}

bool CContourTracer::Marked(const Walker& w, int k0, int k1) {
  std::uint8_t bit;
  return (MarkOf(w, k0, k1, bit) & bit) != 0;
}

void CContourTracer::Mark(const Walker& w, int k0, int k1) {
  std::uint8_t bit;
  MarkOf(w, k0, k1, bit) |= bit;
}

bool CContourTracer::Starts(const Walker& w, int L) const {
  const int a = Corner(w, 0), b = Corner(w, 1);
  return a >= L && b >= 0 && b < L;
}

void CContourTracer::Follow(Walker w, int L, bool bHighSaddle) {
  m_aPoints.clear();
  const std::size_t iMaxPoints = 2 * static_cast<std::size_t>(m_nw) * m_nh;
  for (;;) {
    // The crossing on the entry edge (corners 0 and 1).
    const int a = Corner(w, 0), b = Corner(w, 1);
    if (a < 0 || b < 0 || a == b) break;
    const double t = static_cast<double>(a - L) / (a - b);
    double px, py;
    switch (w.d) {
      case 0: px = w.x, py = w.y + t; break;
      case 1: px = w.x + t, py = w.y + 1; break;
      case 2: px = w.x + 1, py = w.y + 1 - t; break;
      default: px = w.x + 1 - t, py = w.y; break;
    }
    if (m_aPoints.size() < iMaxPoints)
      m_aPoints.push_back({px / (m_nw - 1), py / (m_nh - 1)});

    // Edges of the cell: 2 the entry (corners 0-1), 0 opposite (2-3),
    // 1 joins corners 3 and 0, 3 joins corners 1 and 2.
    if (Marked(w, 0, 1)) break;
    Mark(w, 0, 1);
    const int e = Corner(w, 2), f = Corner(w, 3);
    if (e < 0 || f < 0) break;  // the contour leaves the map
    int iTurn;
    if (e < L && f > L) {
      Mark(w, 3, 0), Mark(w, 1, 2);
      iTurn = 0;  // straight on, through edge 0
    } else if (e >= L && f > L) {
      Mark(w, 3, 0), Mark(w, 2, 3);
      iTurn = 3;  // through edge 3
    } else if (e < L) {
      Mark(w, 2, 3), Mark(w, 1, 2);
      iTurn = 1;  // through edge 1
    } else {
      iTurn = bHighSaddle ? 1 : 3;  // a saddle
    }
    w.d = (w.d + iTurn) & 3;
    switch (w.d) {
      case 0: ++w.x; break;
      case 1: --w.y; break;
      case 2: --w.x; break;
      default: ++w.y; break;
    }
  }
}

void CContourTracer::Level(int L, bool bHighSaddle, const DrawFn& draw) {
  std::fill(m_aMarks.begin(), m_aMarks.end(), 0);
  auto trace = [&](const Walker& w) {
    Follow(w, L, bHighSaddle);
    draw(m_aPoints);
  };
  // Open contours, walking round the border: down the left side, right along
  // the bottom, up the right side, left along the top.
  for (int y = 0; y <= m_nh - 2; ++y)
    if (const Walker w{0, y, 0}; Starts(w, L)) trace(w);
  for (int x = 0; x <= m_nw - 2; ++x)
    if (const Walker w{x, m_nh - 2, 1}; Starts(w, L)) trace(w);
  for (int y = m_nh - 2; y >= 0; --y)
    if (const Walker w{m_nw - 2, y, 2}; Starts(w, L)) trace(w);
  for (int x = m_nw - 2; x >= 0; --x)
    if (const Walker w{x, 0, 3}; Starts(w, L)) trace(w);
  // Closed contours: any interior vertical edge not crossed yet, column by
  // column, each from the top. The edges that go from L or more to below L
  // are found along the rows (the map's order), then put in column order.
  if (m_nw < 3 || m_nh < 2) return;
  std::vector<POINT> aFound;
  std::vector<int> aFirst(static_cast<std::size_t>(m_nw) + 1, 0);  // column x's from [x] to [x + 1]
  const int nw = m_nw;
  for (int y = 0; y <= m_nh - 2; ++y) {
    const std::uint8_t* pAbove = m_pMap + static_cast<std::size_t>(y) * nw;
    const std::uint8_t* pBelow = pAbove + nw;
    // Most runs of the row hold no such edge: a look at each run as a whole
    // first (without branches), then at the cells of the runs that do.
    constexpr int kRun = 32;
    for (int x0 = 1; x0 <= nw - 2; x0 += kRun) {
      const int x1 = std::min(x0 + kRun, nw - 1);
      int iAny = 0;
      for (int x = x0; x < x1; ++x) iAny |= (pAbove[x] >= L) & (pBelow[x] < L);
      if (!iAny) continue;
      for (int x = x0; x < x1; ++x) {
        if (pAbove[x] >= L && pBelow[x] < L) {
          aFound.push_back({x, y});
          ++aFirst[static_cast<std::size_t>(x) + 1];
        }
      }
    }
  }
  for (int x = 1; x <= m_nw; ++x)
    aFirst[static_cast<std::size_t>(x)] += aFirst[static_cast<std::size_t>(x) - 1];
  std::vector<int> aRows(aFound.size());
  for (const POINT& pt : aFound)
    aRows[static_cast<std::size_t>(aFirst[static_cast<std::size_t>(pt.x)]++)] = pt.y;
  // (Each column's start has moved on to the next's.)
  for (int x = 1, i = 0; x <= m_nw - 2; ++x)
    for (; i < aFirst[static_cast<std::size_t>(x)]; ++i)
      if (const Walker w{x, aRows[static_cast<std::size_t>(i)], 0}; !Marked(w, 0, 1)) trace(w);
}

namespace {

// Contour lines every 32 levels over the half-size map, with height labels
// when Numbered is set.
void DrawReliefContours(const ReliefMapParams& p, const ReliefColours& cols,
                        const std::uint8_t* pField, int w, int h, CDADC& out, int s,
                        XformContext& ctx) {
  const int nw = w / 2, nh = h / 2;
  ForceFieldMap pHalf = ShrinkForceField(pField, w, h, nw, nh);
  if (!pHalf) return;  // 23 pixels or fewer in a direction: no contours
  const std::size_t iSize = static_cast<std::size_t>(nw) * nh;
  int iMin = 255, iMax = 0;
  double dSum = 0;
  for (std::size_t i = 0; i < iSize; ++i) {
    iMin = std::min<int>(iMin, pHalf[i]);
    iMax = std::max<int>(iMax, pHalf[i]);
    dSum += pHalf[i];
  }
  if (iMax == iMin) return;
  const double dMean = dSum / static_cast<double>(iSize);

  CDC& dc = *out.m_pDC;
  const int W = out.m_iWidth, H = out.m_iHeight;
  // The labels' font, made only when there are labels: contours alone draw
  // no text, so they neither read the fonts nor fail for want of one.
  HFONT hOldFont;
  if (p.m_bNumbered) {
    LOGFONT lf{};
    lf.lfHeight = std::max(4, static_cast<int>(H * 2.5 * 0.01));
    lf.lfWeight = 400;
    std::strcpy(lf.lfFaceName, "Arial");
    HFONT hFont = CreateFontIndirect(lf);
    if (!hFont) {
      ReportError("Could not create font");
      ctx.RequestStop();
      return;
    }
    hOldFont = dc.SelectObject(hFont);
  }
  const UINT iOldAlign = dc.SetTextAlign(TA_BASELINE | TA_CENTER);
  const int iOldBkMode = dc.SetBkMode(TRANSPARENT);
  HPEN hOldPen = dc.GetCurrentPen();
  // Drawn segments since the last label, over all contours of this picture
  // (and of this picture only, so that a stored idea regenerates with its
  // labels where they were): a label goes at the current point after 90.
  int iLabelCounter = 0;

  try {
    CContourTracer tracer(pHalf.get(), nw, nh);
    // The levels 32, 64, ... below the maximum (the first is 32 for any force values).
    for (int L = 32; L < iMax; L += 32) {
      const COLORREF crLine = L < p.m_iSeaLevel    ? ScaleColour(cols.m_crWater, 0.66)
                              : L <= p.m_iSnowLine ? RGB(100, 100, 120)
                                                   : RGB(190, 190, 255);
      HPEN hPen = CreatePen(PS_SOLID, s == 4 ? 2 : 1, crLine);
      dc.SelectObject(hPen);
      char szLabel[16];
      std::snprintf(szLabel, sizeof szLabel, "%dm", L * 100 / 255 * 10);
      tracer.Level(L, L >= dMean, [&](const std::vector<ReliefPoint>& aPts) {
        if (aPts.size() < 8) return;  // too short to be worth a line
        dc.MoveTo(static_cast<int>(aPts[0].x * W), static_cast<int>(aPts[0].y * H));
        for (std::size_t i = 1; i < aPts.size(); ++i) {
          dc.LineTo(static_cast<int>(aPts[i].x * W), static_cast<int>(aPts[i].y * H));
          if (p.m_bNumbered && ++iLabelCounter > 90) {
            const POINT pt = dc.GetCurrentPosition();
            dc.TextOut(pt.x, pt.y, szLabel, static_cast<int>(std::strlen(szLabel)));
            iLabelCounter = 0;
          }
        }
      });
      dc.SelectObject(hOldPen);
      if (ctx.Stopped()) break;
    }
  } catch (const std::bad_alloc&) {
    // No memory for the edge marks or the points: the map stays without contours.
  }
  dc.SelectObject(hOldPen);
  dc.SetBkMode(iOldBkMode);
  dc.SetTextAlign(iOldAlign);
  if (p.m_bNumbered) dc.SelectObject(hOldFont);
}

// The colours of every force below every force above, and which forces are
// jittered.
struct ReliefTables {
  std::vector<COLORREF> m_aColourOf;  // at force * 256 + force above
  bool m_abJitter[256] = {};
};

constexpr COLORREF kNoJitter = 0xFFFFFFFF;

// The column x0 + k of a band of n columns whose forces are held along the
// rows (pixel (x0 + k, y) at y * n + k): the fill colours into pFill and the
// jittered ones into pJitter (kNoJitter where none), or without pJitter each
// pixel's last colour into pFill. The jitter is JitterColour(c, 0.09) with
// the run's draws. Returns the number of draws.
long long ColourReliefColumn(const ReliefTables& t, const std::uint8_t* pForces, int n, int k,
                             int h, CRandomRun& rnd, COLORREF* pFill, COLORREF* pJitter) {
  constexpr double dLo = 1.0 - 0.09, dHi = 1.0 + 0.09;
  int iAbove = pForces[k];  // the top row has no slope
  long long iDraws = 0;
  for (int y = 0; y < h; ++y) {
    const std::size_t i = static_cast<std::size_t>(y) * n + k;
    const int m = pForces[i];
    const COLORREF c = t.m_aColourOf[static_cast<std::size_t>(m) * 256 + iAbove];
    COLORREF cJitter = kNoJitter;
    if (t.m_abJitter[m]) {
      cJitter = JitterColour(rnd, c, dLo, dHi);
      iDraws += 3;
    }
    if (pJitter) {
      pFill[i] = c;
      pJitter[i] = cJitter;
    } else {
      pFill[i] = cJitter == kNoJitter ? c : cJitter;
    }
    iAbove = m;
  }
  return iDraws;
}

// The columns' progress from 5 to 90 %, "Mountain growth..." near the end.
// Returns whether a stop is asked for.
bool ReliefColumnDone(int q, XformContext& ctx) {
  SetPercent(ctx.m_pPercent, 5, 90, q);
  if (ctx.Stopped()) return true;
  if (q > 80 && q < 85) SetStatusText("Mountain growth...");
  return false;
}

// The colours (and the jitter's random draws) go column by column, in bands
// of columns; each band is then drawn row by row, so that the surface is
// written along its rows. Every block is drawn by the same calls as column
// by column (the fill, then the jittered colour over it), and blocks do not
// overlap, so the bytes are the same; the last call is still that of the
// bottom right block. Returns false when there is no memory.
bool PaintReliefByDC(CDC& dc, const ReliefTables& t, const std::uint8_t* pField, int w, int h,
                     int s, XformContext& ctx) {
  constexpr int kBand = 32;
  const std::size_t iBand = static_cast<std::size_t>(std::min(w, kBand)) * h;
  std::vector<COLORREF> aFill, aJitter;
  std::vector<std::uint8_t> aForces;
  try {
    aFill.resize(iBand);
    aJitter.resize(iBand);
    aForces.resize(iBand);
  } catch (const std::bad_alloc&) {
    ReportError("Relief Map: not enough memory");
    return false;
  }
  CRandomRun rnd;
  bool bStopped = false;
  for (int x0 = 0; x0 < w && !bStopped; x0 += kBand) {
    const int n = std::min(kBand, w - x0);
    CopyBandForces(pField, w, h, x0, n, aForces.data());
    int k = 0;
    while (k < n && !bStopped) {
      ColourReliefColumn(t, aForces.data(), n, k, h, rnd, aFill.data(), aJitter.data());
      bStopped = ReliefColumnDone(static_cast<int>((x0 + k) * 100LL / w), ctx);
      ++k;
    }
    for (int y = 0; y < h; ++y) {
      const COLORREF* pFill = aFill.data() + static_cast<std::size_t>(y) * n;
      const COLORREF* pJitter = aJitter.data() + static_cast<std::size_t>(y) * n;
      for (int j = 0; j < k; ++j) {
        const int x = x0 + j;
        const COLORREF cFill = pFill[j], cJitter = pJitter[j];
        // A jittered block larger than a pixel is a second opaque fill that
        // covers the first whatever the mode: the first is left out.
        if (cJitter == kNoJitter || s == 1)
          dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, cFill);
        if (cJitter == kNoJitter) continue;
        if (s == 1)
          dc.SetPixelV(x, y, cJitter);
        else
          dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, cJitter);
      }
    }
  }
  return true;
}

// The other rows of the s x s blocks of columns [x0, x1), copies of each
// block row's first.
void CopyBlockRows(CBitmap& bitmap, int h, int x0, int x1, int s) {
  if (x1 <= x0) return;
  const std::size_t iOffset = static_cast<std::size_t>(3) * x0 * s;
  const std::size_t iBytes = static_cast<std::size_t>(3) * (x1 - x0) * s;
  for (int y = 0; y < h; ++y)
    for (int i = 1; i < s; ++i)
      std::memcpy(bitmap.Row(y * s + i) + iOffset, bitmap.Row(y * s) + iOffset, iBytes);
}

// The same bytes written straight into the surface, each pixel's last
// colour once, with the columns shared between the cores: the draws of a
// column are three per jittered pixel, so each block of columns starts its
// own run where the draws of the columns before it leave the generator (a
// run of the block's own, also when there is one block, so that it stays in
// a register), and the thread's generator moves on by the draws made.
// Returns false when there is no memory.
bool PaintReliefDirect(CDC& dc, CBitmap& bitmap, const ReliefTables& t, const std::uint8_t* pField,
                       int w, int h, int s, XformContext& ctx) {
  constexpr int kBand = 32;
  const int iBlocks = RowBlockCount(w, 4 * kBand);
  // The draws before each block, and in all.
  std::vector<long long> aDrawsBefore(static_cast<std::size_t>(w) + 1, 0);
  if (iBlocks > 1) {
    std::vector<int> aJittered(static_cast<std::size_t>(w), 0);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* pRow = pField + static_cast<std::size_t>(y) * w;
      for (int x = 0; x < w; ++x) aJittered[static_cast<std::size_t>(x)] += t.m_abJitter[pRow[x]];
    }
    for (int x = 0; x < w; ++x)
      aDrawsBefore[static_cast<std::size_t>(x) + 1] =
          aDrawsBefore[static_cast<std::size_t>(x)] + 3LL * aJittered[static_cast<std::size_t>(x)];
  }
  CRandomRun rnd;
  const CRandomRun start = rnd.Ahead(0);
  std::atomic<bool> bNoMemory{false};
  long long aiDraws[kMaxRowBlocks] = {};
  // Each block's last column drawn and the last colour of its bottom pixel.
  int aiLastX[kMaxRowBlocks];
  COLORREF aLast[kMaxRowBlocks] = {};
  std::fill(aiLastX, aiLastX + kMaxRowBlocks, -1);
  ForEachRowBlock(w, iBlocks, [&](int iBlock, int iFirst, int iEnd) {
    const std::size_t iBand = static_cast<std::size_t>(std::min(iEnd - iFirst, kBand)) * h;
    std::unique_ptr<COLORREF[]> pColours(new (std::nothrow) COLORREF[iBand]);
    std::unique_ptr<std::uint8_t[]> pForces(new (std::nothrow) std::uint8_t[iBand]);
    if (!pColours || !pForces) {
      bNoMemory = true;
      return;
    }
    CRandomRun run = start.Ahead(aDrawsBefore[static_cast<std::size_t>(iFirst)]);
    long long iDraws = 0;
    bool bStopped = false;
    for (int x0 = iFirst; x0 < iEnd && !bStopped; x0 += kBand) {
      const int n = std::min(kBand, iEnd - x0);
      CopyBandForces(pField, w, h, x0, n, pForces.get());
      int k = 0;
      while (k < n && !bStopped) {
        iDraws += ColourReliefColumn(t, pForces.get(), n, k, h, run, pColours.get(), nullptr);
        ++k;
        if (iBlock == 0)
          bStopped =
              ReliefColumnDone(static_cast<int>((x0 + k - iFirst) * 100LL / (iEnd - iFirst)), ctx);
        else
          bStopped = ctx.Stopped();
      }
      WriteBandRows(bitmap, pColours.get(), n, k, h, x0, s, bitmap.Width());
      aiLastX[iBlock] = x0 + k - 1;
      aLast[iBlock] = pColours[static_cast<std::size_t>(h - 1) * n + (k - 1)];
    }
    // The block's columns drawn, whole block rows at a time.
    if (s > 1) CopyBlockRows(bitmap, h, iFirst, aiLastX[iBlock] + 1, s);
    aiDraws[iBlock] = iDraws;
  });
  for (int b = 0; b < iBlocks; ++b) rnd.Skip(aiDraws[b]);
  if (bNoMemory) {
    ReportError("Relief Map: not enough memory");
    return false;
  }
  // The background the fills would leave: that of the last block filled, the
  // bottom one of the last column (at s = 1 the fill under its jitter).
  for (int b = iBlocks - 1; b >= 0; --b) {
    const int x = aiLastX[b];
    if (x < 0) continue;
    COLORREF crBk = aLast[b];
    if (s == 1) {
      const int m = ForceAt(pField, x, h - 1, w),
                iAbove = ForceAt(pField, x, std::max(h - 2, 0), w);
      crBk = t.m_aColourOf[static_cast<std::size_t>(m) * 256 + iAbove];
    }
    dc.SetBkColor(crBk);
    break;
  }
  return true;
}

}  // namespace

int ApplyReliefMap(const ReliefMapParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  if (p.m_bContours && p.m_bNumbered && !ctx.ShippedFontsWhole()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();

  SetPercent(ctx.m_pPercent, 0, 100, 5, "Water Analysis...splosh...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  SetStatusText("Soil Analysis...");
  const ReliefColours cols = ChooseReliefColours(p);
  CBitmap* pDirect = DirectlyWritable(dc, w * s, h * s);
  // A pixel's colour depends only on its force and the force above it:
  // 256 x 256 of them, worked out once (the same arithmetic on the same
  // values, so the same colours); whether it is jittered on its force alone.
  ReliefTables tables;
  try {
    tables.m_aColourOf.resize(256 * 256);
  } catch (const std::bad_alloc&) {
    ReportError("Relief Map: not enough memory");
    return 0;
  }
  for (int m = 0; m < 256; ++m) {
    for (int iAbove = 0; iAbove < 256; ++iAbove) {
      COLORREF c;
      const EReliefClass eClass = ReliefClass(p, cols, m, c);
      if (eClass != RELIEF_WATER) c = ScaleColour(c, ReliefSlope(p, eClass, m, iAbove));
      tables.m_aColourOf[static_cast<std::size_t>(m) * 256 + iAbove] = c;
      tables.m_abJitter[m] = eClass != RELIEF_WATER && eClass != RELIEF_SNOW;
    }
  }
  const bool bDone = pDirect ? PaintReliefDirect(dc, *pDirect, tables, pField.get(), w, h, s, ctx)
                             : PaintReliefByDC(dc, tables, pField.get(), w, h, s, ctx);
  if (!bDone) return 0;

  SetStatusText("Snowing...");
  if (!ctx.Stopped() && p.m_bContours) DrawReliefContours(p, cols, pField.get(), w, h, out, s, ctx);

  pField.reset();
  SetPercent(ctx.m_pPercent, 0, 10, 100, "");
  return ctx.Stopped() ? 0 : 1;
}
