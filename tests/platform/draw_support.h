// Small helpers for drawing tests: a surface with its DC, pixel sets and
// hashes of the pixel memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/dc.h"

struct CTestSurface {
  CTestSurface(int w, int h) : m_pDC(CreateCompatibleDC(nullptr)) {
    m_pBitmap = CreateCompatibleBitmap(*m_pDC, w, h);
    m_pDC->SelectObject(m_pBitmap.get());
  }
  ~CTestSurface() { m_pDC->SelectObject(static_cast<CBitmap*>(nullptr)); }
  CDC& dc() { return *m_pDC; }
  int W() const { return m_pBitmap->Width(); }
  int H() const { return m_pBitmap->Height(); }
  COLORREF At(int x, int y) const { return m_pDC->GetPixel(x, y); }
  // FNV-1a over the whole pixel block.
  std::uint64_t Hash() const {
    std::uint64_t h = 1469598103934665603ull;
    const std::uint8_t* p = m_pBitmap->Bits();
    const std::size_t n = static_cast<std::size_t>(m_pBitmap->BytesPerRow()) * m_pBitmap->Height();
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
  }
  // The rows of the picture as text, '#' where the pixel is c, '.' elsewhere.
  std::string Picture(COLORREF c) const {
    std::string s;
    for (int y = 0; y < H(); ++y) {
      for (int x = 0; x < W(); ++x) s += At(x, y) == c ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  // Bounding box of the pixels of colour c (right and bottom excluded).
  RECT Ink(COLORREF c) const {
    RECT rc{W(), H(), -1, -1};
    for (int y = 0; y < H(); ++y)
      for (int x = 0; x < W(); ++x)
        if (At(x, y) == c) {
          rc.left = std::min<LONG>(rc.left, x);
          rc.top = std::min<LONG>(rc.top, y);
          rc.right = std::max<LONG>(rc.right, x + 1);
          rc.bottom = std::max<LONG>(rc.bottom, y + 1);
        }
    return rc;
  }

  std::unique_ptr<CDC> m_pDC;
  std::unique_ptr<CBitmap> m_pBitmap;
};

// Selects a pen and a brush for the lifetime of the object and puts the
// previous ones back.
struct CPenBrush {
  CPenBrush(CDC& dc, HPEN hPen, HBRUSH hBrush) : m_dc(dc) {
    m_hOldPen = dc.SelectObject(hPen);
    m_hOldBrush = dc.SelectObject(hBrush);
  }
  ~CPenBrush() {
    m_dc.SelectObject(m_hOldPen);
    m_dc.SelectObject(m_hOldBrush);
  }
  CDC& m_dc;
  HPEN m_hOldPen;
  HBRUSH m_hOldBrush;
};
