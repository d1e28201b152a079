#include "imaging/codecs/image_desc.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

#include <libimagequant.h>

#include "imaging/file_utils.h"
#include "imaging/packed_dib.h"

namespace {

constexpr std::size_t kHeaderSize = 40;
constexpr std::size_t kMasksSize = 12;

struct CFileCloser {
  void operator()(std::FILE* p) const { std::fclose(p); }
};
using CFilePtr = std::unique_ptr<std::FILE, CFileCloser>;

}  // namespace

int CheckPictureSize(long long iWidth, long long iHeight) {
  if (iWidth <= 0 || iHeight <= 0) return kVicErrBadSize;
  return PictureSizeWithinBounds(iWidth, iHeight) ? kVicOk : kVicErrTooLarge;
}

int CheckPictureSides(long long iWidth, long long iHeight) {
  if (iWidth <= 0 || iHeight <= 0) return kVicErrBadSize;
  if (iWidth <= kMaxPictureSide && iHeight <= kMaxPictureSide) return kVicOk;
  PictureSizeWithinBounds(iWidth, iHeight);  // false: remembers the size for the message
  return kVicErrTooLarge;
}

namespace {

// The bounds of a descriptor: what every writer can write.
int CheckDescriptorSize(long long iWidth, long long iHeight) {
  if (iWidth <= 0 || iHeight <= 0) return kVicErrBadSize;
  return PictureSizeWithinBounds(iWidth, iHeight, kMaxPicturePixels) ? kVicOk : kVicErrTooLarge;
}

}  // namespace

void CImageDesc::SetPaletteEntry(int i, int r, int g, int b) {
  if (i < 0 || i >= PaletteEntries()) return;
  std::uint8_t* p = m_hDib.Data() + m_iBitsOffset - 4 * static_cast<std::size_t>(PaletteEntries() - i);
  p[0] = static_cast<std::uint8_t>(b);
  p[1] = static_cast<std::uint8_t>(g);
  p[2] = static_cast<std::uint8_t>(r);
  p[3] = 0;
}

COLORREF CImageDesc::PaletteEntry(int i) const {
  if (i < 0 || i >= PaletteEntries()) return 0;
  const std::uint8_t* p =
      m_hDib.Data() + m_iBitsOffset - 4 * static_cast<std::size_t>(PaletteEntries() - i);
  return RGB(p[2], p[1], p[0]);
}

void CImageDesc::SetMasks(DWORD dwRed, DWORD dwGreen, DWORD dwBlue) {
  if (m_iBitsPerPixel != 16 && m_iBitsPerPixel != 32) return;
  std::uint8_t* p = m_hDib.Data() + kHeaderSize;
  const DWORD a[3] = {dwRed, dwGreen, dwBlue};
  std::memcpy(p, a, sizeof a);
}

int AllocImage(CImageDesc& desc, int iWidth, int iHeight, int iBitsPerPixel) {
  FreeImage(desc);
  if (const int iErr = CheckDescriptorSize(iWidth, iHeight)) return iErr;
  if (iBitsPerPixel != 1 && iBitsPerPixel != 4 && iBitsPerPixel != 8 && iBitsPerPixel != 16 &&
      iBitsPerPixel != 24 && iBitsPerPixel != 32)
    return kVicErrUnsupported;
  const bool bMasks = iBitsPerPixel == 16 || iBitsPerPixel == 32;
  const std::size_t iPalette = iBitsPerPixel <= 8 ? 4u << iBitsPerPixel : 0;
  const std::size_t iOffset = kHeaderSize + (bMasks ? kMasksSize : 0) + iPalette;
  const std::size_t iStride =
      ((static_cast<std::size_t>(iWidth) * static_cast<std::size_t>(iBitsPerPixel) + 31) / 32) * 4;
  CGlobalBlock hDib = CGlobalBlock::Alloc(iOffset + iStride * static_cast<std::size_t>(iHeight));
  if (!hDib) return kVicErrNoMemory;
  BITMAPINFOHEADER h{};
  h.biSize = kHeaderSize;
  h.biWidth = iWidth;
  h.biHeight = iHeight;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(iBitsPerPixel);
  h.biCompression = bMasks ? BI_BITFIELDS : BI_RGB;
  std::memcpy(hDib.Data(), &h, sizeof h);
  desc.m_hDib = std::move(hDib);
  desc.m_iWidth = iWidth;
  desc.m_iHeight = iHeight;
  desc.m_iBitsPerPixel = iBitsPerPixel;
  desc.m_iBytesPerRow = iStride;
  desc.m_iBitsOffset = iOffset;
  if (iBitsPerPixel == 16) desc.SetMasks(0x7C00, 0x03E0, 0x001F);
  if (iBitsPerPixel == 32) desc.SetMasks(0xFF0000, 0xFF00, 0xFF);
  return kVicOk;
}

