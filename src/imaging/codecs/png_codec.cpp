#include "imaging/codecs/png_codec.h"

#include <csetjmp>
#include <cstring>
#include <new>

#include <png.h>

// libpng reports errors through an error function that must not return; it
// jumps back to the setjmp of the function that started the work. Those
// functions hold no objects with destructors; buffers live in their callers.

namespace {

struct CPngState {
  png_structp m_pPng = nullptr;
  png_infop m_pInfo = nullptr;
  CBytes m_data;
  std::size_t m_iPos = 0;
  int m_iCode = kVicOk;
  std::vector<std::uint8_t>* m_pOut = nullptr;
};

[[noreturn]] void Fail(png_structp pPng, int iCode) {
  auto* pState = static_cast<CPngState*>(png_get_error_ptr(pPng));
  if (pState->m_iCode == kVicOk) pState->m_iCode = iCode;
  png_longjmp(pPng, 1);
}

[[noreturn]] void ErrorFn(png_structp pPng, png_const_charp) { Fail(pPng, kVicErrCorrupt); }
void WarningFn(png_structp, png_const_charp) {}

void ReadFn(png_structp pPng, png_bytep pOut, png_size_t n) {
  auto* pState = static_cast<CPngState*>(png_get_io_ptr(pPng));
  if (pState->m_data.size() - pState->m_iPos < n) Fail(pPng, kVicErrTruncated);
  std::memcpy(pOut, pState->m_data.data() + pState->m_iPos, n);
  pState->m_iPos += n;
}

void WriteFn(png_structp pPng, png_bytep p, png_size_t n) {
  auto* pState = static_cast<CPngState*>(png_get_io_ptr(pPng));
  bool bOk = true;
  try {
    pState->m_pOut->insert(pState->m_pOut->end(), p, p + n);
  } catch (const std::bad_alloc&) {
    bOk = false;
  }
  if (!bOk) Fail(pPng, kVicErrNoMemory);
}
void FlushFn(png_structp) {}

// Reads the header, sets the transformations and fills info.
int ReadHeader(CPngState& s, CImageInfo& info) {
  if (setjmp(png_jmpbuf(s.m_pPng))) return s.m_iCode;
  if (s.m_data.size() < 8 || png_sig_cmp(s.m_data.data(), 0, 8) != 0) return kVicErrSignature;
  png_set_read_fn(s.m_pPng, &s, ReadFn);
  // The program's own bound applies instead of the library's.
  png_set_user_limits(s.m_pPng, 0x7FFFFFFF, 0x7FFFFFFF);
  png_read_info(s.m_pPng, s.m_pInfo);
  const png_uint_32 w = png_get_image_width(s.m_pPng, s.m_pInfo);
  const png_uint_32 h = png_get_image_height(s.m_pPng, s.m_pInfo);
  if (const int iErr = CheckPictureSides(w, h)) return iErr;
  // Deflate stands for at most 1032 bytes with one: a file claiming more
  // image data than its size can hold is truncated or corrupt, and no
  // memory is taken for it.
  const unsigned long long iBitsPerPixel = static_cast<unsigned long long>(
      png_get_bit_depth(s.m_pPng, s.m_pInfo) * png_get_channels(s.m_pPng, s.m_pInfo));
  const unsigned long long iRaw = h * (1 + (w * iBitsPerPixel + 7) / 8);
  if (iRaw / 1032 > s.m_data.size()) return kVicErrTruncated;
  if (const int iErr = CheckPictureSize(w, h)) return iErr;
  const int iType = png_get_color_type(s.m_pPng, s.m_pInfo);
  png_set_scale_16(s.m_pPng);
  png_set_packing(s.m_pPng);
  int iDepth = 24;
  if (iType == PNG_COLOR_TYPE_PALETTE) {
    iDepth = 8;
  } else if ((iType & PNG_COLOR_MASK_COLOR) == 0) {
    iDepth = 8;
    png_set_expand_gray_1_2_4_to_8(s.m_pPng);
    png_set_strip_alpha(s.m_pPng);
  } else {
    png_set_bgr(s.m_pPng);
    if (iType & PNG_COLOR_MASK_ALPHA) iDepth = 32;
  }
  png_set_interlace_handling(s.m_pPng);
  png_read_update_info(s.m_pPng, s.m_pInfo);
  info.m_iWidth = static_cast<int>(w);
  info.m_iHeight = static_cast<int>(h);
  info.m_iBitsPerPixel = iDepth;
  return kVicOk;
}

int ReadRows(CPngState& s, png_bytepp ppRows) {
  if (setjmp(png_jmpbuf(s.m_pPng))) return s.m_iCode;
  png_read_image(s.m_pPng, ppRows);
  return kVicOk;
}

int Decode(CBytes data, CImageInfo& info, CImageDesc* pDesc) {
  CPngState s;
  s.m_data = data;
  s.m_pPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, ErrorFn, WarningFn);
  if (!s.m_pPng) return kVicErrNoMemory;
  s.m_pInfo = png_create_info_struct(s.m_pPng);
  int iResult = s.m_pInfo ? ReadHeader(s, info) : kVicErrNoMemory;
  if (iResult == kVicOk && pDesc) {
    if (!pDesc->IsOf(info.m_iWidth, info.m_iHeight, info.m_iBitsPerPixel) ||
        png_get_rowbytes(s.m_pPng, s.m_pInfo) > pDesc->BytesPerRow()) {
      iResult = kVicErrMismatch;
    } else {
      const int iType = png_get_color_type(s.m_pPng, s.m_pInfo);
      png_colorp pPalette = nullptr;
      int iColours = 0;
      if (iType == PNG_COLOR_TYPE_PALETTE &&
          png_get_PLTE(s.m_pPng, s.m_pInfo, &pPalette, &iColours) == PNG_INFO_PLTE) {
        for (int i = 0; i < iColours && i < 256; ++i)
          pDesc->SetPaletteEntry(i, pPalette[i].red, pPalette[i].green, pPalette[i].blue);
      } else if (info.m_iBitsPerPixel == 8) {
        for (int i = 0; i < 256; ++i) pDesc->SetPaletteEntry(i, i, i, i);
      }
      std::vector<png_bytep> aRows(static_cast<std::size_t>(info.m_iHeight));
      for (int y = 0; y < info.m_iHeight; ++y) aRows[static_cast<std::size_t>(y)] = pDesc->Row(y);
      iResult = ReadRows(s, aRows.data());
    }
  }
  png_destroy_read_struct(&s.m_pPng, s.m_pInfo ? &s.m_pInfo : nullptr, nullptr);
  return iResult;
}

