#include "imaging/codecs/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

// libjpeg reports errors by calling error_exit, which must not return; its
// default ends the program. Here it jumps back to the call that started the
// work. The functions that call setjmp hold no objects with destructors.

namespace {

// Progressive files can hold any number of scans; a real one has a few dozen.
constexpr int kMaxScans = 1000;

struct CJpegError {
  jpeg_error_mgr m_pub;  // first, so that the library's pointer converts back
  std::jmp_buf m_jump;
  int m_iCode = kVicOk;
};

[[noreturn]] void Fail(j_common_ptr pInfo, int iCode) {
  auto* pErr = reinterpret_cast<CJpegError*>(pInfo->err);
  if (pErr->m_iCode == kVicOk) pErr->m_iCode = iCode;
  std::longjmp(pErr->m_jump, 1);
}

void ErrorExit(j_common_ptr pInfo) {
  const int iMsg = pInfo->err->msg_code;
  // The library's own side limit (65500) is the program's too.
  if (iMsg == JERR_IMAGE_TOO_BIG && pInfo->is_decompressor) {
    const auto* pDec = reinterpret_cast<j_decompress_ptr>(pInfo);
    Fail(pInfo, CheckPictureSides(pDec->image_width, pDec->image_height) == kVicErrTooLarge
                    ? kVicErrTooLarge
                    : kVicErrCorrupt);
  }
  Fail(pInfo, iMsg == JERR_OUT_OF_MEMORY ? kVicErrNoMemory
              : iMsg == JERR_INPUT_EMPTY ? kVicErrTruncated
              : iMsg == JERR_NO_SOI      ? kVicErrSignature
                                         : kVicErrCorrupt);
}

// Warnings about damaged data are tolerated, except that the data ends
// before the picture does: the file itself ends, or the entropy-coded data
// runs into a marker (a truncated file that happens to end in EOI) while
// scanlines are still missing.
void EmitMessage(j_common_ptr pInfo, int iLevel) {
  if (iLevel < 0 &&
      (pInfo->err->msg_code == JWRN_JPEG_EOF || pInfo->err->msg_code == JWRN_HIT_MARKER))
    Fail(pInfo, kVicErrTruncated);
}

void OutputMessage(j_common_ptr) {}

void Progress(j_common_ptr pInfo) {
  if (pInfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(pInfo)->input_scan_number > kMaxScans)
    Fail(pInfo, kVicErrCorrupt);
}

void InstallErrorHandler(jpeg_error_mgr& mgr) {
  jpeg_std_error(&mgr);
  mgr.error_exit = ErrorExit;
  mgr.emit_message = EmitMessage;
  mgr.output_message = OutputMessage;
}

struct CJpegDecoder {
  jpeg_decompress_struct m_info{};
  CJpegError m_err{};
  jpeg_progress_mgr m_progress{};
};

int DepthOf(const jpeg_decompress_struct& info) {
  return info.jpeg_color_space == JCS_GRAYSCALE ? 8 : 24;
}

// Reads the header and, when pDesc is given, the pixels into it.
int RunDecode(CJpegDecoder& dec, CBytes data, CImageInfo& info, CImageDesc* pDesc) {
  jpeg_decompress_struct& ci = dec.m_info;
  ci.err = &dec.m_err.m_pub;
  InstallErrorHandler(dec.m_err.m_pub);
  if (setjmp(dec.m_err.m_jump)) return dec.m_err.m_iCode;
  jpeg_create_decompress(&ci);
  dec.m_progress.progress_monitor = Progress;
  ci.progress = &dec.m_progress;
  jpeg_mem_src(&ci, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&ci, TRUE);
  if (const int iErr = CheckPictureSides(ci.image_width, ci.image_height)) return iErr;
  // Huffman coding spends at least one bit on each 8 x 8 block of the
  // full-resolution component, so a file holds at most 512 pixels per byte;
  // arithmetic coding can do better on flat pictures. A file claiming more
  // is truncated or corrupt, and no memory is taken for it.
  const unsigned long long iPixelsPerByte = ci.arith_code ? 8192 : 512;
  if (static_cast<unsigned long long>(ci.image_width) * ci.image_height >
      iPixelsPerByte * data.size())
    return kVicErrTruncated;
  if (const int iErr = CheckPictureSize(ci.image_width, ci.image_height)) return iErr;
  info.m_iWidth = static_cast<int>(ci.image_width);
  info.m_iHeight = static_cast<int>(ci.image_height);
  info.m_iBitsPerPixel = DepthOf(ci);
  if (!pDesc) return kVicOk;
  if (!pDesc->IsOf(info.m_iWidth, info.m_iHeight, info.m_iBitsPerPixel)) return kVicErrMismatch;
  const bool bCmyk = ci.jpeg_color_space == JCS_CMYK || ci.jpeg_color_space == JCS_YCCK;
  if (ci.jpeg_color_space == JCS_GRAYSCALE) {
    ci.out_color_space = JCS_GRAYSCALE;
    for (int i = 0; i < 256; ++i) pDesc->SetPaletteEntry(i, i, i, i);
  } else {
    ci.out_color_space = bCmyk ? JCS_CMYK : JCS_EXT_BGR;
  }
  jpeg_start_decompress(&ci);
  if (ci.output_width != ci.image_width || ci.output_height != ci.image_height)
    return kVicErrCorrupt;
  JSAMPARRAY pCmyk =
      bCmyk ? (*ci.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&ci), JPOOL_IMAGE,
                                      ci.output_width * 4, 1)
            : nullptr;
  while (ci.output_scanline < ci.output_height) {
    std::uint8_t* pRow = pDesc->Row(static_cast<int>(ci.output_scanline));
    if (!bCmyk) {
      JSAMPROW row = pRow;
      jpeg_read_scanlines(&ci, &row, 1);
      continue;
    }
    jpeg_read_scanlines(&ci, pCmyk, 1);
    // Each ink lets through the light it does not cover; files with the
    // Adobe marker store that share directly, others the ink itself.
    for (JDIMENSION x = 0; x < ci.output_width; ++x) {
      const std::uint8_t* s = pCmyk[0] + 4 * x;
      const auto light = [&](int v) { return ci.saw_Adobe_marker ? v : 255 - v; };
      const int k = light(s[3]);
      pRow[3 * x] = static_cast<std::uint8_t>(light(s[2]) * k / 255);
      pRow[3 * x + 1] = static_cast<std::uint8_t>(light(s[1]) * k / 255);
      pRow[3 * x + 2] = static_cast<std::uint8_t>(light(s[0]) * k / 255);
    }
  }
  // The end of the file after the last row is not needed.
  return kVicOk;
}

