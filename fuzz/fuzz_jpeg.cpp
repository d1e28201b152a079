// Feeds arbitrary bytes to the JPEG reader: it must answer with a picture or an
// error code, never crash, hang or take unbounded memory.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t iSize) {
  CImageDesc desc;
  // Large pictures are legitimate but slow to fill; the bound keeps runs quick.
  DecodePicture(CBytes(pData, iSize), JpgInfo, LoadJpg, desc, 4'000'000);
  return 0;
}
