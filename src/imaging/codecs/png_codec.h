// PNG files through libpng: palette pictures (1 to 8 bits) load as 8-bit
// palettes, grey ones (with or without alpha, 1 to 16 bits) as 8-bit grey
// palettes, RGB as 24 bits and RGBA as 32 bits (the alpha channel is kept in
// the descriptor and dropped on conversion to 24 bits). 16-bit samples are
// scaled to 8. Errors of the library come back as error codes.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/codecs/image_desc.h"

int PngInfo(CBytes data, CImageInfo& info);
int LoadPng(CBytes data, CImageDesc& desc);
// A 24-bit descriptor as an 8-bit RGB file (iOption 0: default compression).
int EncodePng(const CImageDesc& desc, int iOption, std::vector<std::uint8_t>& aOut);
int SavePng(const char* szPath, const CImageDesc& desc, int iOption);
