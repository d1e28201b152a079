#include "imaging/codecs/tga_codec.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 18;

enum class EKind { kTrueColour, kGrey, kMapped };

struct CTgaLayout {
  EKind m_eKind = EKind::kTrueColour;
  bool m_bRle = false;
  bool m_bTopOrigin = false;
  bool m_bRightToLeft = false;
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iPixelBits = 0;      // bits per pixel in the file
  int m_iPixelBytes = 0;     // bytes per pixel in the file
  int m_iDescBits = 0;       // depth of the descriptor it loads into
  int m_iMapFirst = 0;       // colour index of the first map entry
  int m_iMapLength = 0;
  int m_iMapEntryBits = 0;
  std::size_t m_iMapOffset = 0;
  std::size_t m_iDataOffset = 0;
};

int ParseTga(CBytes data, CTgaLayout& t) {
  if (data.size() < kHeaderSize) return kVicErrTruncated;
  const std::uint8_t* h = data.data();
  const int iMapType = h[1], iType = h[2];
  switch (iType) {
    case 1: case 9: t.m_eKind = EKind::kMapped; break;
    case 2: case 10: t.m_eKind = EKind::kTrueColour; break;
    case 3: case 11: t.m_eKind = EKind::kGrey; break;
    default: return iType == 0 ? kVicErrCorrupt : kVicErrUnsupported;
  }
  if (iMapType > 1) return kVicErrSignature;
  t.m_bRle = iType >= 9;
  t.m_iMapFirst = static_cast<int>(ReadLE16(h + 3));
  t.m_iMapLength = static_cast<int>(ReadLE16(h + 5));
  t.m_iMapEntryBits = h[7];
  t.m_iWidth = static_cast<int>(ReadLE16(h + 12));
  t.m_iHeight = static_cast<int>(ReadLE16(h + 14));
  t.m_iPixelBits = h[16];
  t.m_bRightToLeft = (h[17] & 0x10) != 0;
  t.m_bTopOrigin = (h[17] & 0x20) != 0;
  if (const int iErr = CheckPictureSides(t.m_iWidth, t.m_iHeight)) return iErr;

  std::size_t iMapBytes = 0;
  if (iMapType == 1) {
    if (t.m_iMapEntryBits != 15 && t.m_iMapEntryBits != 16 && t.m_iMapEntryBits != 24 &&
        t.m_iMapEntryBits != 32)
      return kVicErrUnsupported;
    iMapBytes = static_cast<std::size_t>(t.m_iMapLength) * ((t.m_iMapEntryBits + 7) / 8);
  }
  switch (t.m_eKind) {
    case EKind::kMapped:
      if (iMapType != 1 || t.m_iMapLength == 0) return kVicErrCorrupt;
      if (t.m_iPixelBits == 8) t.m_iDescBits = 8;
      else if (t.m_iPixelBits == 16) t.m_iDescBits = 24;
      else return kVicErrUnsupported;
      break;
    case EKind::kTrueColour:
      if (t.m_iPixelBits == 15 || t.m_iPixelBits == 16) t.m_iDescBits = 16;
      else if (t.m_iPixelBits == 24 || t.m_iPixelBits == 32) t.m_iDescBits = t.m_iPixelBits;
      else return kVicErrUnsupported;
      break;
    case EKind::kGrey:
      if (t.m_iPixelBits != 8 && t.m_iPixelBits != 16) return kVicErrUnsupported;
      t.m_iDescBits = 8;
      break;
  }
  t.m_iPixelBytes = (t.m_iPixelBits + 7) / 8;
  t.m_iMapOffset = kHeaderSize + h[0];
  t.m_iDataOffset = t.m_iMapOffset + iMapBytes;
  if (t.m_iDataOffset > data.size()) return kVicErrTruncated;
  // Even run-length data cannot hold more than 128 pixels per packet; a
  // size beyond that is a lie, and no memory is spent on it.
  const std::size_t iPixels = static_cast<std::size_t>(t.m_iWidth) * t.m_iHeight;
  const std::size_t iRest = data.size() - t.m_iDataOffset;
  if (t.m_bRle ? iPixels / 128 > iRest : iPixels * t.m_iPixelBytes > iRest)
    return kVicErrTruncated;
  return CheckPictureSize(t.m_iWidth, t.m_iHeight);
}