int AttachImage(CImageDesc& desc, std::uint8_t* pBits, int iWidth, int iHeight,
                std::size_t iBytesPerRow) {
  FreeImage(desc);
  if (const int iErr = CheckDescriptorSize(iWidth, iHeight)) return iErr;
  if (!pBits || iBytesPerRow < static_cast<std::size_t>(BytesPerRow24(iWidth))) return kVicErrMismatch;
  desc.m_pRows = pBits;
  desc.m_iWidth = iWidth;
  desc.m_iHeight = iHeight;
  desc.m_iBitsPerPixel = 24;
  desc.m_iBytesPerRow = iBytesPerRow;
  return kVicOk;
}

void FreeImage(CImageDesc& desc) { desc = CImageDesc(); }

int ConvertTo24(const CImageDesc& src, CImageDesc& dst) {
  if (!src.IsAllocated() || src.IsAttached() || !dst.IsOf(src.Width(), src.Height(), 24))
    return kVicErrMismatch;
  CDibLayout layout;
  if (!ParseDib(src.Dib().Data(), src.Dib().Size(), layout)) return kVicErrCorrupt;
  DibTo24(src.Dib().Data(), layout, dst.Bits(), dst.BytesPerRow());
  return kVicOk;
}

namespace {

struct CLiqDeleter {
  void operator()(liq_attr* p) const { liq_attr_destroy(p); }
  void operator()(liq_image* p) const { liq_image_destroy(p); }
  void operator()(liq_result* p) const { liq_result_destroy(p); }
};

// The picture's colours when there are at most iColours of them.
bool ExactPalette(const CImageDesc& src, int iColours, CImageDesc& dst) {
  std::unordered_map<std::uint32_t, int> index;
  for (int y = 0; y < src.Height(); ++y) {
    const std::uint8_t* s = src.Row(y);
    std::uint8_t* d = dst.Row(y);
    for (int x = 0; x < src.Width(); ++x, s += 3) {
      const std::uint32_t c = s[0] | (s[1] << 8) | (s[2] << 16);
      auto it = index.find(c);
      if (it == index.end()) {
        if (static_cast<int>(index.size()) == iColours) return false;
        it = index.emplace(c, static_cast<int>(index.size())).first;
        dst.SetPaletteEntry(it->second, s[2], s[1], s[0]);
      }
      d[x] = static_cast<std::uint8_t>(it->second);
    }
  }
  return true;
}

}  // namespace

int ReduceColours(int iColours, const CImageDesc& src, CImageDesc& dst) {
  if (iColours < 2 || iColours > 256 || !src.IsOf(src.Width(), src.Height(), 24) ||
      !dst.IsOf(src.Width(), src.Height(), 8))
    return kVicErrMismatch;
  if (ExactPalette(src, iColours, dst)) return kVicOk;

  std::unique_ptr<liq_attr, CLiqDeleter> pAttr(liq_attr_create());
  if (!pAttr || liq_set_max_colors(pAttr.get(), iColours) != LIQ_OK) return kVicErrNoMemory;
  // Speed 6 of 1-10 halves the time of the default with hardly a visible loss.
  liq_set_speed(pAttr.get(), 6);
  // An RGBA copy: libimagequant reads the picture several times, and a row
  // callback would convert it again each time.
  std::vector<liq_color> aRgba;
  try {
    aRgba.resize(static_cast<std::size_t>(src.Width()) * static_cast<std::size_t>(src.Height()));
  } catch (const std::bad_alloc&) {
    return kVicErrNoMemory;
  }
  std::vector<void*> aRgbaRows(static_cast<std::size_t>(src.Height()));
  for (int y = 0; y < src.Height(); ++y) {
    liq_color* d = aRgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(src.Width());
    aRgbaRows[static_cast<std::size_t>(y)] = d;
    const std::uint8_t* s = src.Row(y);
    for (int x = 0; x < src.Width(); ++x, s += 3) d[x] = liq_color{s[2], s[1], s[0], 255};
  }
  std::unique_ptr<liq_image, CLiqDeleter> pImage(liq_image_create_rgba_rows(
      pAttr.get(), aRgbaRows.data(), src.Width(), src.Height(), 0));
  if (!pImage) return kVicErrNoMemory;
  liq_result* pRaw = nullptr;
  if (liq_image_quantize(pImage.get(), pAttr.get(), &pRaw) != LIQ_OK || !pRaw)
    return kVicErrCorrupt;
  std::unique_ptr<liq_result, CLiqDeleter> pResult(pRaw);
  liq_set_dithering_level(pResult.get(), 1.0f);
  std::vector<unsigned char*> aRows(static_cast<std::size_t>(dst.Height()));
  for (int y = 0; y < dst.Height(); ++y) aRows[static_cast<std::size_t>(y)] = dst.Row(y);
  if (liq_write_remapped_image_rows(pResult.get(), pImage.get(), aRows.data()) != LIQ_OK)
    return kVicErrCorrupt;
  const liq_palette* pPalette = liq_get_palette(pResult.get());
  for (unsigned i = 0; i < pPalette->count; ++i) {
    const liq_color& c = pPalette->entries[i];
    dst.SetPaletteEntry(static_cast<int>(i), c.r, c.g, c.b);
  }
  return kVicOk;
}

