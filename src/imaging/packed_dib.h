// Packed device-independent bitmaps: a BITMAPINFOHEADER (or one of its longer
// versions) or a BITMAPCOREHEADER, then the colour table, then the pixels, all
// in one block. The clipboard, the picture loaders and the cache hand pictures
// around in this form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dc.h"
#include "platform/global_block.h"
#include "platform/win_types.h"

// The largest picture the program accepts. Every picture it reads can be
// written again in every format it offers, so the bounds are those of the
// tightest writer: 65500 per side (JPEG), and a number of pixels that every
// writer can hold (a BMP file stays below 4 GiB, the PCX colour reduction
// below 2^29 pixels). Bigger pictures are refused from their header, before
// any memory is taken for them.
inline constexpr int kMaxPictureSide = 65500;
// The highest the pixel bound may be set to.
inline constexpr long long kMaxPicturePixels = 500'000'000;
// The pixel bound of reading until SetMaxPicturePixels changes it.
inline constexpr long long kDefaultMaxPicturePixels = 100'000'000;

// The pixel bound that reading applies (every decoder, the clipboard's
// packed DIBs, the cache): pictures of more pixels are refused. Set it at
// start, before pictures are read (any thread may read it). False, and the
// bound unchanged, for a value outside 1 .. kMaxPicturePixels.
bool SetMaxPicturePixels(long long iPixels);
long long MaxPicturePixels();
// The size of the last picture that the bounds refused on this thread (for
// messages); 0 x 0 when none was.
void LastRefusedPictureSize(long long& iWidth, long long& iHeight);
// Checks a size (sides above 0) against the bounds of reading: true when
// within them, else the size is remembered for LastRefusedPictureSize.
// iMaxPixels < 0: the bound in force.
bool PictureSizeWithinBounds(long long iWidth, long long iHeight, long long iMaxPixels = -1);
// The message for a picture the bounds refused: its size and the bounds.
std::string PictureTooLargeMessage();

// Header fields. The header is read from unaligned memory; callers check that
// the block holds at least the header size before calling these.
int DibHeaderSize(const std::uint8_t* pHeader);
int DibWidth(const std::uint8_t* pHeader);
// The signed height (negative: rows stored top-down).
int DibHeight(const std::uint8_t* pHeader);
int DibBitCount(const std::uint8_t* pHeader);
DWORD DibCompression(const std::uint8_t* pHeader);
// biClrUsed when non-zero (40-byte and longer headers), else 2, 16 or 256 by
// bit count, 0 above 8 bits.
int DibNumColors(const std::uint8_t* pHeader);
// DibNumColors x 4 (x 3 for a core header).
int DibPaletteSize(const std::uint8_t* pHeader);
// Offset of the pixels from the header: header, colour masks (BI_BITFIELDS
// with a 40-byte header keeps three masks between header and table), table.
std::size_t DibBitsOffset(const std::uint8_t* pHeader);
inline const std::uint8_t* DibBits(const std::uint8_t* pHeader) {
  return pHeader + DibBitsOffset(pHeader);
}

// What a packed DIB holds, checked against the size of its block.
struct CDibLayout {
  int m_iWidth = 0;
  int m_iHeight = 0;  // rows, always positive
  bool m_bTopDown = false;
  int m_iBitCount = 0;
  DWORD m_dwCompression = BI_RGB;
  int m_iNumColors = 0;
  bool m_bCore = false;
  std::size_t m_iBitsOffset = 0;
  std::size_t m_iStride = 0;  // bytes per stored row
  DWORD m_aMasks[3] = {0, 0, 0};  // red, green, blue for 16 and 32 bits
};

// Why a block is not a usable DIB.
enum class EDibProblem {
  None,
  Truncated,      // header, masks or pixels run past the end of the block
  UnknownHeader,  // a header size no DIB has
  BadSize,        // zero or negative width or height
  TooLarge,       // beyond the bounds of reading (MaxPicturePixels, kMaxPictureSide)
  Unsupported,    // a bit count or compression this reader does not decode
};

// Checks the header, the colour table and the pixel block against iSize.
// Returns false when the block is not a usable DIB, with the kind of problem
// and a short reason for messages.
bool ParseDib(const std::uint8_t* pDib, std::size_t iSize, CDibLayout& layout,
              const char** pszWhy = nullptr, EDibProblem* pProblem = nullptr);

// Converts a parsed DIB of any depth to 24-bit BGR rows, bottom row first,
// iDstStride bytes apart (the layout of a CDADC's pixel memory).
void DibTo24(const std::uint8_t* pDib, const CDibLayout& layout, std::uint8_t* pDst,
             std::size_t iDstStride);

// A 24-bit bitmap holding the DIB's picture; nullptr when the block is not a
// usable DIB.
std::unique_ptr<CBitmap> DibToBitmap(const CGlobalBlock& hDib);

// Draws a packed DIB onto the DC: 1:1 when the rectangles have the same size
// (every depth converted to 24 bits), else stretched (COLORONCOLOR). Returns 0
// for an empty block or one that is not a DIB; otherwise the number of rows
// drawn (1:1) or 1 (stretched).
int PaintDib(CDC& dc, const RECT& rcDst, const CGlobalBlock& hDib, const RECT& rcSrc);

// A copy of the block. An empty one: "CH, copying NULL handle"; no memory:
// "CH,GlobalAlloc failed"; both give an empty block.
CGlobalBlock CopyGlobalHandle(const CGlobalBlock& h);

// Fills a description of a 24-bit, one-plane, uncompressed bitmap with every
// other field 0; the caller sets biWidth and biHeight.
void InitBitmapInfo24(BITMAPINFO& bmi);
