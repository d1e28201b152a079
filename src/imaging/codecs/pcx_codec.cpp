#include "imaging/codecs/pcx_codec.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteSize = 769;  // marker 0x0C and 256 RGB triples

struct CPcxLayout {
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iBits = 0;    // bits per pixel in each plane
  int m_iPlanes = 0;
  int m_iBytesPerLine = 0;
  bool m_bRle = true;
  int m_iDescBits = 0;
  bool m_bEndPalette = false;
  std::size_t m_iDataEnd = 0;  // pixel data runs from the header to here
};

int ParsePcx(CBytes data, CPcxLayout& x) {
  if (data.empty() || data[0] != 0x0A) return kVicErrSignature;
  if (data.size() < kHeaderSize) return kVicErrTruncated;
  const std::uint8_t* h = data.data();
  if (h[2] > 1) return kVicErrUnsupported;
  x.m_bRle = h[2] == 1;
  x.m_iBits = h[3];
  x.m_iPlanes = h[65];
  x.m_iBytesPerLine = static_cast<int>(ReadLE16(h + 66));
  const long long iWidth = static_cast<long long>(ReadLE16(h + 8)) - ReadLE16(h + 4) + 1;
  const long long iHeight = static_cast<long long>(ReadLE16(h + 10)) - ReadLE16(h + 6) + 1;
  if (const int iErr = CheckPictureSides(iWidth, iHeight)) return iErr;
  x.m_iWidth = static_cast<int>(iWidth);
  x.m_iHeight = static_cast<int>(iHeight);
  const int b = x.m_iBits, p = x.m_iPlanes;
  if (b == 1 && p == 1) x.m_iDescBits = 1;
  else if ((b == 1 && p >= 2 && p <= 4) || ((b == 2 || b == 4) && p == 1)) x.m_iDescBits = 4;
  else if (b == 8 && p == 1) x.m_iDescBits = 8;
  else if (b == 8 && (p == 3 || p == 4)) x.m_iDescBits = 24;
  else return kVicErrUnsupported;
  if (static_cast<long long>(x.m_iBytesPerLine) * 8 < iWidth * b) return kVicErrCorrupt;
  x.m_iDataEnd = data.size();
  if (x.m_iDescBits == 8 && data.size() >= kHeaderSize + kPaletteSize &&
      data[data.size() - kPaletteSize] == 0x0C) {
    x.m_bEndPalette = true;
    x.m_iDataEnd = data.size() - kPaletteSize;
  }
  // A run byte pair makes at most 63 bytes: a size needing more is a lie.
  const std::size_t iNeeded = static_cast<std::size_t>(x.m_iBytesPerLine) * p * x.m_iHeight;
  const std::size_t iHave = x.m_iDataEnd - kHeaderSize;
  if (x.m_bRle ? iNeeded / 63 > iHave : iNeeded > iHave) return kVicErrTruncated;
  return CheckPictureSize(iWidth, iHeight);
}

// Reads the run-length (or plain) byte stream; runs may cross lines.
class CPcxStream {
 public:
  CPcxStream(const std::uint8_t* p, const std::uint8_t* pEnd, bool bRle)
      : m_p(p), m_pEnd(pEnd), m_bRle(bRle) {}
  bool Read(std::uint8_t* pOut, std::size_t n) {
    if (!m_bRle) {
      if (static_cast<std::size_t>(m_pEnd - m_p) < n) return false;
      std::memcpy(pOut, m_p, n);
      m_p += n;
      return true;
    }
    while (n > 0) {
      if (m_iRun == 0) {
        if (m_p >= m_pEnd) return false;
        const std::uint8_t c = *m_p++;
        if ((c & 0xC0) == 0xC0) {
          if (m_p >= m_pEnd) return false;
          m_iRun = c & 0x3F;
          m_iValue = *m_p++;
        } else {
          m_iRun = 1;
          m_iValue = c;
        }
        continue;
      }
      const std::size_t k = std::min(n, m_iRun);
      std::memset(pOut, m_iValue, k);
      pOut += k;
      n -= k;
      m_iRun -= k;
    }
    return true;
  }

 private:
  const std::uint8_t* m_p;
  const std::uint8_t* m_pEnd;
  bool m_bRle;
  std::size_t m_iRun = 0;
  std::uint8_t m_iValue = 0;
};

int Bit(const std::uint8_t* pPlane, int x, int iBits) {
  const int iPerByte = 8 / iBits;
  return (pPlane[x / iPerByte] >> (8 - iBits * (1 + x % iPerByte))) & ((1 << iBits) - 1);
}

}  // namespace

int PcxInfo(CBytes data, CImageInfo& info) {
  CPcxLayout x;
  if (const int iErr = ParsePcx(data, x)) return iErr;
  info.m_iWidth = x.m_iWidth;
  info.m_iHeight = x.m_iHeight;
  info.m_iBitsPerPixel = x.m_iDescBits;
  return kVicOk;
}

