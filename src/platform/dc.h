// The device context: a GDI-like drawing context bound to the pixel memory of
// one 24-bit bottom-up DIB section. This file holds the bitmap, the DC state
// and the calls the drawing surface itself needs (pixels, opaque fills,
// BitBlt and StretchBlt); shapes, pens, brushes, regions and text build on it.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/win_types.h"

// Raster operations and stretch modes used by the program.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// A 24-bit, bottom-up DIB section: pixel (x, y) lives in memory row
// H - 1 - y at byte offset 3x, bytes blue, green, red; rows padded to 4 bytes.
class CBitmap {
 public:
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  int Width() const { return m_iWidth; }
  int Height() const { return m_iHeight; }
  int BytesPerRow() const { return m_iBytesPerRow; }
  std::uint8_t* Bits() { return m_pBits.get(); }
  const std::uint8_t* Bits() const { return m_pBits.get(); }
  // The memory of picture row y (0 = top).
  std::uint8_t* Row(int y) {
    return m_pBits.get() + static_cast<std::size_t>(m_iHeight - 1 - y) * m_iBytesPerRow;
  }
  const std::uint8_t* Row(int y) const {
    return m_pBits.get() + static_cast<std::size_t>(m_iHeight - 1 - y) * m_iBytesPerRow;
  }

 private:
  friend std::unique_ptr<CBitmap> CreateDIBSection(const BITMAPINFO& bmi, std::uint8_t** ppBits);
  CBitmap() = default;
  struct CFreeDeleter {
    void operator()(std::uint8_t* p) const;
  };
  std::unique_ptr<std::uint8_t, CFreeDeleter> m_pBits;
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iBytesPerRow = 0;
};

// Bytes per row of a 24-bit DIB of the given width.
constexpr int BytesPerRow24(int iWidth) { return ((3 * iWidth + 3) / 4) * 4; }

// Creates a zeroed (black) 24-bit bottom-up DIB section from a description
// with biBitCount 24, BI_RGB and positive width and height. Returns nullptr
// (and *ppBits nullptr) when the description is of another kind or the
// memory cannot be had (the pixel block must fit in 32 bits).
std::unique_ptr<CBitmap> CreateDIBSection(const BITMAPINFO& bmi, std::uint8_t** ppBits);

class CDC {
 public:
  CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // Selects a bitmap (not owned); returns the previously selected one.
  CBitmap* SelectObject(CBitmap* pBitmap) {
    CBitmap* pOld = m_pBitmap;
    m_pBitmap = pBitmap;
    return pOld;
  }
  CBitmap* GetCurrentBitmap() const { return m_pBitmap; }

  COLORREF SetBkColor(COLORREF c) {
    const COLORREF old = m_crBk;
    m_crBk = c;
    return old;
  }
  COLORREF GetBkColor() const { return m_crBk; }
  int SetStretchBltMode(int iMode) {
    const int old = m_iStretchMode;
    m_iStretchMode = iMode;
    return old;
  }
  int GetStretchBltMode() const { return m_iStretchMode; }

  // Pixels. Off the bitmap nothing is written; GetPixel answers CLR_INVALID.
  COLORREF GetPixel(int x, int y) const {
    if (!m_pBitmap || static_cast<unsigned>(x) >= static_cast<unsigned>(m_pBitmap->Width()) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(m_pBitmap->Height()))
      return CLR_INVALID;
    const std::uint8_t* p = m_pBitmap->Row(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
  }
  BOOL SetPixelV(int x, int y, COLORREF c) {
    if (!m_pBitmap || static_cast<unsigned>(x) >= static_cast<unsigned>(m_pBitmap->Width()) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(m_pBitmap->Height()))
      return FALSE;
    std::uint8_t* p = m_pBitmap->Row(y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(GetBValue(c));
    p[1] = static_cast<std::uint8_t>(GetGValue(c));
    p[2] = static_cast<std::uint8_t>(GetRValue(c));
    return TRUE;
  }
  COLORREF SetPixel(int x, int y, COLORREF c) {
    return SetPixelV(x, y, c) ? (c & 0xFFFFFF) : CLR_INVALID;
  }

  // Opaque fill of l <= x < r, t <= y < b (right and bottom edges excluded),
  // clipped to the bitmap; the background colour becomes c.
  void FillSolidRect(int l, int t, int r, int b, COLORREF c);

  // Copies a w x h block from (xSrc, ySrc) of src to (x, y), clipped to both.
  BOOL BitBlt(int x, int y, int w, int h, const CDC& src, int xSrc, int ySrc, DWORD dwRop);
  // Stretches the source rectangle onto the destination rectangle by
  // dropping or repeating rows and columns (COLORONCOLOR); clipped to both.
  BOOL StretchBlt(int x, int y, int w, int h, const CDC& src, int xSrc, int ySrc, int wSrc,
                  int hSrc, DWORD dwRop);

 private:
  CBitmap* m_pBitmap = nullptr;
  COLORREF m_crBk = RGB(255, 255, 255);
  int m_iStretchMode = BLACKONWHITE;
};