int Decode(CBytes data, CImageInfo& info, CImageDesc* pDesc) {
  CJpegDecoder dec;
  const int iResult = RunDecode(dec, data, info, pDesc);
  jpeg_destroy_decompress(&dec.m_info);
  return iResult;
}

struct CJpegEncoder {
  jpeg_compress_struct m_info{};
  CJpegError m_err{};
  unsigned char* m_pBuffer = nullptr;
  unsigned long m_iSize = 0;
};

int RunEncode(CJpegEncoder& enc, const CImageDesc& desc, int iQuality) {
  jpeg_compress_struct& ci = enc.m_info;
  ci.err = &enc.m_err.m_pub;
  InstallErrorHandler(enc.m_err.m_pub);
  if (setjmp(enc.m_err.m_jump)) return enc.m_err.m_iCode;
  jpeg_create_compress(&ci);
  jpeg_mem_dest(&ci, &enc.m_pBuffer, &enc.m_iSize);
  ci.image_width = static_cast<JDIMENSION>(desc.Width());
  ci.image_height = static_cast<JDIMENSION>(desc.Height());
  ci.input_components = 3;
  ci.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&ci);
  jpeg_set_quality(&ci, iQuality, TRUE);
  jpeg_start_compress(&ci, TRUE);
  while (ci.next_scanline < ci.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(desc.Row(static_cast<int>(ci.next_scanline)));
    jpeg_write_scanlines(&ci, &row, 1);
  }
  jpeg_finish_compress(&ci);
  return kVicOk;
}

}  // namespace

int JpgInfo(CBytes data, CImageInfo& info) { return Decode(data, info, nullptr); }

int LoadJpg(CBytes data, CImageDesc& desc) {
  CImageInfo info;
  return Decode(data, info, &desc);
}

int EncodeJpg(const CImageDesc& desc, int iQuality, std::vector<std::uint8_t>& aOut) {
  if (!desc.IsAllocated() || desc.BitsPerPixel() != 24) return kVicErrMismatch;
  if (desc.Width() > JPEG_MAX_DIMENSION || desc.Height() > JPEG_MAX_DIMENSION)
    return kVicErrTooLarge;
  CJpegEncoder enc;
  int iResult = RunEncode(enc, desc, iQuality);
  if (iResult == kVicOk) aOut.assign(enc.m_pBuffer, enc.m_pBuffer + enc.m_iSize);
  jpeg_destroy_compress(&enc.m_info);
  std::free(enc.m_pBuffer);
  return iResult;
}

int SaveJpg(const char* szPath, const CImageDesc& desc, int iQuality) {
  std::vector<std::uint8_t> aOut;
  if (const int iErr = EncodeJpg(desc, iQuality, aOut)) return iErr;
  return WriteFileBytes(szPath, aOut);
}