int WriteAll(CPngState& s, const CImageDesc& desc, int iOption, png_bytepp ppRows) {
  if (setjmp(png_jmpbuf(s.m_pPng))) return s.m_iCode;
  png_set_write_fn(s.m_pPng, &s, WriteFn, FlushFn);
  png_set_IHDR(s.m_pPng, s.m_pInfo, static_cast<png_uint_32>(desc.Width()),
               static_cast<png_uint_32>(desc.Height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Option 0: a quicker setting than the library's default (level 6 trying
  // every row filter), for files barely larger; 1-9 set the zlib level.
  if (iOption > 0 && iOption <= 9) {
    png_set_compression_level(s.m_pPng, iOption);
  } else {
    png_set_compression_level(s.m_pPng, 3);
    png_set_filter(s.m_pPng, 0, PNG_FILTER_SUB | PNG_FILTER_PAETH);
  }
  png_set_bgr(s.m_pPng);
  png_write_info(s.m_pPng, s.m_pInfo);
  png_write_image(s.m_pPng, ppRows);
  png_write_end(s.m_pPng, s.m_pInfo);
  return kVicOk;
}

}  // namespace

int PngInfo(CBytes data, CImageInfo& info) { return Decode(data, info, nullptr); }

int LoadPng(CBytes data, CImageDesc& desc) {
  CImageInfo info;
  return Decode(data, info, &desc);
}

int EncodePng(const CImageDesc& desc, int iOption, std::vector<std::uint8_t>& aOut) {
  if (!desc.IsAllocated() || desc.BitsPerPixel() != 24) return kVicErrMismatch;
  aOut.clear();
  CPngState s;
  s.m_pOut = &aOut;
  s.m_pPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s, ErrorFn, WarningFn);
  if (!s.m_pPng) return kVicErrNoMemory;
  s.m_pInfo = png_create_info_struct(s.m_pPng);
  std::vector<png_bytep> aRows(static_cast<std::size_t>(desc.Height()));
  for (int y = 0; y < desc.Height(); ++y)
    aRows[static_cast<std::size_t>(y)] = const_cast<std::uint8_t*>(desc.Row(y));
  const int iResult = s.m_pInfo ? WriteAll(s, desc, iOption, aRows.data()) : kVicErrNoMemory;
  png_destroy_write_struct(&s.m_pPng, s.m_pInfo ? &s.m_pInfo : nullptr);
  return iResult;
}

int SavePng(const char* szPath, const CImageDesc& desc, int iOption) {
  std::vector<std::uint8_t> aOut;
  if (const int iErr = EncodePng(desc, iOption, aOut)) return iErr;
  return WriteFileBytes(szPath, aOut);
}
