#include "imaging/packed_dib.h"

#include <atomic>
#include <bit>
#include <cstring>

#include "platform/report.h"

namespace {

template <typename T>
T ReadAt(const std::uint8_t* p, std::size_t iOffset) {
  T v;
  std::memcpy(&v, p + iOffset, sizeof v);
  return v;
}

bool IsCore(const std::uint8_t* pHeader) { return ReadAt<DWORD>(pHeader, 0) == 12; }

bool HasSeparateMasks(const std::uint8_t* pHeader) {
  const DWORD dwCompression = DibCompression(pHeader);
  return DibHeaderSize(pHeader) == 40 &&
         (dwCompression == BI_BITFIELDS || dwCompression == BI_ALPHABITFIELDS);
}

// Expands a masked channel to 8 bits, so that the largest value becomes 255.
struct CChannel {
  DWORD m_dwMask = 0;
  int m_iShift = 0;
  DWORD m_dwMax = 0;

  explicit CChannel(DWORD dwMask) : m_dwMask(dwMask) {
    if (dwMask == 0) return;
    m_iShift = std::countr_zero(dwMask);
    m_dwMax = dwMask >> m_iShift;
  }
  std::uint8_t operator()(DWORD dwPixel) const {
    if (m_dwMax == 0) return 0;
    const std::uint64_t v = (dwPixel & m_dwMask) >> m_iShift;
    return static_cast<std::uint8_t>((v * 255 + m_dwMax / 2) / m_dwMax);
  }
};

std::atomic<long long> g_iMaxPicturePixels{kDefaultMaxPicturePixels};
thread_local long long t_iRefusedWidth = 0, t_iRefusedHeight = 0;

}  // namespace

bool SetMaxPicturePixels(long long iPixels) {
  if (iPixels < 1 || iPixels > kMaxPicturePixels) return false;
  g_iMaxPicturePixels.store(iPixels, std::memory_order_relaxed);
  return true;
}

long long MaxPicturePixels() { return g_iMaxPicturePixels.load(std::memory_order_relaxed); }

void LastRefusedPictureSize(long long& iWidth, long long& iHeight) {
  iWidth = t_iRefusedWidth;
  iHeight = t_iRefusedHeight;
}

bool PictureSizeWithinBounds(long long iWidth, long long iHeight, long long iMaxPixels) {
  if (iMaxPixels < 0) iMaxPixels = MaxPicturePixels();
  // Both sides are at most kMaxPictureSide before they are multiplied.
  if (iWidth <= kMaxPictureSide && iHeight <= kMaxPictureSide && iWidth * iHeight <= iMaxPixels)
    return true;
  t_iRefusedWidth = iWidth;
  t_iRefusedHeight = iHeight;
  return false;
}

std::string PictureTooLargeMessage() {
  return FormatMessageText(
      "The picture is too large: %lld x %lld pixels.\nThe limit is %lld pixels in all and %d "
      "pixels per side.",
      t_iRefusedWidth, t_iRefusedHeight, MaxPicturePixels(), kMaxPictureSide);
}

int DibHeaderSize(const std::uint8_t* pHeader) {
  return static_cast<int>(ReadAt<DWORD>(pHeader, 0));
}

int DibWidth(const std::uint8_t* pHeader) {
  return IsCore(pHeader) ? ReadAt<WORD>(pHeader, 4) : ReadAt<LONG>(pHeader, 4);
}

int DibHeight(const std::uint8_t* pHeader) {
  return IsCore(pHeader) ? ReadAt<WORD>(pHeader, 6) : ReadAt<LONG>(pHeader, 8);
}

int DibBitCount(const std::uint8_t* pHeader) {
  return IsCore(pHeader) ? ReadAt<WORD>(pHeader, 10) : ReadAt<WORD>(pHeader, 14);
}

DWORD DibCompression(const std::uint8_t* pHeader) {
  return IsCore(pHeader) ? BI_RGB : ReadAt<DWORD>(pHeader, 16);
}

