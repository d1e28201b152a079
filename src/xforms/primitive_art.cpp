#include "xforms/primitive_art.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "imaging/colour.h"
#include "imaging/column_bands.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/vector_state.h"
#include "xforms/progress.h"

int ValidatePrimitiveArt(PrimitiveArtParams& /*p*/) { return 1; }

void AutochoosePrimitiveArt(PrimitiveArtParams& p, AreaSelection& sel) {
  p.m_crLine = RandomColour();
  p.m_crPaper = RandomColour();
  sel.Reset();
  sel.m_bInvert = RandomInt(0, 100) < 20 ? 1 : 0;
  p.m_iDensity = RandomInt(80, 300);
  p.m_iAreaCovered = RandomInt(5, 60);
  p.m_dFeatureWidth = RandomReal(3.5, 6);
  const int r = RandomInt(1, 100);
  if (r <= 24)
    p.m_iShape = PRIMITIVE_NONE;
  else if (r < 50)
    p.m_iShape = PRIMITIVE_CIRCLE;
  else if (r > 74)
    p.m_iShape = PRIMITIVE_TRIANGLE;
  else
    p.m_iShape = PRIMITIVE_SQUARE;
}

int PercentOfDiagonal(double p, int iWidth, int iHeight) {
  if (!(p >= 0.0 && p <= 100.0)) return 3;
  return static_cast<int>(p * BoundedDiagonal(iWidth, iHeight) * 0.01);
}

void CGradedLinkDrawer::DrawLinks(CDC& dc, int s, const std::vector<CNetNode>& aNodes,
                                  const std::vector<CNetLink>& aLinks) {
  CPenBrushSlots slots(dc);
  const int iOldRop = dc.GetROP2();
  const int n = m_iPasses;
  if (n <= 0) return;
  // Wide and dark first, merged into what lies below: the merged passes of a
  // link commute with those of every other link, so each link's are drawn
  // at once, each pixel written once.
  std::vector<int> aWidths;
  std::vector<COLORREF> aColours;
  for (int i = 0; i + 1 < n; ++i) {
    aWidths.push_back(s * (n - i));
    aColours.push_back(ScaleColour(m_crLine, static_cast<double>(i + 1) / n));
  }
  if (n > 1) {
    for (const CNetLink& link : aLinks) {
      const CNetNode& a = aNodes[static_cast<std::size_t>(link.m_iA)];
      const CNetNode& b = aNodes[static_cast<std::size_t>(link.m_iB)];
      if (a.m_iX == b.m_iX && a.m_iY == b.m_iY) continue;  // LineTo draws nothing there
      const POINT aPts[2] = {{s * a.m_iX, s * a.m_iY}, {s * b.m_iX, s * b.m_iY}};
      dc.MergeGradedStroke(aPts, 2, false, aWidths.data(), aColours.data(), n - 1);
    }
  }
  // Thin and in the full colour last, copied on top.
  const COLORREF crLine = ScaleColour(m_crLine, static_cast<double>(n) / n);
  slots.Select(PS_SOLID, s, crLine, crLine);  // the brush is not used by lines
  dc.SetROP2(R2_COPYPEN);
  for (const CNetLink& link : aLinks) {
    const CNetNode& a = aNodes[static_cast<std::size_t>(link.m_iA)];
    const CNetNode& b = aNodes[static_cast<std::size_t>(link.m_iB)];
    dc.MoveTo(s * a.m_iX, s * a.m_iY);
    dc.LineTo(s * b.m_iX, s * b.m_iY);
  }
  dc.SetROP2(iOldRop);
}

