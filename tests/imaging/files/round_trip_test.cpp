// Pictures written by the program read back with the pixels they had: the
// lossless formats exactly, JPEG nearly, PCX with colours from its palette.
#include <gtest/gtest.h>

#include <set>

#include "imaging/codecs/tga_codec.h"
#include "imaging/image_files.h"
#include "picture_test_support.h"
#include "support/recording_reporter.h"

using namespace picture_test;

namespace {

struct CRoundTrip {
  const char* m_szExtension;
  int m_iTolerance;
  friend void PrintTo(const CRoundTrip& rt, std::ostream* pOut) { *pOut << rt.m_szExtension; }
};

class CRoundTripTest : public CScratchTest,
                       public ::testing::WithParamInterface<CRoundTrip> {};

TEST_P(CRoundTripTest, OddSizesComeBack) {
  const CRoundTrip& rt = GetParam();
  for (const int w : {1, 3, 5, 8}) {
    for (const int h : {1, 2, 5}) {
      auto pSurface = rt.m_iTolerance ? SmoothSurface(w, h) : PatternSurface(w, h);
      const std::string csPath = Path("pic" + std::to_string(w) + "x" + std::to_string(h) + "." +
                                      rt.m_szExtension);
      ASSERT_EQ(VicWriteFile(csPath.c_str(), *pSurface, kImageFromName), 1) << csPath;
      CGlobalBlock hDib = OpenImageFile(csPath.c_str(), kImageFromName);
      ASSERT_TRUE(hDib) << csPath;
      EXPECT_TRUE(TakeMessages().empty());
      EXPECT_LE(MaxDifference(DibRgb(hDib), SurfaceRgb(*pSurface)), rt.m_iTolerance) << csPath;
    }
  }
}

// JPEG gets a smooth picture, as a busy one loses its colours to the
// subsampled chroma; the bound still catches swapped channels and flipped rows.
INSTANTIATE_TEST_SUITE_P(Formats, CRoundTripTest,
                         ::testing::Values(CRoundTrip{"bmp", 0}, CRoundTrip{"BMP", 0},
                                           CRoundTrip{"tga", 0}, CRoundTrip{"png", 0},
                                           CRoundTrip{"pcx", 0}, CRoundTrip{"jpg", 12}),
                         [](const ::testing::TestParamInfo<CRoundTrip>& info) {
                           return std::string(info.param.m_szExtension) +
                                  (info.param.m_szExtension[0] == 'B' ? "_upper" : "");
                         });

class CPictureFiles : public CScratchTest {};

TEST_F(CPictureFiles, JpegOfAFlatPictureIsNearlyExact) {
  auto pSurface = std::make_unique<CDADC>(9, 7);
  pSurface->m_pDC->FillSolidRect(0, 0, 9, 7, RGB(200, 60, 30));
  const std::string csPath = Path("flat.jpg");
  ASSERT_EQ(VicWriteFile(csPath.c_str(), *pSurface, kImageJpg), 1);
  CGlobalBlock hDib = OpenImageFile(csPath.c_str(), kImageJpg);
  ASSERT_TRUE(hDib);
  EXPECT_LE(MaxDifference(DibRgb(hDib), SurfaceRgb(*pSurface)), 3);
}

TEST_F(CPictureFiles, JpegIsWrittenAtQuality75) {
  // The luminance quantisation table of quality 75 starts with 8 (50% of 16).
  auto pSurface = PatternSurface(16, 16);
  const std::string csPath = Path("q.jpg");
  ASSERT_EQ(VicWriteFile(csPath.c_str(), *pSurface, kImageJpg), 1);
  const auto a = ReadBytes(csPath);
  bool bFound = false;
  for (std::size_t i = 0; i + 5 < a.size(); ++i)
    if (a[i] == 0xFF && a[i + 1] == 0xDB) {  // DQT: length, table id 0, first entry
      EXPECT_EQ(a[i + 4], 0);
      EXPECT_EQ(a[i + 5], 8);
      bFound = true;
      break;
    }
  EXPECT_TRUE(bFound);
}

TEST_F(CPictureFiles, PcxOfManyColoursIsAPaletteFileWithNearColours) {
  // 40 x 40 pattern pixels: far more than 256 colours, so they are quantised.
  auto pSurface = PatternSurface(40, 40);
  const std::string csPath = Path("many.pcx");
  ASSERT_EQ(VicWriteFile(csPath.c_str(), *pSurface, kImageFromName), 1);
  const auto a = ReadBytes(csPath);
  ASSERT_GT(a.size(), 128u + 769u);
  EXPECT_EQ(a[3], 8);     // bits per pixel
  EXPECT_EQ(a[65], 1);    // planes
  EXPECT_EQ(a[a.size() - 769], 0x0C);
  std::set<std::uint32_t> palette;
  for (std::size_t i = a.size() - 768; i < a.size(); i += 3)
    palette.insert(a[i] << 16 | a[i + 1] << 8 | a[i + 2]);
  CGlobalBlock hDib = OpenImageFile(csPath.c_str(), kImagePcx);
  ASSERT_TRUE(hDib);
  const CRgb back = DibRgb(hDib), original = SurfaceRgb(*pSurface);
  long long iTotalError = 0;
  for (std::size_t i = 0; i < back.m_aPixels.size(); i += 3) {
    EXPECT_TRUE(palette.count(back.m_aPixels[i] << 16 | back.m_aPixels[i + 1] << 8 |
                              back.m_aPixels[i + 2]));
    for (int c = 0; c < 3; ++c) iTotalError += std::abs(back.m_aPixels[i + c] - original.m_aPixels[i + c]);
  }
  // A good quantiser keeps the average error per channel small.
  EXPECT_LT(iTotalError / static_cast<long long>(back.m_aPixels.size()), 12);
}

TEST_F(CPictureFiles, TgaCodecWritesBothRowOrdersAndRunLengths) {
  for (const bool bRle : {false, true})
    for (const bool bTop : {false, true})
      for (const int w : {1, 3, 5}) {
        CImageDesc desc;
        ASSERT_EQ(AllocImage(desc, w, 4, 24), kVicOk);
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < w; ++x) {
            std::uint8_t c[3];
            PatternColour(x / 2, y, c);  // pairs of equal pixels make runs
            std::uint8_t* p = desc.Row(y) + 3 * x;
            p[0] = c[2], p[1] = c[1], p[2] = c[0];
          }
        std::vector<std::uint8_t> aFile;
        ASSERT_EQ(EncodeTga(desc, CTgaOptions{bRle, bTop, {}}, aFile), kVicOk);
        EXPECT_EQ(aFile[2], bRle ? 10 : 2);
        EXPECT_EQ(aFile[17], bTop ? 0x20 : 0);
        CImageInfo info;
        ASSERT_EQ(TgaInfo(aFile, info), kVicOk);
        CImageDesc back;
        ASSERT_EQ(AllocImage(back, info.m_iWidth, info.m_iHeight, info.m_iBitsPerPixel), kVicOk);
        ASSERT_EQ(LoadTga(aFile, back), kVicOk);
        EXPECT_EQ(MaxDifference(DescRgb(back), DescRgb(desc)), 0) << bRle << bTop << w;
      }
}

}  // namespace
