// Targa files: uncompressed and run-length encoded; true-colour (15, 16, 24,
// 32 bits), grey (8 bits, or 16 with alpha) and colour-mapped (8 or 16-bit
// indices into a map of 15, 16, 24 or 32-bit entries); rows stored from the
// bottom or from the top, pixels left to right or right to left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/codecs/image_desc.h"

// Size and the depth of the descriptor LoadTga fills: 16 for 15 and 16-bit
// colour, 24, 32, 8 for grey and 8-bit colour maps, 24 for 16-bit maps.
int TgaInfo(CBytes data, CImageInfo& info);
int LoadTga(CBytes data, CImageDesc& desc);

struct CTgaOptions {
  bool m_bRle = false;        // run-length encode the rows
  bool m_bTopOrigin = false;  // first row in the file is the top one
  std::string m_csId;         // the image-ID field (at most 255 bytes, cut there)
};
// A 24-bit descriptor as a 24-bit true-colour file.
int EncodeTga(const CImageDesc& desc, const CTgaOptions& options, std::vector<std::uint8_t>& aOut);
// Writes a 24-bit descriptor: iOption 1 uncompressed from the bottom row up
// (quick to write and read back, as the cache wants), 0 run-length encoded.
int SaveTga(const char* szPath, const CImageDesc& desc, int iOption);
