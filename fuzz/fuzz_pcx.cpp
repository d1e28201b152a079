// Feeds arbitrary bytes to the PCX reader: it must answer with a picture or an
// error code, never crash, hang or take unbounded memory.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/pcx_codec.h"
#include "imaging/packed_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t iSize) {
  CImageDesc desc;
  // At the bound the program reads with (MaxPicturePixels, the default of
  // --max-pixels): ./vx fuzz caps the memory, so that a small file claiming
  // a huge picture is found rather than hidden by a lower bound.
  DecodePicture(CBytes(pData, iSize), PcxInfo, LoadPcx, desc, MaxPicturePixels());
  return 0;
}
