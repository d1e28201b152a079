#include "imaging/codecs/bmp_codec.h"

#include <algorithm>
#include <cstring>

#include "imaging/packed_dib.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;

// Where the parts of a BMP file lie.
struct CBmpLayout {
  CDibLayout m_dib;               // m_iBitsOffset counts from the info header
  const std::uint8_t* m_pHeader = nullptr;
  std::size_t m_iPaletteOffset = 0;  // from the info header
  std::size_t m_iRleSize = 0;        // bytes of RLE data
};

int CodeForProblem(EDibProblem eProblem) {
  switch (eProblem) {
    case EDibProblem::Truncated: return kVicErrTruncated;
    case EDibProblem::Unsupported: return kVicErrUnsupported;
    case EDibProblem::TooLarge: return kVicErrTooLarge;
    case EDibProblem::BadSize: return kVicErrBadSize;
    default: return kVicErrCorrupt;
  }
}

}  // namespace

bool RleSizeIsCredible(long long iPixels, std::size_t iDataBytes) {
  // Line ends and skips let a few bytes stand for many pixels, but no real
  // file holds thousands of pixels per byte over a large picture.
  constexpr long long kPixelsPerByte = 4096, kFreePixels = 1 << 24;
  return iPixels <= kFreePixels || iPixels / kPixelsPerByte <= static_cast<long long>(iDataBytes);
}

