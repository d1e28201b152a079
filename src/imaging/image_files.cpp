#include "imaging/image_files.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <strings.h>
#include <vector>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/image_desc.h"
#include "imaging/codecs/jpeg_codec.h"
#include "imaging/codecs/pcx_codec.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/codecs/tga_codec.h"
#include "imaging/dadc.h"
#include "imaging/file_utils.h"
#include "imaging/packed_dib.h"
#include "platform/report.h"

const char* const kOpenImageFilter =
    "Bitmap   (*.BMP)|*.BMP|Targa    (*.TGA)|*.TGA|Jpeg     (*.JPG)|*.JPG|Pcx      "
    "(*.PCX)|*.PCX|PNG      (*.PNG)|*.PNG|All Files(*.*)|*.PNG;*.TGA;*.BMP;*.JPG;*.PCX|";
const char* const kSaveImageFilter =
    "Bitmap   (*.BMP)|*.BMP|Targa    (*.TGA)|*.TGA|Jpeg     (*.JPG)|*.JPG|Pcx      "
    "(*.PCX)|*.PCX|PNG      (*.PNG)|*.PNG|";
const char* const kImageDefaultExtensions[kImageFilterCount] = {"*.BMP", "*.TGA", "*.JPG",
                                                                "*.PCX", "*.PNG"};