void CShapeNodeDrawer::DrawNode(CDC& dc, int s, const CNetNode& node) {
  const int cx = s * node.m_iX, cy = s * node.m_iY;
  const double dRotation = RandomReal(0, 3.14159);
  const int r0 = s * m_iSize / 2;
  const int c = (node.m_iV - 127) * r0 / 255 + r0;
  POINT aPts[4];
  const int k = m_iShape == PRIMITIVE_SQUARE ? 4 : 3;
  if (m_iShape != PRIMITIVE_CIRCLE) {
    for (int i = 0; i < k; ++i) {
      const double dAngle = dRotation + static_cast<double>(i) / k * TWO_PI;
      aPts[i] = {static_cast<LONG>(cx + std::sin(dAngle) * c),
                 static_cast<LONG>(cy + std::cos(dAngle) * c)};
    }
  }
  const int e = m_iPasses;
  // The merged outlines, widest and darkest first, at once. Their fills
  // would be covered by the last pass's copied fill, so they are left out.
  m_aWidths.clear();
  m_aColours.clear();
  for (int l = 0; l < e; ++l) {
    m_aWidths.push_back((e + 1 - l) * s);
    m_aColours.push_back(ScaleColour(m_crLine, static_cast<double>(l + 1) / (e + 1)));
  }
  if (e > 0) {
    if (m_iShape == PRIMITIVE_CIRCLE)
      dc.MergeGradedEllipse(cx - c, cy - c, cx + c, cy + c, m_aWidths.data(), m_aColours.data(), e);
    else
      dc.MergeGradedStroke(aPts, k, true, m_aWidths.data(), m_aColours.data(), e);
  }
  const COLORREF cr = ScaleColour(m_crLine, static_cast<double>(e + 1) / (e + 1));
  SelectPenAndBrush(m_hPen, PS_SOLID, s, cr, m_hBrush, m_crFill, dc);
  dc.SetROP2(R2_COPYPEN);
  if (m_iShape == PRIMITIVE_CIRCLE)
    dc.Ellipse(cx - c, cy - c, cx + c, cy + c);
  else
    dc.Polygon(aPts, k);
}

void CShapeNodeDrawer::End(CDC& /*dc*/) {
  // The network has put the DC's own objects back: the last pair is free.
  DeleteObject(m_hPen);
  DeleteObject(m_hBrush);
}

namespace {

// The paper's specks, a band of kBand columns at a time: drawn column by
// column (the generator's order) into a table kept along the rows, beside
// the band's forces copied out along the rows (both small enough to stay in
// the cache while the columns are drawn), then written into the surface row
// by row, each pixel once.
class CPaperBands {
 public:
  static constexpr int kBand = 32;

  CPaperBands(CBitmap& bitmap, COLORREF crPaper, const std::uint8_t* pField, int w, int h, int s)
      : m_bitmap(bitmap),
        m_crPaper(crPaper),
        m_pField(pField),
        m_w(w),
        m_h(h),
        m_s(s),
        m_crBk(crPaper & 0xFFFFFF),
        m_iRight(std::min(w * s, bitmap.Width())),
        m_iBottom(std::min(h * s, bitmap.Height())) {
    for (int f = 0; f < 256; ++f) {
      const double v = (255 - f) / 255.0;
      m_aLo[f] = 1.0 - v;
      m_aHi[f] = 1.0 + v;
    }
  }

  int Bands() const { return (m_w + kBand - 1) / kBand; }
  int Columns(int iBand) const { return std::min(kBand, m_w - iBand * kBand); }
  // Memory for a band's specks and forces; false without it.
  bool Allocate(std::unique_ptr<COLORREF[]>& pSpecks,
                std::unique_ptr<std::uint8_t[]>& pForces) const {
    const std::size_t n =
        static_cast<std::size_t>(std::min(m_w, kBand)) * static_cast<std::size_t>(m_h);
    pSpecks.reset(new (std::nothrow) COLORREF[n]);
    pForces.reset(new (std::nothrow) std::uint8_t[n]);
    return pSpecks && pForces;
  }

  void CopyForces(int iBand, std::uint8_t* pForces) const {
    CopyBandForces(m_pField, m_w, m_h, iBand * kBand, Columns(iBand), pForces);
  }