namespace {

int ParseBmp(CBytes data, CBmpLayout& bmp) {
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') return kVicErrSignature;
  if (data.size() < kFileHeaderSize + 16) return kVicErrTruncated;
  const std::uint8_t* pDib = data.data() + kFileHeaderSize;
  const std::size_t iDibSize = data.size() - kFileHeaderSize;
  const std::uint32_t iHeader = ReadLE32(pDib);
  if (iHeader != 12 && iHeader != 40 && iHeader != 52 && iHeader != 56 && iHeader != 64 &&
      iHeader != 108 && iHeader != 124)
    return kVicErrUnsupported;
  if (iHeader > iDibSize) return kVicErrTruncated;
  bmp.m_pHeader = pDib;
  const long long iHeight = DibHeight(pDib);
  if (const int iErr = CheckPictureSides(DibWidth(pDib), iHeight < 0 ? -iHeight : iHeight))
    return iErr;
  const std::size_t iGivenOffset = ReadLE32(data.data() + 10);
  const DWORD dwCompression = DibCompression(pDib);
  const int iBits = DibBitCount(pDib);

  if (dwCompression == BI_RLE8 || dwCompression == BI_RLE4) {
    if ((dwCompression == BI_RLE8 && iBits != 8) || (dwCompression == BI_RLE4 && iBits != 4))
      return kVicErrCorrupt;
    if (iHeight < 0) return kVicErrCorrupt;  // compressed rows are always bottom-up
    CDibLayout& d = bmp.m_dib;
    d.m_iWidth = DibWidth(pDib);
    d.m_iHeight = static_cast<int>(iHeight);
    d.m_iBitCount = iBits;
    d.m_dwCompression = dwCompression;
    d.m_iNumColors = DibNumColors(pDib);
    bmp.m_iPaletteOffset = iHeader;
    const std::size_t iAfterPalette = iHeader + static_cast<std::size_t>(DibPaletteSize(pDib));
    if (iAfterPalette > iDibSize) return kVicErrTruncated;
    d.m_iBitsOffset = iAfterPalette;
    if (iGivenOffset >= kFileHeaderSize + iAfterPalette && iGivenOffset < data.size())
      d.m_iBitsOffset = iGivenOffset - kFileHeaderSize;
    bmp.m_iRleSize = iDibSize - d.m_iBitsOffset;
    if (bmp.m_iRleSize < 2) return kVicErrTruncated;
    if (!RleSizeIsCredible(static_cast<long long>(d.m_iWidth) * d.m_iHeight, bmp.m_iRleSize))
      return kVicErrTruncated;
    return CheckPictureSize(d.m_iWidth, d.m_iHeight);
  }

  EDibProblem eProblem = EDibProblem::None;
  if (!ParseDib(pDib, iDibSize, bmp.m_dib, nullptr, &eProblem)) return CodeForProblem(eProblem);
  bmp.m_iPaletteOffset =
      iHeader + ((iHeader == 40 && dwCompression != BI_RGB)
                     ? (dwCompression == BI_ALPHABITFIELDS ? 16 : 12)
                     : 0);
  // The file header says where the pixels start; writers that leave a gap
  // after the colour table rely on it. An offset inside the headers is a
  // writer's slip and the pixels are taken to follow the table.
  const std::size_t iComputed = kFileHeaderSize + bmp.m_dib.m_iBitsOffset;
  if (iGivenOffset > iComputed) {
    const std::size_t iPixels = bmp.m_dib.m_iStride * static_cast<std::size_t>(bmp.m_dib.m_iHeight);
    if (iGivenOffset > data.size() || data.size() - iGivenOffset < iPixels)
      return kVicErrTruncated;
    bmp.m_dib.m_iBitsOffset = iGivenOffset - kFileHeaderSize;
  }
  return kVicOk;
}

void CopyPalette(const CBmpLayout& bmp, CImageDesc& desc) {
  const std::size_t iEntry = bmp.m_dib.m_bCore ? 3 : 4;
  const int iCount = std::min(bmp.m_dib.m_iNumColors, desc.PaletteEntries());
  const std::uint8_t* p = bmp.m_pHeader + bmp.m_iPaletteOffset;
  for (int i = 0; i < iCount; ++i, p += iEntry) desc.SetPaletteEntry(i, p[2], p[1], p[0]);
}

// Decodes RLE8 or RLE4 data into the rows of an 8 or 4-bit descriptor.
// Pixels that the data skips keep colour index 0.
int DecodeRle(const std::uint8_t* p, std::size_t iSize, bool bRle4, CImageDesc& desc) {
  const int w = desc.Width(), h = desc.Height();
  const int iBits = bRle4 ? 4 : 8;
  long long x = 0, y = 0;  // y counts rows from the bottom
  std::size_t i = 0;
  auto put = [&](int iIndex) {
    if (x < w && y < h)
      PutIndex(desc.Bits() + static_cast<std::size_t>(y) * desc.BytesPerRow(),
               static_cast<int>(x), iBits, iIndex);
    ++x;
  };
  while (y < h) {
    if (iSize - i < 2) return kVicErrTruncated;
    const int iCount = p[i], iValue = p[i + 1];
    i += 2;
    if (iCount > 0) {
      for (int k = 0; k < iCount; ++k)
        put(bRle4 ? ((k & 1) ? iValue & 0x0F : iValue >> 4) : iValue);
    } else if (iValue == 0) {
      x = 0;
      ++y;
    } else if (iValue == 1) {
      break;
    } else if (iValue == 2) {
      if (iSize - i < 2) return kVicErrTruncated;
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {
      const std::size_t iBytes = bRle4 ? (static_cast<std::size_t>(iValue) + 1) / 2 : iValue;
      const std::size_t iPadded = (iBytes + 1) & ~std::size_t{1};
      if (iSize - i < iBytes) return kVicErrTruncated;
      for (int k = 0; k < iValue; ++k) {
        const int b = p[i + (bRle4 ? k / 2 : k)];
        put(bRle4 ? ((k & 1) ? b & 0x0F : b >> 4) : b);
      }
      i += std::min(iPadded, iSize - i);
    }
  }
  return kVicOk;
}

}  // namespace

int BmpInfo(CBytes data, CImageInfo& info) {
  CBmpLayout bmp;
  if (const int iErr = ParseBmp(data, bmp)) return iErr;
  info.m_iWidth = bmp.m_dib.m_iWidth;
  info.m_iHeight = bmp.m_dib.m_iHeight;
  info.m_iBitsPerPixel = bmp.m_dib.m_iBitCount;
  return kVicOk;
}

int LoadBmp(CBytes data, CImageDesc& desc) {
  CBmpLayout bmp;
  if (const int iErr = ParseBmp(data, bmp)) return iErr;
  const CDibLayout& d = bmp.m_dib;
  if (!desc.IsOf(d.m_iWidth, d.m_iHeight, d.m_iBitCount)) return kVicErrMismatch;
  if (d.m_iBitCount == 24) {
    DibTo24(bmp.m_pHeader, d, desc.Bits(), desc.BytesPerRow());
    return kVicOk;
  }
  if (d.m_iBitCount <= 8) CopyPalette(bmp, desc);
  if (d.m_dwCompression == BI_RLE8 || d.m_dwCompression == BI_RLE4)
    return DecodeRle(bmp.m_pHeader + d.m_iBitsOffset, bmp.m_iRleSize,
                     d.m_dwCompression == BI_RLE4, desc);
  if (d.m_iBitCount == 16 || d.m_iBitCount == 32)
    desc.SetMasks(d.m_aMasks[0], d.m_aMasks[1], d.m_aMasks[2]);
  const std::size_t iStride = std::min(d.m_iStride, desc.BytesPerRow());
  for (int iRow = 0; iRow < d.m_iHeight; ++iRow) {
    const int iSrcRow = d.m_bTopDown ? d.m_iHeight - 1 - iRow : iRow;
    std::memcpy(desc.Bits() + static_cast<std::size_t>(iRow) * desc.BytesPerRow(),
                bmp.m_pHeader + d.m_iBitsOffset + static_cast<std::size_t>(iSrcRow) * d.m_iStride,
                iStride);
  }
  return kVicOk;
}

int EncodeBmp(const CImageDesc& desc, std::vector<std::uint8_t>& aOut) {
  if (!desc.IsAllocated() || desc.BitsPerPixel() != 24) return kVicErrMismatch;
  const std::size_t iImage = desc.BytesPerRow() * static_cast<std::size_t>(desc.Height());
  if (iImage > 0xFFFFFFFFu - 54) return kVicErrTooLarge;
  aOut.clear();
  aOut.reserve(54 + iImage);
  aOut.push_back('B');
  aOut.push_back('M');
  PutLE32(aOut, static_cast<std::uint32_t>(54 + iImage));
  PutLE32(aOut, 0);
  PutLE32(aOut, 54);
  PutLE32(aOut, 40);
  PutLE32(aOut, static_cast<std::uint32_t>(desc.Width()));
  PutLE32(aOut, static_cast<std::uint32_t>(desc.Height()));
  PutLE16(aOut, 1);
  PutLE16(aOut, 24);
  for (int i = 0; i < 6; ++i) PutLE32(aOut, 0);
  aOut.insert(aOut.end(), desc.Bits(), desc.Bits() + iImage);
  return kVicOk;
}

int SaveBmp(const char* szPath, const CImageDesc& desc, int /*iOption*/) {
  std::vector<std::uint8_t> aOut;
  if (const int iErr = EncodeBmp(desc, aOut)) return iErr;
  return WriteFileBytes(szPath, aOut);
}