int DibNumColors(const std::uint8_t* pHeader) {
  if (!IsCore(pHeader)) {
    const DWORD dwUsed = ReadAt<DWORD>(pHeader, 32);
    if (dwUsed != 0) return dwUsed > 0x10000 ? 0x10000 : static_cast<int>(dwUsed);
  }
  switch (DibBitCount(pHeader)) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

int DibPaletteSize(const std::uint8_t* pHeader) {
  return DibNumColors(pHeader) * (IsCore(pHeader) ? 3 : 4);
}

std::size_t DibBitsOffset(const std::uint8_t* pHeader) {
  std::size_t iOffset = static_cast<std::size_t>(DibHeaderSize(pHeader));
  if (HasSeparateMasks(pHeader))
    iOffset += DibCompression(pHeader) == BI_ALPHABITFIELDS ? 16 : 12;
  return iOffset + static_cast<std::size_t>(DibPaletteSize(pHeader));
}

bool ParseDib(const std::uint8_t* pDib, std::size_t iSize, CDibLayout& layout,
              const char** pszWhy, EDibProblem* pProblem) {
  if (pProblem) *pProblem = EDibProblem::None;
  auto fail = [pszWhy, pProblem](EDibProblem eProblem, const char* szWhy) {
    if (pszWhy) *pszWhy = szWhy;
    if (pProblem) *pProblem = eProblem;
    return false;
  };
  if (!pDib || iSize < 12) return fail(EDibProblem::Truncated, "too short for a header");
  const DWORD dwHeader = ReadAt<DWORD>(pDib, 0);
  if (dwHeader != 12 && dwHeader != 40 && dwHeader != 52 && dwHeader != 56 && dwHeader != 64 &&
      dwHeader != 108 && dwHeader != 124)
    return fail(EDibProblem::UnknownHeader, "unknown header size");
  if (dwHeader > iSize) return fail(EDibProblem::Truncated, "header beyond the end");
  layout = CDibLayout{};
  layout.m_bCore = dwHeader == 12;
  layout.m_iWidth = DibWidth(pDib);
  const long long iHeight = DibHeight(pDib);
  layout.m_bTopDown = iHeight < 0;
  layout.m_iHeight = static_cast<int>(iHeight < 0 ? -iHeight : iHeight);
  layout.m_iBitCount = DibBitCount(pDib);
  layout.m_dwCompression = DibCompression(pDib);
  if (layout.m_iWidth <= 0 || layout.m_iHeight <= 0) return fail(EDibProblem::BadSize, "empty or negative size");
  if (!PictureSizeWithinBounds(layout.m_iWidth, layout.m_iHeight))
    return fail(EDibProblem::TooLarge, "picture too large");
  switch (layout.m_iBitCount) {
    case 1: case 4: case 8: case 24:
      if (layout.m_dwCompression != BI_RGB) return fail(EDibProblem::Unsupported, "unsupported compression");
      break;
    case 16: case 32:
      if (layout.m_dwCompression != BI_RGB && layout.m_dwCompression != BI_BITFIELDS &&
          layout.m_dwCompression != BI_ALPHABITFIELDS)
        return fail(EDibProblem::Unsupported, "unsupported compression");
      break;
    default:
      return fail(EDibProblem::Unsupported, "unsupported bit count");
  }
  if (layout.m_iBitCount <= 8) {
    layout.m_iNumColors = DibNumColors(pDib);
  }
  // Masks: defaults for BI_RGB, then from the header or from after it.
  if (layout.m_iBitCount == 16) {
    layout.m_aMasks[0] = 0x7C00; layout.m_aMasks[1] = 0x03E0; layout.m_aMasks[2] = 0x001F;
  } else if (layout.m_iBitCount == 32) {
    layout.m_aMasks[0] = 0xFF0000; layout.m_aMasks[1] = 0xFF00; layout.m_aMasks[2] = 0xFF;
  }
  if (layout.m_dwCompression != BI_RGB) {
    // Right after a 40-byte header, or inside the longer headers: offset 40 either way.
    if (40 + 12 > iSize) return fail(EDibProblem::Truncated, "colour masks beyond the end");
    for (int i = 0; i < 3; ++i) layout.m_aMasks[i] = ReadAt<DWORD>(pDib, 40 + 4 * i);
  }
  layout.m_iBitsOffset = DibBitsOffset(pDib);
  layout.m_iStride = ((static_cast<std::size_t>(layout.m_iWidth) * layout.m_iBitCount + 31) / 32) * 4;
  const std::size_t iNeeded = layout.m_iBitsOffset + layout.m_iStride * layout.m_iHeight;
  if (iNeeded > iSize) return fail(EDibProblem::Truncated, "pixels beyond the end");
  return true;
}

void DibTo24(const std::uint8_t* pDib, const CDibLayout& layout, std::uint8_t* pDst,
             std::size_t iDstStride) {
  // Colour table as BGR triples; indices past the table read black.
  std::uint8_t aPalette[256][3] = {};
  if (layout.m_iBitCount <= 8) {
    const std::size_t iEntry = layout.m_bCore ? 3 : 4;
    const std::uint8_t* pTable = pDib + layout.m_iBitsOffset -
                                 static_cast<std::size_t>(layout.m_iNumColors) * iEntry;
    const int iCount = layout.m_iNumColors < 256 ? layout.m_iNumColors : 256;
    for (int i = 0; i < iCount; ++i) std::memcpy(aPalette[i], pTable + i * iEntry, 3);
  }
  const CChannel red(layout.m_aMasks[0]), green(layout.m_aMasks[1]), blue(layout.m_aMasks[2]);
  const std::uint8_t* pBits = pDib + layout.m_iBitsOffset;
  const int w = layout.m_iWidth;
  for (int iRow = 0; iRow < layout.m_iHeight; ++iRow) {
    // Destination rows are bottom-up; a top-down source's first row is the top.
    const int iSrcRow = layout.m_bTopDown ? layout.m_iHeight - 1 - iRow : iRow;
    const std::uint8_t* s = pBits + static_cast<std::size_t>(iSrcRow) * layout.m_iStride;
    std::uint8_t* d = pDst + static_cast<std::size_t>(iRow) * iDstStride;
    switch (layout.m_iBitCount) {
      case 1: case 4: case 8: {
        const int iBits = layout.m_iBitCount;
        const int iPerByte = 8 / iBits;
        const int iMask = (1 << iBits) - 1;
        for (int x = 0; x < w; ++x, d += 3) {
          const int iShift = 8 - iBits * (1 + x % iPerByte);
          const int iIndex = (s[x / iPerByte] >> iShift) & iMask;
          std::memcpy(d, aPalette[iIndex], 3);
        }
        break;
      }
      case 16:
        for (int x = 0; x < w; ++x, d += 3) {
          const DWORD px = ReadAt<WORD>(s, 2 * static_cast<std::size_t>(x));
          d[0] = blue(px); d[1] = green(px); d[2] = red(px);
        }
        break;
      case 24:
        std::memcpy(d, s, 3 * static_cast<std::size_t>(w));
        break;
      case 32:
        for (int x = 0; x < w; ++x, d += 3) {
          const DWORD px = ReadAt<DWORD>(s, 4 * static_cast<std::size_t>(x));
          d[0] = blue(px); d[1] = green(px); d[2] = red(px);
        }
        break;
    }
  }
}

std::unique_ptr<CBitmap> DibToBitmap(const CGlobalBlock& hDib) {
  CDibLayout layout;
  if (!ParseDib(hDib.Data(), hDib.Size(), layout)) return nullptr;
  BITMAPINFO bmi;
  InitBitmapInfo24(bmi);
  bmi.bmiHeader.biWidth = layout.m_iWidth;
  bmi.bmiHeader.biHeight = layout.m_iHeight;
  std::uint8_t* pBits = nullptr;
  auto pBitmap = CreateDIBSection(bmi, &pBits);
  if (!pBitmap) return nullptr;
  DibTo24(hDib.Data(), layout, pBits, static_cast<std::size_t>(pBitmap->BytesPerRow()));
  return pBitmap;
}

int PaintDib(CDC& dc, const RECT& rcDst, const CGlobalBlock& hDib, const RECT& rcSrc) {
  if (!hDib) return 0;
  dc.SetStretchBltMode(COLORONCOLOR);
  auto pBitmap = DibToBitmap(hDib);
  if (!pBitmap) return 0;
  CDC dcSrc;
  dcSrc.SelectObject(pBitmap.get());
  const int iDstW = rcDst.right - rcDst.left, iDstH = rcDst.bottom - rcDst.top;
  const int iSrcW = rcSrc.right - rcSrc.left, iSrcH = rcSrc.bottom - rcSrc.top;
  if (iDstW == iSrcW && iDstH == iSrcH) {
    if (!dc.BitBlt(rcDst.left, rcDst.top, iDstW, iDstH, dcSrc, rcSrc.left, rcSrc.top, SRCCOPY))
      return 0;
    return pBitmap->Height();
  }
  return dc.StretchBlt(rcDst.left, rcDst.top, iDstW, iDstH, dcSrc, rcSrc.left, rcSrc.top, iSrcW,
                       iSrcH, SRCCOPY);
}

CGlobalBlock CopyGlobalHandle(const CGlobalBlock& h) {
  if (!h) {
    ReportError("CH, copying NULL handle");
    return CGlobalBlock();
  }
  CGlobalBlock copy = CGlobalBlock::Alloc(h.Size());
  if (!copy) {
    ReportError("CH,GlobalAlloc failed");
    return copy;
  }
  std::memcpy(copy.Data(), h.Data(), h.Size());
  return copy;
}

void InitBitmapInfo24(BITMAPINFO& bmi) {
  std::memset(&bmi, 0, sizeof bmi);
  bmi.bmiHeader.biSize = 40;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
}