namespace {

// JPEG files are saved at this quality.
constexpr int kJpegQuality = 75;

// One format's info and load calls and the messages of each loading step.
struct CFormat {
  int m_iType;
  const char* m_szName;
  int (*m_pfnInfo)(CBytes, CImageInfo&);
  int (*m_pfnLoad)(CBytes, CImageDesc&);
  const char* m_szInfoError;
  const char* m_szAlloc24;
  const char* m_szLoad24;
  const char* m_szAllocN1;
  const char* m_szLoadN;
  const char* m_szAllocN2;
  const char* m_szConvertN;  // nullptr: no message
};

const CFormat kFormats[] = {
    {kImageBmp, "BMP", BmpInfo, LoadBmp, "BMP data error: %d", "BMP allocimage error: %d",
     "loadbmp error: %d", "allocimage, (bmp,non24) error: %d", "loadbmp error: %d",
     "allocimage, 2nd (bmp) error: %d", nullptr},
    {kImageJpg, "JPG", JpgInfo, LoadJpg, "Jpeg data error: %d", "Jpeg allocimage error: %d",
     "loadjpg error: %d", "allocimage, 1st (jpg) error: %d", "loadjpg error: %d",
     "allocimage, 2nd (jpg) error: %d", "n bit convert jpg error: %d"},
    {kImageTga, "TGA", TgaInfo, LoadTga, "TGA data error: %d", "24 bit Tga allocimage error: %d",
     "24 bit loadtga error: %d", "n bit allocimage(1) error: %d", "n bit loadtga error: %d",
     "n bit allocimage(2) error: %d", "n bit converttga error: %d"},
    {kImagePcx, "PCX", PcxInfo, LoadPcx, "PCX image file data error: %d",
     "24 bit PCX allocimage error: %d", "24 bit loadpcx error: %d", "n bit allocimage(1) error: %d",
     "n bit loadpcx error: %d", "n bit allocimage(2) error: %d", "n bit convert pcx error: %d"},
    {kImagePng, "PNG", PngInfo, LoadPng, "PNG image data error: %d", "24 bit PNG allocimage error: %d",
     "24 bit loadpng error: %d", "n bit allocimage(1) error: %d", "n bit loadpng error: %d",
     "n bit allocimage(2) error: %d", "n bit convert png error: %d"},
};

const CFormat* FindFormat(int iType) {
  for (const CFormat& f : kFormats)
    if (f.m_iType == iType) return &f;
  return nullptr;
}

const char* const kNotRegularMessage =
    "Not a file that can be read as a picture (a pipe, device or folder):\n<%s>";

// Says in words what a damaged file's error code means.
void ReportDamage(int iErr, const char* szPath) {
  if (iErr == kVicErrTruncated || iErr == kVicErrCorrupt)
    ReportError("The picture file is corrupt or truncated:\n<%s>", szPath);
}

// Makes the 24-bit descriptor that a picture of the given size is loaded
// into: 0, or an error code for the format's allocation message.
using CTargetMaker = std::function<int(CImageDesc& target, int iWidth, int iHeight)>;

// Loads the file's bytes into a 24-bit descriptor made by makeTarget:
// straight for 24-bit files, otherwise at the file's depth and then
// converted. 1, or 0 after the step's message. iReadError is the outcome of
// reading the file.
int LoadFormat(const CFormat& f, const char* szPath, CBytes data, int iReadError,
               const CTargetMaker& makeTarget, CImageDesc& target, int& iDamage) {
  CImageInfo info;
  int iErr = iReadError ? iReadError : f.m_pfnInfo(data, info);
  if (iErr) {
    // A refused size or a file that is no picture file at all is said in
    // words instead of as a data error.
    if (iErr == kVicErrTooLarge)
      ReportError("%s\n<%s>", PictureTooLargeMessage().c_str(), szPath);
    else if (iErr == kVicErrNotRegular)
      ReportError(kNotRegularMessage, szPath);
    else
      ReportError(f.m_szInfoError, iErr);
    iDamage = iErr;
    return 0;
  }
  if (info.m_iBitsPerPixel == 24) {
    if ((iErr = makeTarget(target, info.m_iWidth, info.m_iHeight))) {
      ReportError(f.m_szAlloc24, iErr);
      return 0;
    }
    if ((iErr = f.m_pfnLoad(data, target))) {
      iDamage = iErr;
      ReportError(f.m_szLoad24, iErr);
      FreeImage(target);
      return 0;
    }
    return 1;
  }
  CImageDesc temp;
  if ((iErr = AllocImage(temp, info.m_iWidth, info.m_iHeight, info.m_iBitsPerPixel))) {
    ReportError(f.m_szAllocN1, iErr);
    return 0;
  }
  if ((iErr = f.m_pfnLoad(data, temp))) {
    iDamage = iErr;
    ReportError(f.m_szLoadN, iErr);
    return 0;
  }
  if ((iErr = makeTarget(target, info.m_iWidth, info.m_iHeight))) {
    ReportError(f.m_szAllocN2, iErr);
    return 0;
  }
  if ((iErr = ConvertTo24(temp, target))) {
    if (f.m_szConvertN) ReportError(f.m_szConvertN, iErr);
    FreeImage(target);
    return 0;
  }
  return 1;
}

// A packed DIB of any depth as a 24-bit one; empty when it is not usable.
CGlobalBlock DibAs24(const CGlobalBlock& hDib) {
  CDibLayout layout;
  CImageDesc desc;
  CGlobalBlock h24;
  if (!ParseDib(hDib.Data(), hDib.Size(), layout)) return h24;
  // Run-length data claiming far more pixels than its bytes can hold takes
  // no memory here either.
  const bool bRle = layout.m_dwCompression == BI_RLE8 || layout.m_dwCompression == BI_RLE4;
  if (bRle && !RleSizeIsCredible(static_cast<long long>(layout.m_iWidth) * layout.m_iHeight,
                                 hDib.Size()))
    return h24;
  if (AllocImage(desc, layout.m_iWidth, layout.m_iHeight, 24) != kVicOk) return h24;
  DibTo24(hDib.Data(), layout, desc.Bits(), desc.BytesPerRow());
  ImageToDib(desc, h24);
  return h24;
}

struct CFileCloser {
  void operator()(std::FILE* p) const { std::fclose(p); }
};

// Chooses the format, reads the file and loads it into the descriptor that
// makeTarget makes. 1 when desc holds the picture. Otherwise 0; for a BMP
// file the reader refuses, hFallback then holds the file's packed DIB as
// ReadDibFile found it (any depth), else stays empty.
int LoadPicture(const char* szPath, int iType, const CTargetMaker& makeTarget, CImageDesc& desc,
                CGlobalBlock& hFallback) {
  if (iType == kImageFromName) {
    iType = ImageTypeFromName(szPath);
    if (iType == -1) return 0;
  }
  const CFormat* pFormat = FindFormat(iType);
  if (!pFormat) {
    ReportError("VLIF: bad image type: %d", iType);
    return 0;
  }
  CFileBytes aData;
  const int iReadError = ReadFileBytes(szPath, aData);
  int iDamage = kVicOk;
  if (LoadFormat(*pFormat, szPath, aData, iReadError, makeTarget, desc, iDamage)) return 1;
  // A BMP file the reader refuses may still be a packed DIB it reads (not
  // one refused for its size or for being no file).
  if (iType == kImageBmp && iDamage != kVicErrTooLarge && iDamage != kVicErrNotRegular) {
    std::FILE* pOpened = nullptr;
    if (OpenRegularFile(szPath, pOpened) == 0) {
      std::unique_ptr<std::FILE, CFileCloser> pFile(pOpened);
      hFallback = ReadDibFile(pFile.get());
    }
  }
  if (!hFallback) ReportDamage(iDamage, szPath);
  return 0;
}

}  // namespace