int LoadPcx(CBytes data, CImageDesc& desc) {
  CPcxLayout x;
  if (const int iErr = ParsePcx(data, x)) return iErr;
  if (!desc.IsOf(x.m_iWidth, x.m_iHeight, x.m_iDescBits)) return kVicErrMismatch;
  const std::uint8_t* h = data.data();
  if (x.m_iDescBits == 1) {
    desc.SetPaletteEntry(0, 0, 0, 0);
    desc.SetPaletteEntry(1, 255, 255, 255);
  } else if (x.m_iDescBits == 4) {
    for (int i = 0; i < 16; ++i)
      desc.SetPaletteEntry(i, h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i]);
  } else if (x.m_iDescBits == 8) {
    const std::uint8_t* pPal = data.data() + x.m_iDataEnd + 1;
    for (int i = 0; i < 256; ++i) {
      if (x.m_bEndPalette)
        desc.SetPaletteEntry(i, pPal[3 * i], pPal[3 * i + 1], pPal[3 * i + 2]);
      else
        desc.SetPaletteEntry(i, i, i, i);
    }
  }
  const std::size_t iLine = static_cast<std::size_t>(x.m_iBytesPerLine);
  std::vector<std::uint8_t> aLine(iLine * static_cast<std::size_t>(x.m_iPlanes));
  CPcxStream stream(data.data() + kHeaderSize, data.data() + x.m_iDataEnd, x.m_bRle);
  const int w = x.m_iWidth;
  for (int y = 0; y < x.m_iHeight; ++y) {
    if (!stream.Read(aLine.data(), aLine.size())) return kVicErrTruncated;
    std::uint8_t* d = desc.Row(y);
    const std::uint8_t* s = aLine.data();
    switch (x.m_iDescBits) {
      case 1: case 8:
        std::memcpy(d, s, std::min(desc.BytesPerRow(), iLine));
        break;
      case 4:
        for (int i = 0; i < w; ++i) {
          int iIndex = 0;
          if (x.m_iPlanes == 1) {
            iIndex = Bit(s, i, x.m_iBits);
          } else {
            for (int p = 0; p < x.m_iPlanes; ++p) iIndex |= Bit(s + p * iLine, i, 1) << p;
          }
          PutIndex(d, i, 4, iIndex);
        }
        break;
      case 24:
        for (int i = 0; i < w; ++i) {
          d[3 * i] = s[2 * iLine + i];
          d[3 * i + 1] = s[iLine + i];
          d[3 * i + 2] = s[i];
        }
        break;
    }
  }
  return kVicOk;
}

int EncodePcx(const CImageDesc& desc, std::vector<std::uint8_t>& aOut) {
  if (!desc.IsAllocated() || desc.BitsPerPixel() != 8) return kVicErrMismatch;
  const int w = desc.Width(), h = desc.Height();
  if (w > 0xFFFF || h > 0xFFFF) return kVicErrTooLarge;
  const int iLine = (w + 1) & ~1;  // lines hold an even number of bytes
  aOut.assign(kHeaderSize, 0);
  aOut[0] = 0x0A;
  aOut[1] = 5;
  aOut[2] = 1;
  aOut[3] = 8;
  auto put16 = [&aOut](std::size_t i, int v) {
    aOut[i] = static_cast<std::uint8_t>(v);
    aOut[i + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put16(8, w - 1);
  put16(10, h - 1);
  put16(12, 72);
  put16(14, 72);
  aOut[65] = 1;
  put16(66, iLine);
  put16(68, 1);
  std::vector<std::uint8_t> aRow(static_cast<std::size_t>(iLine), 0);
  for (int y = 0; y < h; ++y) {
    std::memcpy(aRow.data(), desc.Row(y), static_cast<std::size_t>(w));
    for (int i = 0; i < iLine;) {
      int iRun = 1;
      while (i + iRun < iLine && iRun < 63 && aRow[i + iRun] == aRow[i]) ++iRun;
      if (iRun > 1 || aRow[i] >= 0xC0) aOut.push_back(static_cast<std::uint8_t>(0xC0 | iRun));
      aOut.push_back(aRow[i]);
      i += iRun;
    }
  }
  aOut.push_back(0x0C);
  for (int i = 0; i < 256; ++i) {
    const COLORREF c = desc.PaletteEntry(i);
    aOut.push_back(static_cast<std::uint8_t>(GetRValue(c)));
    aOut.push_back(static_cast<std::uint8_t>(GetGValue(c)));
    aOut.push_back(static_cast<std::uint8_t>(GetBValue(c)));
  }
  return kVicOk;
}

int SavePcx(const char* szPath, const CImageDesc& desc) {
  std::vector<std::uint8_t> aOut;
  if (const int iErr = EncodePcx(desc, aOut)) return iErr;
  return WriteFileBytes(szPath, aOut);
}
