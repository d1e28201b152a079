// Feeds arbitrary bytes to the BMP reader: it must answer with a picture or an
// error code, never crash, hang or take unbounded memory.
#include <cstddef>
#include <cstdint>

#include <vector>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t iSize) {
  CImageDesc desc;
  // At the bound the program reads with (MaxPicturePixels, the default of
  // --max-pixels): ./vx fuzz caps the memory, so that a small file claiming
  // a huge picture is found rather than hidden by a lower bound.
  DecodePicture(CBytes(pData, iSize), BmpInfo, LoadBmp, desc, MaxPicturePixels());
  // The fallback reader takes everything after the file header as a packed DIB.
  if (iSize <= 14) return 0;
  CDibLayout layout;
  // The loader's fallback refuses run-length data that cannot hold its pixels.
  const auto credible = [&] {
    const bool bRle = layout.m_dwCompression == BI_RLE8 || layout.m_dwCompression == BI_RLE4;
    return !bRle || RleSizeIsCredible(static_cast<long long>(layout.m_iWidth) * layout.m_iHeight,
                                      iSize - 14);
  };
  if (ParseDib(pData + 14, iSize - 14, layout) && credible()) {
    const std::size_t iStride = ((3 * static_cast<std::size_t>(layout.m_iWidth) + 3) / 4) * 4;
    std::vector<std::uint8_t> aPixels(iStride * static_cast<std::size_t>(layout.m_iHeight));
    DibTo24(pData + 14, layout, aPixels.data(), iStride);
  }
  return 0;
}
