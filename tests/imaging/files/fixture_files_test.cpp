// Pictures written by an independent library load as the 24-bit picture
// that library itself reads from them.
#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/image_files.h"
#include "picture_test_support.h"
#include "support/recording_reporter.h"

using namespace picture_test;

namespace {

class CFixtureFile : public ::testing::TestWithParam<const char*> {};

TEST_P(CFixtureFile, LoadsAsTheExpected24BitPicture) {
  const std::string csPath = DataPath(GetParam());
  const std::vector<std::uint8_t> aExpected = ReadBytes(csPath + ".rgb");
  ASSERT_EQ(aExpected.size(), 5u * 3u * 3u);
  CGlobalBlock hDib = OpenImageFile(csPath.c_str(), kImageFromName);
  ASSERT_TRUE(hDib);
  EXPECT_TRUE(TakeMessages().empty());
  const CRgb rgb = DibRgb(hDib);
  EXPECT_EQ(rgb.m_iWidth, 5);
  EXPECT_EQ(rgb.m_iHeight, 3);
  const bool bJpeg = csPath.ends_with(".jpg");
  const CRgb expected{5, 3, aExpected};
  // JPEG decoders may round the inverse transform differently.
  EXPECT_LE(MaxDifference(rgb, expected), bJpeg ? 2 : 0) << GetParam();

  // Decoded straight into a surface: the bytes a copy of the DIB has,
  // row padding included.
  std::unique_ptr<CDADC> pDirect = OpenImageSurface(csPath.c_str(), kImageFromName);
  std::unique_ptr<CDADC> pCopied = CDADC::CBC(hDib);
  ASSERT_TRUE(pDirect && pCopied);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_TRUE(std::equal(pDirect->m_pBits, pDirect->m_pBits + pDirect->m_iImageSize,
                         pCopied->m_pBits, pCopied->m_pBits + pCopied->m_iImageSize));
}

INSTANTIATE_TEST_SUITE_P(
    Pillow, CFixtureFile,
    ::testing::Values("bmp_1.bmp", "bmp_8.bmp", "bmp_8_grey.bmp", "bmp_24.bmp", "bmp_32.bmp",
                      "tga_24_raw_bl.tga", "tga_24_raw_tl.tga", "tga_24_rle_bl.tga",
                      "tga_24_rle_tl.tga", "tga_32_raw.tga", "tga_32_rle.tga", "tga_grey_raw.tga",
                      "tga_grey_rle.tga", "tga_map_raw.tga", "tga_map_rle.tga", "pcx_1.pcx",
                      "pcx_8.pcx", "pcx_8_grey.pcx", "pcx_24.pcx", "png_1.png", "png_pal.png",
                      "png_pal4.png", "png_grey.png", "png_rgb.png", "png_rgba.png",
                      "png_interlaced.png", "jpg_grey.jpg", "jpg_rgb.jpg", "jpg_progressive.jpg",
                      "jpg_cmyk.jpg"),
    [](const ::testing::TestParamInfo<const char*>& info) {
      std::string cs = info.param;
      for (char& c : cs)
        if (c == '.') c = '_';
      return cs;
    });

}  // namespace
