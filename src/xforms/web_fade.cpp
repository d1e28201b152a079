#include "xforms/web_fade.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "imaging/row_blocks.h"
#include "platform/dc.h"
#include "xforms/progress.h"

int ValidateWebFade(WebFadeParams& p) {
  if (p.m_iMixMode < MIX_LEFT_RIGHT || p.m_iMixMode > MIX_ELLIPSE_IN) p.m_iMixMode = MIX_ELLIPSE_IN;
  return 1;
}

double WebFadePosition(int iMode, int x, int y, int iWidth, int iHeight) {
  const double dx = static_cast<double>(x) / iWidth, dy = static_cast<double>(y) / iHeight;
  switch (iMode) {
    case MIX_LEFT_RIGHT: return 1 - dx;
    case MIX_TOP_BOTTOM: return 1 - dy;
    case MIX_RIGHT_LEFT: return dx;
    case MIX_BOTTOM_TOP: return dy;
    case MIX_CIRCLE_OUT:
    case MIX_CIRCLE_IN: {
      // The distance from the centre over half the diagonal.
      const double cx = x - iWidth / 2.0, cy = y - iHeight / 2.0;
      const double D = std::sqrt(static_cast<double>(iWidth) * iWidth +
                                 static_cast<double>(iHeight) * iHeight) * 0.5;
      const double r = std::sqrt(cx * cx + cy * cy) / D;
      return iMode == MIX_CIRCLE_OUT ? 1 - r : r;
    }
    default: {
      const double ey = 2 * std::fabs(dy - 0.5), ex = 2 * std::fabs(dx - 0.5);
      const double e = 1.5 * std::sqrt(ey * ey + ex * ex);
      return iMode == MIX_ELLIPSE_OUT ? 1 - e / 2 : e / 2;
    }
  }
}

double WebFadeWeight(double l, int iPercent) {
  const double u = (iPercent / 2) * 0.01;
  if (l <= u) return 1.0;
  if (l >= 1 - u) return 0.0;
  return (l - (1 - u)) / (u - (1 - u));
}

int ApplyWebFade(const WebFadeParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDC& dc = *ctx.m_pOut->m_pDC;
  const int s = ctx.ScaleFactor(), w = in.m_iWidth, h = in.m_iHeight;
  const int iFadeRed = (p.m_crFade >> 16) & 0xFF, iFadeGreen = (p.m_crFade >> 8) & 0xFF,
            iFadeBlue = p.m_crFade & 0xFF;
  // The picture's colour at (x, y) faded by its place.
  auto faded = [&](COLORREF c, int x, int y) {
    const double k = WebFadeWeight(WebFadePosition(p.m_iMixMode, x, y, w, h), p.m_iPercent);
    auto mix = [k](int iPicture, int iFade) {
      return static_cast<int>(k * iPicture + (1 - k) * iFade);
    };
    return RGB(mix(GetRValue(c), iFadeRed), mix(GetGValue(c), iFadeGreen),
               mix(GetBValue(c), iFadeBlue));
  };

  SetStatusText("WEB fading...");
  CBitmap* pBitmap = DirectlyWritable(dc, w * s, h * s);
  if (!pBitmap) {
    for (int x = 0; x < w; ++x) {
      for (int y = 0; y < h; ++y) {
        const COLORREF cr = faded(in.m_pDC->GetPixel(x, y), x, y);
        if (s == 1)
          dc.SetPixelV(x, y, cr);
        else
          dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, cr);
      }
      if (ctx.Stopped()) break;
      SetPercent(ctx.m_pPercent, 0, 100, 100 * x / w);
    }
    SetStatusText("");
    return ctx.Stopped() ? 0 : 1;
  }
  // Every pixel's colour depends on its own place alone and the blocks do not
  // overlap, so the rows may be shared between the cores, each writing the
  // bytes the calls would write: a row's pixels once, then the row copied
  // s - 1 times below it.
  const std::size_t iRowBytes = static_cast<std::size_t>(3) * w * s;
  ForEachRowBlock(h, RowBlockCount(h), [&](int iBlock, int iFirst, int iEnd) {
    for (int y = iFirst; y < iEnd; ++y) {
      const std::uint8_t* pIn = in.Row(y);
      std::uint8_t* const pRow = pBitmap->Row(y * s);
      std::uint8_t* pOut = pRow;
      for (int x = 0; x < w; ++x, pIn += 3) {
        const COLORREF cr = faded(RGB(pIn[2], pIn[1], pIn[0]), x, y);
        const std::uint8_t aBytes[3] = {static_cast<std::uint8_t>(GetBValue(cr)),
                                        static_cast<std::uint8_t>(GetGValue(cr)),
                                        static_cast<std::uint8_t>(GetRValue(cr))};
        for (int i = 0; i < s; ++i, pOut += 3) std::memcpy(pOut, aBytes, 3);
      }
      for (int i = 1; i < s; ++i) std::memcpy(pBitmap->Row(y * s + i), pRow, iRowBytes);
      if (iBlock == 0) SetPercent(ctx.m_pPercent, 0, 100, 100 * (y - iFirst) / (iEnd - iFirst));
      if (ctx.Stopped()) break;
    }
  });
  // The fills (quality 2 and 4) left the last block's colour as the background.
  if (s > 1 && w > 0 && h > 0) dc.SetBkColor(faded(in.m_pDC->GetPixel(w - 1, h - 1), w - 1, h - 1));
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