  // Draws the band's specks (pixel (x0 + k, y) at y * n + k). Once a stop is
  // asked for (bStopped) the rest stays plain.
  void Draw(int iBand, const std::uint8_t* pForces, COLORREF* pSpecks, CRandomRun& rnd,
            const XformContext& ctx, bool& bStopped) {
    const int n = Columns(iBand);
    for (int k = 0; k < n; ++k) {
      COLORREF* pSpeck = pSpecks + k;
      if (bStopped) {
        for (int y = 0; y < m_h; ++y) pSpeck[static_cast<std::size_t>(y) * n] = m_crPaper;
        continue;
      }
      const std::uint8_t* pForce = pForces + k;
      for (int y = 0; y < m_h; ++y) {
        COLORREF cr = m_crPaper;
        if (rnd.Int(0, 100) > 80) {
          const int f = pForce[static_cast<std::size_t>(y) * n];
          cr = JitterColour(rnd, m_crPaper, m_aLo[f], m_aHi[f]);
          if (m_s > 1) m_crBk = cr;
        }
        pSpeck[static_cast<std::size_t>(y) * n] = cr;
      }
      if (ctx.Stopped()) bStopped = true;
    }
  }

  void Write(int iBand, const COLORREF* pSpecks) {
    const int n = Columns(iBand);
    WriteBandRows(m_bitmap, pSpecks, n, n, (m_iBottom + m_s - 1) / m_s, iBand * kBand, m_s,
                  m_iRight);
  }

  // Once every band is written: the other rows of each block row, copies of
  // its first, whole rows at a time, the rows shared between the cores.
  void CopyBlockRows() {
    const int s = m_s, iBlockRows = (m_iBottom + s - 1) / s;
    if (s == 1 || m_iRight <= 0) return;
    const std::size_t iBytes = static_cast<std::size_t>(3) * m_iRight;
    ForEachRowBlock(iBlockRows, RowBlockCount(iBlockRows), [&](int, int iFirst, int iEnd) {
      for (int y = iFirst; y < iEnd; ++y)
        for (int Y = y * s + 1; Y < std::min(y * s + s, m_iBottom); ++Y)
          std::memcpy(m_bitmap.Row(Y), m_bitmap.Row(y * s), iBytes);
    });
  }

  // What the fills would leave as background.
  COLORREF Background() const { return m_crBk; }

