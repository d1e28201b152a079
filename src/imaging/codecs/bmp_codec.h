// BMP files: every depth (1, 4, 8, 16, 24, 32 bits), BI_RGB, BI_BITFIELDS,
// RLE8 and RLE4, core and longer info headers, bottom-up and top-down rows.
// Pictures are written as uncompressed 24-bit files.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/codecs/image_desc.h"

// Size and depth (the file's bit count) of a BMP file in memory.
int BmpInfo(CBytes data, CImageInfo& info);
// Loads into a descriptor allocated at BmpInfo's size and depth, or at 24
// bits for a 24-bit file.
int LoadBmp(CBytes data, CImageDesc& desc);
// Whether run-length data of this many bytes may stand for this many
// pixels; a file claiming more (its data ending the bitmap at once) is
// refused as truncated before its memory is taken.
bool RleSizeIsCredible(long long iPixels, std::size_t iDataBytes);
// A 24-bit descriptor as an uncompressed 24-bit BMP file.
int EncodeBmp(const CImageDesc& desc, std::vector<std::uint8_t>& aOut);
// Writes a 24-bit descriptor to a file (iOption is unused and kept as 1).
int SaveBmp(const char* szPath, const CImageDesc& desc, int iOption);