int ImageToDib(CImageDesc& desc, CGlobalBlock& hDib) {
  if (!desc.IsAllocated() || desc.IsAttached() || desc.BitsPerPixel() != 24) return kVicErrMismatch;
  hDib = std::move(desc.m_hDib);
  FreeImage(desc);
  return kVicOk;
}

namespace {

template <typename TBytes>
int ReadFileInto(const char* szPath, TBytes& aData) {
  aData.clear();
  std::FILE* pOpened = nullptr;
  const int iOpen = OpenRegularFile(szPath, pOpened);
  if (iOpen == kNotRegularFile) return kVicErrNotRegular;
  if (iOpen != 0) return kVicErrRead;
  CFilePtr pFile(pOpened);
  if (std::fseek(pFile.get(), 0, SEEK_END) != 0) return kVicErrRead;
  const long iLength = std::ftell(pFile.get());
  if (iLength < 0 || std::fseek(pFile.get(), 0, SEEK_SET) != 0) return kVicErrRead;
  if (static_cast<unsigned long long>(iLength) > MaxPictureFileSize()) return kVicErrTooLarge;
  try {
    aData.resize(static_cast<std::size_t>(iLength));
  } catch (const std::bad_alloc&) {
    return kVicErrNoMemory;
  }
  if (iLength > 0 && std::fread(aData.data(), aData.size(), 1, pFile.get()) != 1) {
    aData.clear();
    return kVicErrRead;
  }
  return kVicOk;
}

}  // namespace

unsigned long long MaxPictureFileSize() {
  // Four bytes a pixel uncompressed, and room for headers, colour tables and
  // metadata.
  return 4ull * static_cast<unsigned long long>(MaxPicturePixels()) + (1u << 20);
}

int ReadFileBytes(const char* szPath, std::vector<std::uint8_t>& aData) {
  return ReadFileInto(szPath, aData);
}

int ReadFileBytes(const char* szPath, CFileBytes& aData) { return ReadFileInto(szPath, aData); }

namespace {
thread_local int t_iLastWriteErrno = 0;
}

int WriteFileBytes(const char* szPath, CBytes data, bool bCreateNew) {
  t_iLastWriteErrno = WriteWholeFile(szPath, data.data(), data.size(), bCreateNew);
  switch (t_iLastWriteErrno) {
    case 0: return kVicOk;
    case ENOSPC:
    case EDQUOT:
    case EIO: return kVicErrDiskFull;
    default: return kVicErrCreate;
  }
}

int LastWriteErrno() { return t_iLastWriteErrno; }

int DecodePicture(CBytes data, PFN_IMAGE_INFO pfnInfo, PFN_IMAGE_LOAD pfnLoad, CImageDesc& out,
                  long long iMaxPixels) {
  CImageInfo info;
  if (const int iErr = pfnInfo(data, info)) return iErr;
  if (!PictureSizeWithinBounds(info.m_iWidth, info.m_iHeight, iMaxPixels)) return kVicErrTooLarge;
  CImageDesc temp;
  CImageDesc& first = info.m_iBitsPerPixel == 24 ? out : temp;
  if (const int iErr = AllocImage(first, info.m_iWidth, info.m_iHeight, info.m_iBitsPerPixel))
    return iErr;
  if (const int iErr = pfnLoad(data, first)) return iErr;
  if (&first == &out) return kVicOk;
  if (const int iErr = AllocImage(out, info.m_iWidth, info.m_iHeight, 24)) return iErr;
  return ConvertTo24(temp, out);
}
