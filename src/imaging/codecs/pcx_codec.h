// PCX files: 1-bit black and white; 16-colour pictures of 1 bit in 2 to 4
// planes or 2 and 4 bits in one plane (header palette); 8 bits with the
// 256-colour palette at the end (grey without it); 24 bits as three planes
// (and 32 as four, the fourth ignored). Run-length encoded or plain.
// Pictures are written as 8-bit palette files.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/codecs/image_desc.h"

// Size and the depth of the descriptor LoadPcx fills (1, 4, 8 or 24).
int PcxInfo(CBytes data, CImageInfo& info);
int LoadPcx(CBytes data, CImageDesc& desc);
// An 8-bit descriptor as a run-length encoded 8-bit palette file.
int EncodePcx(const CImageDesc& desc, std::vector<std::uint8_t>& aOut);
int SavePcx(const char* szPath, const CImageDesc& desc);