 private:
  CBitmap& m_bitmap;
  const COLORREF m_crPaper;
  const std::uint8_t* const m_pField;
  const int m_w, m_h, m_s;
  COLORREF m_crBk;
  const int m_iRight, m_iBottom;
  double m_aLo[256], m_aHi[256];  // the jitter's range for each force
};

// The bands drawn on this thread and written on another, two bands of
// memory taking turns: while one band is drawn the one before is written
// and the forces of the one after are copied out. Returns false, having
// drawn nothing, when the memory or the thread cannot be had.
bool DrawPaperBesideWriter(CPaperBands& bands, const XformContext& ctx) {
  std::unique_ptr<COLORREF[]> apSpecks[2];
  std::unique_ptr<std::uint8_t[]> apForces[2];
  if (!bands.Allocate(apSpecks[0], apForces[0]) || !bands.Allocate(apSpecks[1], apForces[1]))
    return false;
  const int iBands = bands.Bands();
  // Bands drawn, and bands written (band b's memory is free, and the forces
  // of band b + 2 are in it, once b + 1 are written).
  std::atomic<int> iDrawn{0}, iWritten{0};
  for (int b = 0; b < std::min(iBands, 2); ++b) bands.CopyForces(b, apForces[b].get());
  std::thread writer;
  try {
    writer = std::thread([&] {
      CleanVectorState();  // a new thread inherits its creator's register state
      for (int b = 0; b < iBands; ++b) {
        for (int i = iDrawn.load(std::memory_order_acquire); i <= b;
             i = iDrawn.load(std::memory_order_acquire))
          iDrawn.wait(i, std::memory_order_acquire);
        bands.Write(b, apSpecks[b % 2].get());
        if (b + 2 < iBands) bands.CopyForces(b + 2, apForces[b % 2].get());
        iWritten.store(b + 1, std::memory_order_release);
        iWritten.notify_one();
      }
    });
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  CRandomRun rnd;
  bool bStopped = false;
  for (int b = 0; b < iBands; ++b) {
    for (int i = iWritten.load(std::memory_order_acquire); i < b - 1;
         i = iWritten.load(std::memory_order_acquire))
      iWritten.wait(i, std::memory_order_acquire);
    bands.Draw(b, apForces[b % 2].get(), apSpecks[b % 2].get(), rnd, ctx, bStopped);
    iDrawn.store(b + 1, std::memory_order_release);
    iDrawn.notify_one();
  }
  writer.join();
  return true;
}

// The paper: one colour, about one pixel in five varied, more where the
// picture is dark. Written band by band into the surface (beside a writer
// thread when there is a core to spare); without memory for a band, or on a
// clipped DC, the specks are drawn straight away.
void DrawPaper(CDC& dc, COLORREF crPaper, const std::uint8_t* pField, int w, int h, int s,
               XformContext& ctx) {
  CBitmap* pBitmap = dc.GetCurrentBitmap();
  if (pBitmap && !dc.HasClipRegion()) {
    CPaperBands bands(*pBitmap, crPaper, pField, w, h, s);
    bool bDone = bands.Bands() > 1 && RowBlockCount(w, 2 * CPaperBands::kBand) > 1 &&
                 DrawPaperBesideWriter(bands, ctx);
    std::unique_ptr<COLORREF[]> pSpecks;
    std::unique_ptr<std::uint8_t[]> pForces;
    if (!bDone && bands.Allocate(pSpecks, pForces)) {
      CRandomRun rnd;
      bool bStopped = false;
      for (int b = 0; b < bands.Bands(); ++b) {
        bands.CopyForces(b, pForces.get());
        bands.Draw(b, pForces.get(), pSpecks.get(), rnd, ctx, bStopped);
        bands.Write(b, pSpecks.get());
      }
      bDone = true;
    }
    if (bDone) {
      bands.CopyBlockRows();
      dc.SetBkColor(bands.Background());
      return;
    }
  }
  dc.FillSolidRect(0, 0, w * s, h * s, crPaper);
  for (int x = 0; x < w; ++x) {
    for (int y = 0; y < h; ++y)
      if (RandomInt(0, 100) > 80)
        JitterPixel(dc, x, y, s, crPaper, (255 - ForceAt(pField, x, y, w)) / 255.0);
    if (ctx.Stopped()) break;
  }
}

}  // namespace

int ApplyPrimitiveArt(const PrimitiveArtParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDC& dc = *ctx.m_pOut->m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();

  SetPercent(ctx.m_pPercent, 0, 5, 100);
  SetStatusText("Soaking tools...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(ctx.m_pPercent, 0, 10, 100);

  DrawPaper(dc, p.m_crPaper, pField.get(), w, h, s, ctx);

  if (!ctx.Stopped()) {
    const int iWidth = PercentOfDiagonal(p.m_dFeatureWidth, w, h);
    const int iHalf = PercentOfDiagonal(p.m_dFeatureWidth * 0.5, w, h);
    CShapeNodeDrawer nodeDrawer(p.m_crLine, p.m_crPaper, iWidth / 2, iHalf / 2, p.m_iShape);
    CGradedLinkDrawer linkDrawer(p.m_crLine, iHalf);
    const NodeNetworkSettings settings =
        RingNetworkSettings(pField.get(), w, h, p.m_iAreaCovered, p.m_iDensity, 2);
    CNodeNetwork network(&linkDrawer, p.m_iShape == PRIMITIVE_NONE ? nullptr : &nodeDrawer,
                         ctx.m_pPercent, ctx.m_pStop, "Insertion...", "Acretion...", "Baking...");
    if (network.Build(settings)) network.Draw(dc, s);
  }

  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