COLORREF MapEntry(const std::uint8_t* p, int iBits) {
  if (iBits >= 24) return RGB(p[2], p[1], p[0]);
  const unsigned v = ReadLE16(p);
  auto expand = [](unsigned c) { return static_cast<int>((c * 255 + 15) / 31); };
  return RGB(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
}

// Writes file pixels, in file order, into the descriptor.
class CPixelSink {
 public:
  CPixelSink(const CTgaLayout& t, CBytes data, CImageDesc& desc)
      : m_t(t), m_desc(desc), m_iTotal(static_cast<std::size_t>(t.m_iWidth) * t.m_iHeight) {
    if (t.m_eKind == EKind::kMapped) {
      const int iEntryBytes = (t.m_iMapEntryBits + 7) / 8;
      m_aMap.resize(static_cast<std::size_t>(t.m_iMapLength));
      for (int i = 0; i < t.m_iMapLength; ++i)
        m_aMap[static_cast<std::size_t>(i)] =
            MapEntry(data.data() + t.m_iMapOffset + static_cast<std::size_t>(i) * iEntryBytes,
                     t.m_iMapEntryBits);
    }
  }
  bool Done() const { return m_iNext >= m_iTotal; }
  // Stores the pixel p (m_iPixelBytes bytes) at the next position.
  void Put(const std::uint8_t* p) {
    if (Done()) return;
    const int w = m_t.m_iWidth;
    const int iRow = static_cast<int>(m_iNext / w), iCol = static_cast<int>(m_iNext % w);
    ++m_iNext;
    const int y = m_t.m_bTopOrigin ? iRow : m_t.m_iHeight - 1 - iRow;
    const int x = m_t.m_bRightToLeft ? w - 1 - iCol : iCol;
    std::uint8_t* d = m_desc.Row(y);
    switch (m_t.m_eKind) {
      case EKind::kTrueColour:
        std::memcpy(d + static_cast<std::size_t>(x) * (m_t.m_iDescBits / 8), p,
                    static_cast<std::size_t>(m_t.m_iPixelBytes));
        break;
      case EKind::kGrey:
        d[x] = p[0];
        break;
      case EKind::kMapped: {
        const int iIndex = m_t.m_iPixelBits == 8 ? p[0] : static_cast<int>(ReadLE16(p));
        if (m_t.m_iPixelBits == 8) {
          d[x] = p[0];
        } else {
          const COLORREF c = Lookup(iIndex);
          d[3 * x] = static_cast<std::uint8_t>(GetBValue(c));
          d[3 * x + 1] = static_cast<std::uint8_t>(GetGValue(c));
          d[3 * x + 2] = static_cast<std::uint8_t>(GetRValue(c));
        }
        break;
      }
    }
  }
  // Indices outside the map read black.
  COLORREF Lookup(int iIndex) const {
    const long long i = static_cast<long long>(iIndex) - m_t.m_iMapFirst;
    return i >= 0 && i < static_cast<long long>(m_aMap.size()) ? m_aMap[static_cast<std::size_t>(i)]
                                                               : 0;
  }

 private:
  const CTgaLayout& m_t;
  CImageDesc& m_desc;
  std::size_t m_iTotal;
  std::size_t m_iNext = 0;
  std::vector<COLORREF> m_aMap;
};

}  // namespace

int TgaInfo(CBytes data, CImageInfo& info) {
  CTgaLayout t;
  if (const int iErr = ParseTga(data, t)) return iErr;
  info.m_iWidth = t.m_iWidth;
  info.m_iHeight = t.m_iHeight;
  info.m_iBitsPerPixel = t.m_iDescBits;
  return kVicOk;
}