int ImageTypeFromName(const char* szPath, bool bReport) {
  const char* pDot = std::strrchr(szPath, '.');
  if (!pDot) {
    if (bReport) ReportError("Missing extension from filename:\n'%s'", szPath);
    return 0;
  }
  const char* szExt = pDot + 1;
  // The longer and shorter spellings of the JPG extension.
  if (strcasecmp(szExt, "jpeg") == 0 || strcasecmp(szExt, "jpe") == 0) return kImageJpg;
  if (std::strlen(szExt) != 3) {
    if (bReport) ReportError("File name has bad extension:\n'%s'", szPath);
    return 0;
  }
  if (strcasecmp(szExt, "png") == 0) return kImagePng;
  if (strcasecmp(szExt, "jpg") == 0) return kImageJpg;
  if (strcasecmp(szExt, "tga") == 0) return kImageTga;
  if (strcasecmp(szExt, "pcx") == 0) return kImagePcx;
  if (strcasecmp(szExt, "bmp") == 0) return kImageBmp;
  return -1;
}

CGlobalBlock OpenImageFile(const char* szPath, int iType) {
  CWaitCursor wait;
  if (!std::strchr(szPath, '.')) {
    ReportError("Filename has no extension:<%s>", szPath);
    return CGlobalBlock();
  }
  // One message for a failure: the loader's word, then what the steps said.
  CGatheredErrors gathered;
  CGlobalBlock hDib = VicLoadFile(szPath, iType);
  if (!hDib) gathered.Show(FormatMessageText("Could not open imagefile:\n<%s>", szPath));
  return hDib;
}

CGlobalBlock VicLoadFile(const char* szPath, int iType) {
  CImageDesc desc;
  CGlobalBlock hFallback;
  const auto alloc = [](CImageDesc& target, int iWidth, int iHeight) {
    return AllocImage(target, iWidth, iHeight, 24);
  };
  if (!LoadPicture(szPath, iType, alloc, desc, hFallback)) return DibAs24(hFallback);
  CGlobalBlock hDib;
  if (const int iErr = ImageToDib(desc, hDib)) {
    ReportError("VLIF: imagetodib error: %d", iErr);
    return CGlobalBlock();
  }
  return hDib;
}

std::unique_ptr<CDADC> OpenImageSurface(const char* szPath, int iType) {
  CWaitCursor wait;
  if (!std::strchr(szPath, '.')) {
    ReportError("Filename has no extension:<%s>", szPath);
    return nullptr;
  }
  // The picture is decoded straight into the surface's rows.
  std::unique_ptr<CDADC> pSurface;
  const auto makeSurface = [&pSurface](CImageDesc& target, int iWidth, int iHeight) {
    pSurface.reset(new (std::nothrow) CDADC);
    if (!pSurface || !pSurface->m_pDC) return static_cast<int>(kVicErrNoMemory);
    BITMAPINFO bmi;
    InitBitmapInfo24(bmi);
    bmi.bmiHeader.biWidth = iWidth;
    bmi.bmiHeader.biHeight = iHeight;
    if (!pSurface->InitData(bmi)) return static_cast<int>(kVicErrNoMemory);
    return AttachImage(target, pSurface->m_pBits, iWidth, iHeight,
                       static_cast<std::size_t>(pSurface->m_iBytesPerRow));
  };
  CImageDesc desc;
  CGlobalBlock hFallback;
  CGatheredErrors gathered;
  if (!LoadPicture(szPath, iType, makeSurface, desc, hFallback)) {
    pSurface.reset();
    if (hFallback) pSurface = CDADC::CBC(hFallback);
  }
  if (!pSurface) gathered.Show(FormatMessageText("Could not open imagefile:\n<%s>", szPath));
  return pSurface;
}

CGlobalBlock ReadDibFile(std::FILE* pFile) {
  CWaitCursor wait;
  CGlobalBlock hDib;
  if (std::fseek(pFile, 0, SEEK_END) != 0) return hDib;
  const long iLength = std::ftell(pFile);
  if (iLength < 14 || std::fseek(pFile, 0, SEEK_SET) != 0) return hDib;
  std::uint8_t aHeader[14];
  if (std::fread(aHeader, 1, sizeof aHeader, pFile) != sizeof aHeader || aHeader[0] != 'B' ||
      aHeader[1] != 'M')
    return hDib;
  // No usable bitmap within the size bound is longer than this.
  const std::size_t iRest = static_cast<std::size_t>(iLength) - sizeof aHeader;
  if (iRest > MaxPictureFileSize()) return hDib;
  hDib = CGlobalBlock::Alloc(iRest);
  if (!hDib) return hDib;
  CDibLayout layout;
  if (std::fread(hDib.Data(), 1, iRest, pFile) != iRest ||
      !ParseDib(hDib.Data(), hDib.Size(), layout))
    hDib.Free();
  return hDib;
}

