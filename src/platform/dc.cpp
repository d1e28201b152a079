#include "platform/dc.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

void CBitmap::CFreeDeleter::operator()(std::uint8_t* p) const { std::free(p); }

std::unique_ptr<CBitmap> CreateDIBSection(const BITMAPINFO& bmi, std::uint8_t** ppBits) {
  if (ppBits) *ppBits = nullptr;
  const BITMAPINFOHEADER& h = bmi.bmiHeader;
  if (h.biBitCount != 24 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight <= 0 ||
      h.biWidth > (0x7FFFFFFF - 3) / 3)
    return nullptr;
  const std::uint64_t iStride = static_cast<std::uint64_t>(BytesPerRow24(h.biWidth));
  const std::uint64_t iSize = iStride * static_cast<std::uint64_t>(h.biHeight);
  if (iSize > 0xFFFFFFFFull) return nullptr;
  auto* pBits = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(iSize), 1));
  if (!pBits) return nullptr;
  std::unique_ptr<CBitmap> pBitmap(new CBitmap);
  pBitmap->m_pBits.reset(pBits);
  pBitmap->m_iWidth = h.biWidth;
  pBitmap->m_iHeight = h.biHeight;
  pBitmap->m_iBytesPerRow = static_cast<int>(iStride);
  if (ppBits) *ppBits = pBits;
  return pBitmap;
}

void CDC::FillSolidRect(int l, int t, int r, int b, COLORREF c) {
  m_crBk = c;
  if (!m_pBitmap) return;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  l = std::max(l, 0);
  t = std::max(t, 0);
  r = std::min(r, m_pBitmap->Width());
  b = std::min(b, m_pBitmap->Height());
  if (l >= r || t >= b) return;
  const std::uint8_t B = static_cast<std::uint8_t>(GetBValue(c));
  const std::uint8_t G = static_cast<std::uint8_t>(GetGValue(c));
  const std::uint8_t R = static_cast<std::uint8_t>(GetRValue(c));
  for (int y = t; y < b; ++y) {
    std::uint8_t* p = m_pBitmap->Row(y) + 3 * l;
    if (B == G && G == R) {
      std::memset(p, B, static_cast<std::size_t>(3) * (r - l));
      continue;
    }
    for (int x = l; x < r; ++x, p += 3) {
      p[0] = B;
      p[1] = G;
      p[2] = R;
    }
  }
}

BOOL CDC::BitBlt(int x, int y, int w, int h, const CDC& src, int xSrc, int ySrc, DWORD) {
  if (!m_pBitmap || !src.m_pBitmap || w <= 0 || h <= 0) return FALSE;
  // Clip against the source, then against the destination, moving both sides.
  auto clip = [](int& iPos, int& iOther, int& iLen, int iLimit) {
    if (iPos < 0) {
      iOther -= iPos;
      iLen += iPos;
      iPos = 0;
    }
    if (iPos + iLen > iLimit) iLen = iLimit - iPos;
  };
  clip(xSrc, x, w, src.m_pBitmap->Width());
  clip(ySrc, y, h, src.m_pBitmap->Height());
  clip(x, xSrc, w, m_pBitmap->Width());
  clip(y, ySrc, h, m_pBitmap->Height());
  if (w <= 0 || h <= 0) return TRUE;
  for (int j = 0; j < h; ++j)
    std::memmove(m_pBitmap->Row(y + j) + 3 * x, src.m_pBitmap->Row(ySrc + j) + 3 * xSrc,
                 static_cast<std::size_t>(3) * w);
  return TRUE;
}

BOOL CDC::StretchBlt(int x, int y, int w, int h, const CDC& src, int xSrc, int ySrc, int wSrc,
                     int hSrc, DWORD dwRop) {
  if (!m_pBitmap || !src.m_pBitmap || w == 0 || h == 0 || wSrc == 0 || hSrc == 0) return FALSE;
  if (w == wSrc && h == hSrc) return BitBlt(x, y, w, h, src, xSrc, ySrc, dwRop);
  // A negative extent on one side mirrors the picture along that axis.
  const bool bMirrorX = (w < 0) != (wSrc < 0);
  const bool bMirrorY = (h < 0) != (hSrc < 0);
  if (w < 0) { x += w + 1; w = -w; }
  if (h < 0) { y += h + 1; h = -h; }
  if (wSrc < 0) { xSrc += wSrc + 1; wSrc = -wSrc; }
  if (hSrc < 0) { ySrc += hSrc + 1; hSrc = -hSrc; }
  // Destination pixel i samples source pixel trunc((i + 1/2) * wSrc / w): the
  // centre of each destination pixel mapped back into the source.
  const int iDstW = m_pBitmap->Width(), iDstH = m_pBitmap->Height();
  const int iSrcW = src.m_pBitmap->Width(), iSrcH = src.m_pBitmap->Height();
  const int x0 = std::max(x, 0), x1 = std::min<long long>(static_cast<long long>(x) + w, iDstW);
  const int y0 = std::max(y, 0), y1 = std::min<long long>(static_cast<long long>(y) + h, iDstH);
  if (x0 >= x1 || y0 >= y1) return TRUE;
  std::vector<int> aSrcX(static_cast<std::size_t>(x1 - x0));
  for (int dx = x0; dx < x1; ++dx) {
    long long i = dx - x;
    if (bMirrorX) i = w - 1 - i;
    aSrcX[dx - x0] = static_cast<int>(xSrc + ((2 * i + 1) * wSrc) / (2LL * w));
  }
  for (int dy = y0; dy < y1; ++dy) {
    long long j = dy - y;
    if (bMirrorY) j = h - 1 - j;
    const int sy = static_cast<int>(ySrc + ((2 * j + 1) * hSrc) / (2LL * h));
    if (sy < 0 || sy >= iSrcH) continue;
    const std::uint8_t* pSrcRow = src.m_pBitmap->Row(sy);
    std::uint8_t* pDst = m_pBitmap->Row(dy) + 3 * x0;
    for (int dx = x0; dx < x1; ++dx, pDst += 3) {
      const int sx = aSrcX[dx - x0];
      if (sx < 0 || sx >= iSrcW) continue;
      const std::uint8_t* pSrc = pSrcRow + 3 * sx;
      pDst[0] = pSrc[0];
      pDst[1] = pSrc[1];
      pDst[2] = pSrc[2];
    }
  }
  return TRUE;
}