int LoadTga(CBytes data, CImageDesc& desc) {
  CTgaLayout t;
  if (const int iErr = ParseTga(data, t)) return iErr;
  if (!desc.IsOf(t.m_iWidth, t.m_iHeight, t.m_iDescBits)) return kVicErrMismatch;
  CPixelSink sink(t, data, desc);
  if (t.m_iDescBits == 8) {
    for (int i = 0; i < 256; ++i) {
      const COLORREF c = t.m_eKind == EKind::kGrey ? RGB(i, i, i) : sink.Lookup(i);
      desc.SetPaletteEntry(i, GetRValue(c), GetGValue(c), GetBValue(c));
    }
  }
  const std::uint8_t* p = data.data() + t.m_iDataOffset;
  const std::uint8_t* pEnd = data.data() + data.size();
  const std::size_t ps = static_cast<std::size_t>(t.m_iPixelBytes);

  if (!t.m_bRle) {
    // The common case (the cache's own files) copies whole rows.
    const std::size_t iRowBytes = ps * static_cast<std::size_t>(t.m_iWidth);
    if (!t.m_bRightToLeft && ps * 8 == static_cast<std::size_t>(t.m_iDescBits)) {
      for (int r = 0; r < t.m_iHeight; ++r, p += iRowBytes)
        std::memcpy(desc.Row(t.m_bTopOrigin ? r : t.m_iHeight - 1 - r), p, iRowBytes);
      return kVicOk;
    }
    while (!sink.Done()) {
      sink.Put(p);
      p += ps;
    }
    return kVicOk;
  }
  while (!sink.Done()) {
    if (p >= pEnd) return kVicErrTruncated;
    const int iHead = *p++;
    const int iCount = (iHead & 0x7F) + 1;
    if (iHead & 0x80) {
      if (static_cast<std::size_t>(pEnd - p) < ps) return kVicErrTruncated;
      for (int k = 0; k < iCount; ++k) sink.Put(p);
      p += ps;
    } else {
      if (static_cast<std::size_t>(pEnd - p) < ps * iCount) return kVicErrTruncated;
      for (int k = 0; k < iCount; ++k, p += ps) sink.Put(p);
    }
  }
  return kVicOk;
}

namespace {

bool SamePixel(const std::uint8_t* a, const std::uint8_t* b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// One row as run-length packets of at most 128 pixels; packets never cross rows.
void EncodeRleRow(const std::uint8_t* s, int w, std::vector<std::uint8_t>& aOut) {
  int x = 0;
  while (x < w) {
    int iRun = 1;
    while (x + iRun < w && iRun < 128 && SamePixel(s + 3 * x, s + 3 * (x + iRun))) ++iRun;
    if (iRun >= 2) {
      aOut.push_back(static_cast<std::uint8_t>(0x80 | (iRun - 1)));
      aOut.insert(aOut.end(), s + 3 * x, s + 3 * x + 3);
      x += iRun;
      continue;
    }
    // Raw pixels until two equal neighbours start a run.
    int iRaw = 1;
    while (x + iRaw < w && iRaw < 128 &&
           !(x + iRaw + 1 < w && SamePixel(s + 3 * (x + iRaw), s + 3 * (x + iRaw + 1))))
      ++iRaw;
    aOut.push_back(static_cast<std::uint8_t>(iRaw - 1));
    aOut.insert(aOut.end(), s + 3 * x, s + 3 * (x + iRaw));
    x += iRaw;
  }
}

}  // namespace

int EncodeTga(const CImageDesc& desc, const CTgaOptions& options, std::vector<std::uint8_t>& aOut) {
  if (!desc.IsAllocated() || desc.BitsPerPixel() != 24) return kVicErrMismatch;
  if (desc.Width() > 0xFFFF || desc.Height() > 0xFFFF) return kVicErrTooLarge;
  const int w = desc.Width(), h = desc.Height();
  const std::size_t iRowBytes = 3 * static_cast<std::size_t>(w);
  aOut.assign(kHeaderSize, 0);
  aOut[2] = options.m_bRle ? 10 : 2;
  aOut[12] = static_cast<std::uint8_t>(w);
  aOut[13] = static_cast<std::uint8_t>(w >> 8);
  aOut[14] = static_cast<std::uint8_t>(h);
  aOut[15] = static_cast<std::uint8_t>(h >> 8);
  aOut[16] = 24;
  aOut[17] = options.m_bTopOrigin ? 0x20 : 0;
  const std::size_t iId = std::min<std::size_t>(options.m_csId.size(), 255);
  aOut[0] = static_cast<std::uint8_t>(iId);
  aOut.insert(aOut.end(), options.m_csId.begin(), options.m_csId.begin() + static_cast<std::ptrdiff_t>(iId));
  if (!options.m_bRle) aOut.reserve(kHeaderSize + 255 + iRowBytes * static_cast<std::size_t>(h));
  for (int r = 0; r < h; ++r) {
    const std::uint8_t* s = desc.Row(options.m_bTopOrigin ? r : h - 1 - r);
    if (options.m_bRle)
      EncodeRleRow(s, w, aOut);
    else
      aOut.insert(aOut.end(), s, s + iRowBytes);
  }
  return kVicOk;
}

int SaveTga(const char* szPath, const CImageDesc& desc, int iOption) {
  std::vector<std::uint8_t> aOut;
  CTgaOptions options;
  options.m_bRle = iOption == 0;
  if (const int iErr = EncodeTga(desc, options, aOut)) return iErr;
  return WriteFileBytes(szPath, aOut);
}
