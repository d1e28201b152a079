// JPEG files through libjpeg-turbo: grey pictures load as 8-bit grey
// palettes, colour ones (YCbCr, RGB, CMYK) as 24 bits. Errors of the library
// come back as error codes, never as an exit of the program.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/codecs/image_desc.h"

int JpgInfo(CBytes data, CImageInfo& info);
int LoadJpg(CBytes data, CImageDesc& desc);
// A 24-bit descriptor as a baseline JPEG of the given quality (1-100).
int EncodeJpg(const CImageDesc& desc, int iQuality, std::vector<std::uint8_t>& aOut);
int SaveJpg(const char* szPath, const CImageDesc& desc, int iQuality);