int ReadImageHeader(const char* szPath, CPictureHeader& header, std::string& csError) {
  header = CPictureHeader();
  const int iType = ImageTypeFromName(szPath, false);
  const CFormat* pFormat = iType > 0 ? FindFormat(iType) : nullptr;
  if (!pFormat) {
    csError = FormatMessageText("Not a picture file name (BMP, TGA, JPG, PCX or PNG):\n<%s>", szPath);
    return kVicErrSignature;
  }
  header.m_iType = iType;
  header.m_szFormat = pFormat->m_szName;
  CFileBytes aData;
  int iErr = ReadFileBytes(szPath, aData);
  CImageInfo info;
  if (iErr == kVicOk) iErr = pFormat->m_pfnInfo(aData, info);
  switch (iErr) {
    case kVicOk:
      header.m_iWidth = info.m_iWidth;
      header.m_iHeight = info.m_iHeight;
      header.m_iBitsPerPixel = info.m_iBitsPerPixel;
      return kVicOk;
    case kVicErrTooLarge:
      // Either the file's size or the size its header claims.
      if (aData.empty())
        csError = FormatMessageText("The file is larger than any picture within the limit of %lld "
                                    "pixels:\n<%s>", MaxPicturePixels(), szPath);
      else
        csError = PictureTooLargeMessage() + "\n<" + szPath + ">";
      break;
    case kVicErrNotRegular: csError = FormatMessageText(kNotRegularMessage, szPath); break;
    case kVicErrRead:
      csError = FormatMessageText("Cannot read the file:\n<%s>", szPath);
      break;
    case kVicErrTruncated:
    case kVicErrCorrupt:
      csError = FormatMessageText("The picture file is corrupt or truncated:\n<%s>", szPath);
      break;
    default:
      csError = FormatMessageText("Not a readable %s file (error %d):\n<%s>", pFormat->m_szName,
                                  iErr, szPath);
      break;
  }
  return iErr;
}

int VicWriteFile(const char* szPath, const CDADC& surface, int iType, bool bCreateNew) {
  if (iType == kImageFromName) {
    iType = ImageTypeFromName(szPath);
    if (iType == -1) return 0;
  }
  // The surface's rows have the descriptor's layout: the encoders read them
  // in place (they only read).
  CImageDesc desc;
  if (const int iErr = AttachImage(desc, const_cast<std::uint8_t*>(surface.m_pBits),
                                   surface.m_iWidth, surface.m_iHeight,
                                   static_cast<std::size_t>(surface.m_iBytesPerRow))) {
    ReportError("VicWriteFile(%s),\nallocimage() error: %d", szPath, iErr);
    return 0;
  }
  // The whole file is made in memory and then written in one go, so that a
  // failed write never leaves a part of it in place of the old file.
  std::vector<std::uint8_t> aFile;
  int iResult = 0;
  switch (iType) {
    case kImagePcx: {
      CImageDesc desc8;
      if (AllocImage(desc8, desc.Width(), desc.Height(), 8)) {
        ReportError("Could not allocate for PCX file");
        return 0;
      }
      if (ReduceColours(256, desc, desc8)) {
        ReportError("Could not convert to PCX file");
        return 0;
      }
      iResult = EncodePcx(desc8, aFile);
      break;
    }
    case kImageTga: {
      CTgaOptions options;  // option 1: uncompressed, bottom row first
      iResult = EncodeTga(desc, options, aFile);
      break;
    }
    case kImageBmp: iResult = EncodeBmp(desc, aFile); break;
    case kImageJpg: iResult = EncodeJpg(desc, kJpegQuality, aFile); break;
    case kImagePng: iResult = EncodePng(desc, 0, aFile); break;
    default:
      ReportError("VWIF: bad image file type: %d\nFilename = <%s>", iType, szPath);
      iResult = -1;
      break;
  }
  if (iResult == kVicOk) iResult = WriteFileBytes(szPath, aFile, bCreateNew);
  if (iResult == kVicOk) return 1;
  if (iResult == kVicErrDiskFull && LastWriteErrno() == ENOSPC)
    ReportError("Cannot save file, disk full?");
  else if (iResult == kVicErrDiskFull || iResult == kVicErrCreate)
    ReportError("Cannot save file <%s>:\n%s", szPath, SystemReason(LastWriteErrno()).c_str());
  else
    ReportError("SaveImage, error %d", iResult);
  return 0;
}
