// Reading and writing picture files: BMP, TGA, JPG, PCX and PNG, chosen by
// a format code or by the file name's extension. Every loaded picture
// arrives as a packed 24-bit DIB (40-byte header, rows bottom-up, blue,
// green, red, padded to 4 bytes) whatever its depth in the file. Failures
// are reported where they happen and give an empty block or 0.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/global_block.h"

class CDADC;

// Format codes.
inline constexpr int kImagePcx = 5;
inline constexpr int kImageTga = 7;
inline constexpr int kImageBmp = 9;
inline constexpr int kImageJpg = 11;
inline constexpr int kImagePng = 15;
inline constexpr int kImageFromName = -1;  // take the format from the file name

// File-dialog filters for opening and saving pictures, and the default
// extension for each filter index 0-4 (BMP, TGA, JPG, PCX, PNG).
extern const char* const kOpenImageFilter;
extern const char* const kSaveImageFilter;
inline constexpr int kImageFilterCount = 5;
extern const char* const kImageDefaultExtensions[kImageFilterCount];

// The format code for the extension (the text after the last "."),
// compared without regard to case ("jpeg" and "jpe" are JPG); -1 without a
// message for an unknown one of three letters. No extension: "Missing extension from filename:\n'%s'";
// one not of three letters: "File name has bad extension:\n'%s'"; both 0.
// bReport false: the same without messages.
int ImageTypeFromName(const char* szPath, bool bReport = true);

// What a picture file's header says, read without decoding any pixels.
struct CPictureHeader {
  int m_iType = 0;               // format code
  const char* m_szFormat = "";   // "BMP", "TGA", "JPG", "PCX" or "PNG"
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iBitsPerPixel = 0;       // the depth the picture is decoded at (1-32)
};
// Reads the header of the picture file named by szPath (the format from
// its extension), with the checks of loading: a regular file, a size within
// the bounds of reading. No pixel memory is taken and no message is shown:
// kVicOk (0), or an error code (codecs/image_desc.h) with the reason in
// csError, naming the file (and the limit, for a picture too large). A file
// whose header is sound may still fail to load when its pixel data is
// damaged.
int ReadImageHeader(const char* szPath, CPictureHeader& header, std::string& csError);

// Loads a picture as a packed 24-bit DIB, with the busy indication shown.
// A path without ".": "Filename has no extension:<%s>"; any failure to load
// ends with "Could not open imagefile:\n<%s>". A pipe or device is refused
// at once, and a picture beyond the bounds of reading (MaxPicturePixels,
// kMaxPictureSide) from its header, with a message naming the limit.
CGlobalBlock OpenImageFile(const char* szPath, int iType);
// Loads a picture straight into a new surface, with OpenImageFile's checks
// and messages: the same picture as CDADC::CBC(OpenImageFile(...)) without
// a packed DIB in between. nullptr after a message.
std::unique_ptr<CDADC> OpenImageSurface(const char* szPath, int iType);
// The format dispatch, loading and conversion to 24 bits behind
// OpenImageFile. A BMP file that the BMP reader refuses is read once more as
// a plain packed DIB by ReadDibFile.
CGlobalBlock VicLoadFile(const char* szPath, int iType);
// Writes a surface in the given format (kImageFromName: from the
// extension). PCX files get an 8-bit palette of at most 256 colours, JPEG
// files quality 75. The file is written whole to a temporary name and then
// takes its own: a failed write leaves an existing file untouched.
// bCreateNew: the file must not exist yet (not even as a link). A failed
// write says the system's reason ("Cannot save file, disk full?" for a full
// disk). 1/0.
int VicWriteFile(const char* szPath, const CDADC& surface, int iType, bool bCreateNew = false);
// The program's own BMP reader: the file from its current position must
// start with "BM"; the packed DIB after the 14-byte file header is returned
// as it is (any depth) when it is a usable bitmap, else an empty block.
CGlobalBlock ReadDibFile(std::FILE* pFile);
