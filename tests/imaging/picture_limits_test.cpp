// The bounds of reading: every picture read can be written in every format,
// anything larger is refused from its header (never decoded), and only
// regular files are read. The files here are hand-made headers claiming
// huge sizes; none is large.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/jpeg_codec.h"
#include "imaging/codecs/pcx_codec.h"
#include "imaging/codecs/png_codec.h"
#include "imaging/codecs/tga_codec.h"
#include "imaging/dadc.h"
#include "imaging/file_utils.h"
#include "imaging/image_files.h"
#include "imaging/packed_dib.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

using CFile = std::vector<std::uint8_t>;

void Put16(CFile& a, std::size_t i, unsigned v) {
  a[i] = static_cast<std::uint8_t>(v);
  a[i + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(CFile& a, std::size_t i, std::uint32_t v) {
  Put16(a, i, v & 0xFFFF);
  Put16(a, i + 2, v >> 16);
}
void Put32Be(CFile& a, std::size_t i, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) a[i + k] = static_cast<std::uint8_t>(v >> (24 - 8 * k));
}

// The filer's 64-byte run-length BMP: one pixel wide, 2^20 rows.
CFile RleBmp(int w, int h) {
  CFile a(64, 0);
  a[0] = 'B', a[1] = 'M';
  Put32(a, 2, 64);
  Put32(a, 10, 54 + 8);
  Put32(a, 14, 40);
  Put32(a, 18, static_cast<std::uint32_t>(w));
  Put32(a, 22, static_cast<std::uint32_t>(h));
  Put16(a, 26, 1);
  Put16(a, 28, 8);
  Put32(a, 30, 1);  // BI_RLE8
  Put32(a, 46, 2);  // two colours
  a[62] = 0, a[63] = 1;  // end of bitmap
  return a;
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

// Signature, IHDR and an empty IDAT: a 1-bit grey PNG of w x h.
CFile PngHeader(std::uint32_t w, std::uint32_t h) {
  CFile a = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  a.resize(8 + 25 + 12, 0);
  Put32Be(a, 8, 13);
  std::memcpy(&a[12], "IHDR", 4);
  Put32Be(a, 16, w);
  Put32Be(a, 20, h);
  a[24] = 1;  // bit depth; colour type 0 (grey)
  Put32Be(a, 29, Crc32(&a[12], 17));
  std::memcpy(&a[37], "IDAT", 4);
  Put32Be(a, 41, Crc32(&a[37], 4));
  return a;
}

CFile TgaHeader(int w, int h) {
  CFile a(18 + 64, 0);
  a[2] = 10;  // run-length true colour
  Put16(a, 12, static_cast<unsigned>(w));
  Put16(a, 14, static_cast<unsigned>(h));
  a[16] = 24;
  return a;
}

CFile PcxHeader(int w, int h) {
  CFile a(128 + 64, 0);
  a[0] = 0x0A, a[1] = 5, a[2] = 1, a[3] = 8;
  Put16(a, 8, static_cast<unsigned>(w - 1));
  Put16(a, 10, static_cast<unsigned>(h - 1));
  a[65] = 1;
  Put16(a, 66, static_cast<unsigned>(w + (w & 1)));
  return a;
}

// A real small JPEG whose frame header then claims w x h.
CFile JpegClaiming(int w, int h) {
  CImageDesc desc;
  EXPECT_EQ(AllocImage(desc, 8, 8, 24), kVicOk);
  CFile a;
  EXPECT_EQ(EncodeJpg(desc, 75, a), kVicOk);
  for (std::size_t i = 2; i + 9 < a.size(); ++i)
    if (a[i] == 0xFF && a[i + 1] == 0xC0) {
      a[i + 5] = static_cast<std::uint8_t>(h >> 8), a[i + 6] = static_cast<std::uint8_t>(h);
      a[i + 7] = static_cast<std::uint8_t>(w >> 8), a[i + 8] = static_cast<std::uint8_t>(w);
      break;
    }
  return a;
}

void Save(const std::string& csPath, const CFile& a) {
  std::ofstream(csPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(a.data()), static_cast<std::streamsize>(a.size()));
}

int InfoOf(const CFile& a, int (*pfnInfo)(CBytes, CImageInfo&)) {
  CImageInfo info;
  return pfnInfo(a, info);
}

}  // namespace

// Each decoder refuses a header claiming a side beyond the bound before
// taking any memory, and the header probe names the limit. (A small file
// claiming a huge picture within the sides is refused as truncated: it
// cannot hold its pixels.)
TEST(PictureLimits, HugeClaimsAreRefusedFromTheHeader) {
  CTempDir dir;
  const struct {
    const char* szName;
    CFile a;
    int (*pfnInfo)(CBytes, CImageInfo&);
    const char* szSize;
  } kCases[] = {
      {"tall.bmp", RleBmp(1, 1 << 20), BmpInfo, "1 x 1048576"},
      {"wide.bmp", RleBmp(65501, 1), BmpInfo, "65501 x 1"},
      {"wide.png", PngHeader(70000, 3), PngInfo, "70000 x 3"},
      {"tall.tga", TgaHeader(2, 65535), TgaInfo, "2 x 65535"},
      {"wide.pcx", PcxHeader(65535, 2), PcxInfo, "65535 x 2"},
      {"wide.jpg", JpegClaiming(65535, 8), JpgInfo, "65535 x 8"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(InfoOf(c.a, c.pfnInfo), kVicErrTooLarge) << c.szName;
    const std::string csPath = dir.Path(c.szName);
    Save(csPath, c.a);
    CPictureHeader header;
    std::string csError;
    EXPECT_EQ(ReadImageHeader(csPath.c_str(), header, csError), kVicErrTooLarge) << c.szName;
    EXPECT_THAT(csError, HasSubstr(std::string(c.szSize) + " pixels.\nThe limit is 100000000 "
                                                           "pixels in all and 65500 pixels per side"));
  }
  EXPECT_TRUE(TakeMessages().empty());  // the probe shows nothing
  EXPECT_EQ(InfoOf(PngHeader(30000, 30000), PngInfo), kVicErrTruncated);
  EXPECT_EQ(InfoOf(JpegClaiming(60000, 60000), JpgInfo), kVicErrTruncated);
}

// The largest side that is read is written by every writer, and read back.
TEST(PictureLimits, WhatIsReadCanBeWrittenInEveryFormat) {
  CTempDir dir;
  for (const auto& [w, h] : {std::pair{kMaxPictureSide, 2}, std::pair{2, kMaxPictureSide}}) {
    CDADC surface(w, h);
    ASSERT_TRUE(surface.IsValid());
    surface.m_pDC->SetPixelV(1, 1, RGB(200, 30, 60));
    for (const char* szExt : {"bmp", "tga", "jpg", "pcx", "png"}) {
      const std::string csPath = dir.Path(std::string("side.") + szExt);
      ASSERT_EQ(surface.WriteImageFile(csPath.c_str()), 1) << szExt << " " << w;
      CPictureHeader header;
      std::string csError;
      ASSERT_EQ(ReadImageHeader(csPath.c_str(), header, csError), kVicOk) << csError;
      EXPECT_EQ(header.m_iWidth, w);
      EXPECT_EQ(header.m_iHeight, h);
      EXPECT_NE(OpenImageSurface(csPath.c_str(), kImageFromName), nullptr) << szExt;
    }
  }
  EXPECT_TRUE(TakeMessages().empty());
  CImageInfo info;
  EXPECT_EQ(TgaInfo(TgaHeader(kMaxPictureSide + 1, 1), info), kVicErrTooLarge);
}

// The pixel bound can be set within 1 .. kMaxPicturePixels; it bounds
// reading only, never the pictures the program makes and writes.
TEST(PictureLimits, ThePixelBoundIsASetting) {
  EXPECT_EQ(MaxPicturePixels(), kDefaultMaxPicturePixels);
  EXPECT_FALSE(SetMaxPicturePixels(0));
  EXPECT_FALSE(SetMaxPicturePixels(kMaxPicturePixels + 1));
  EXPECT_EQ(MaxPicturePixels(), kDefaultMaxPicturePixels);
  CTempDir dir;
  CDADC surface(4, 4);
  const std::string csPath = dir.Path("four.tga");
  ASSERT_TRUE(SetMaxPicturePixels(15));
  EXPECT_EQ(MaxPicturePixels(), 15);
  EXPECT_EQ(VicWriteFile(csPath.c_str(), surface, kImageFromName), 1);
  EXPECT_EQ(OpenImageSurface(csPath.c_str(), kImageFromName), nullptr);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("Could not open imagefile:\n<" + csPath +
                          ">\nThe picture is too large: 4 x 4 pixels.\nThe limit is 15 pixels in all "
                          "and 65500 pixels per side.\n<" + csPath + ">"));
  ASSERT_TRUE(SetMaxPicturePixels(16));
  EXPECT_NE(OpenImageSurface(csPath.c_str(), kImageFromName), nullptr);
  // The clipboard's packed DIBs keep the same bound.
  CFile dib(40 + 64, 0);
  Put32(dib, 0, 40);
  Put32(dib, 4, 5);
  Put32(dib, 8, 4);
  Put16(dib, 12, 1);
  Put16(dib, 14, 24);
  CDibLayout layout;
  EDibProblem eProblem = EDibProblem::None;
  EXPECT_FALSE(ParseDib(dib.data(), dib.size(), layout, nullptr, &eProblem));
  EXPECT_EQ(eProblem, EDibProblem::TooLarge);
  ASSERT_TRUE(SetMaxPicturePixels(kDefaultMaxPicturePixels));
  EXPECT_TRUE(ParseDib(dib.data(), dib.size(), layout));
  Put32(dib, 4, 70000);
  EXPECT_FALSE(ParseDib(dib.data(), dib.size(), layout, nullptr, &eProblem));
  EXPECT_EQ(eProblem, EDibProblem::TooLarge);
}

// A pipe given as a picture is refused at once instead of waiting for a
// writer; the header probe answers a sound file from its header.
TEST(PictureLimits, OnlyRegularFilesAreRead) {
  CTempDir dir;
  const std::string csFifo = dir.Path("pipe.png");
  ASSERT_EQ(mkfifo(csFifo.c_str(), 0600), 0);
  EXPECT_EQ(OpenImageSurface(csFifo.c_str(), kImageFromName), nullptr);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("Could not open imagefile:\n<" + csFifo +
                          ">\nNot a file that can be read as a picture (a pipe, device or "
                          "folder):\n<" + csFifo + ">"));
  CPictureHeader header;
  std::string csError;
  EXPECT_EQ(ReadImageHeader(csFifo.c_str(), header, csError), kVicErrNotRegular);
  EXPECT_THAT(csError, HasSubstr("a pipe, device or folder"));
  std::FILE* pFile = nullptr;
  EXPECT_EQ(OpenRegularFile(csFifo.c_str(), pFile), kNotRegularFile);
  EXPECT_EQ(pFile, nullptr);

  CDADC surface(7, 5);
  const std::string csPng = dir.Path("small.PNG");
  ASSERT_EQ(VicWriteFile(csPng.c_str(), surface, kImageFromName), 1);
  ASSERT_EQ(ReadImageHeader(csPng.c_str(), header, csError), kVicOk);
  EXPECT_STREQ(header.m_szFormat, "PNG");
  EXPECT_EQ(header.m_iType, kImagePng);
  EXPECT_EQ(header.m_iWidth, 7);
  EXPECT_EQ(header.m_iHeight, 5);
  EXPECT_EQ(header.m_iBitsPerPixel, 24);
  EXPECT_EQ(ReadImageHeader(dir.Path("small.gif").c_str(), header, csError), kVicErrSignature);
  EXPECT_TRUE(TakeMessages().empty());
}
