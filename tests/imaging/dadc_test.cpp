#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "imaging/dadc.h"
#include "imaging/packed_dib.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"

using ::testing::ElementsAre;

namespace {

std::vector<std::uint8_t> ReadAll(const std::string& csPath) {
  std::ifstream in(csPath, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(CDADC& s, int x, int y, COLORREF c) { s.m_pDC->SetPixelV(x, y, c); }

}  // namespace

TEST(Dadc, LayoutOfANewSurface) {
  CDADC one(1, 3);
  EXPECT_EQ(one.m_iBytesPerRow, 4);
  CDADC five(5, 2);
  ASSERT_TRUE(five.IsValid());
  EXPECT_EQ(five.m_iBytesPerRow, 16);
  EXPECT_EQ(five.m_iImageSize, 32u);
  EXPECT_EQ(static_cast<WORD>(five.m_bfh.bfType), 0x4D42);
  EXPECT_EQ(static_cast<DWORD>(five.m_bfh.bfSize), 32u + 54u);  // packed field: copy, never bind
  EXPECT_EQ(static_cast<DWORD>(five.m_bfh.bfOffBits), 54u);
  EXPECT_EQ(five.m_bmi.bmiHeader.biBitCount, 24);
  EXPECT_EQ(five.m_pDC->GetBkColor(), 0u);  // the black fill leaves it black
  EXPECT_EQ(five.m_pDC->GetStretchBltMode(), COLORONCOLOR);
  for (std::uint32_t i = 0; i < five.m_iImageSize; ++i) ASSERT_EQ(five.m_pBits[i], 0);
  // Bottom-up, blue-green-red: the top-left pixel lives in the last memory row.
  Put(five, 0, 0, RGB(1, 2, 3));
  EXPECT_EQ(five.m_pBits[16], 3);
  EXPECT_EQ(five.m_pBits[17], 2);
  EXPECT_EQ(five.m_pBits[18], 1);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Dadc, InitDataRefusals) {
  BITMAPINFO bmi;
  InitBitmapInfo24(bmi);
  CDADC s;
  bmi.bmiHeader.biWidth = 0;
  bmi.bmiHeader.biHeight = 4;
  EXPECT_EQ(s.InitData(bmi), 0);
  bmi.bmiHeader.biWidth = 4;
  bmi.bmiHeader.biHeight = -2;
  EXPECT_EQ(s.InitData(bmi), 0);
  EXPECT_FALSE(s.IsValid());
  bmi.bmiHeader.biHeight = 2;
  EXPECT_EQ(s.InitData(bmi), 1);
  EXPECT_EQ(s.InitData(bmi), 0);
  s.Free();
  EXPECT_EQ(s.InitData(bmi), 0);  // dead after Free: no DC
  EXPECT_THAT(TakeMessages(),
              ElementsAre("CDADC::InitData called width=0", "CDADC::InitData called height=-2",
                          "CDADC::InitData called with non NULL hDib",
                          "CDADC::InitData called with NULL DC"));
  CDADC bad(-3, 5);
  EXPECT_FALSE(bad.IsValid());
  EXPECT_THAT(TakeMessages(), ElementsAre("CDADC::InitData called width=-3",
                                          "CDADC::CDADC(-3,5) constructor\ncannot InitData()"));
}

TEST(Dadc, TooLargeForMemoryIsReportedNotFatal) {
  CDADC huge(60000, 60000);  // 10.8 GB: more than a 32-bit pixel block holds
  EXPECT_FALSE(huge.IsValid());
  const auto aMessages = TakeMessages();
  ASSERT_EQ(aMessages.size(), 2u);
  EXPECT_EQ(aMessages[0].rfind("CDADC::InitData()|You are probably out of Windows System Memory", 0), 0u);
  EXPECT_NE(aMessages[0].find("60000 pixels by 60000)"), std::string::npos);
}

TEST(Dadc, WritesBmpFiles) {
  CTempDir dir;
  CDADC s(3, 2);
  Put(s, 0, 0, RGB(10, 20, 30));   // top-left
  Put(s, 2, 1, RGB(40, 50, 60));   // bottom-right
  const std::string csPath = dir.Path("a.bmp");
  ASSERT_EQ(s.WriteBmpFile(csPath.c_str()), 1);
  const auto aFile = ReadAll(csPath);
  ASSERT_EQ(aFile.size(), 78u);
  EXPECT_EQ(aFile[0], 'B');
  EXPECT_EQ(aFile[1], 'M');
  EXPECT_EQ(aFile[2] | aFile[3] << 8, 78);
  EXPECT_EQ(aFile[10], 54);
  EXPECT_EQ(aFile[14], 40);
  EXPECT_EQ(aFile[18], 3);   // width
  EXPECT_EQ(aFile[22], 2);   // height, positive: bottom-up
  EXPECT_EQ(aFile[28], 24);
  // First stored row is the bottom row: its last pixel is (40, 50, 60) as B, G, R.
  EXPECT_EQ(aFile[54 + 6], 60);
  EXPECT_EQ(aFile[54 + 8], 40);
  EXPECT_EQ(aFile[54 + 12], 30);
  EXPECT_EQ(aFile[54 + 14], 10);
  EXPECT_TRUE(TakeMessages().empty());

  EXPECT_EQ(s.WriteBmpFile("/nonexistent-dir/x.bmp"), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("Could not open /nonexistent-dir/x.bmp to\nwrite "
                                          "bitmap:\nNo such file or directory"));
  CDADC empty;
  EXPECT_EQ(empty.WriteBmpFile("x.bmp"), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("CDADC::WriteBmpFile called with\nNULL pointers for x.bmp"));
}

TEST(Dadc, FullDiskIsAFailureNotASuccess) {
  CDADC big(200, 200);  // 120000 bytes: several pieces
  EXPECT_EQ(big.WriteBmpFile("/dev/full"), 0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("CDADC::WriteBitmap(): ERROR WL \nIf your disk is full please exit "
                          "Vexmora\nfree some disk space, and restart Vexmora.",
                          "ERROR While writing file:\n/dev/full\nNo space left on device"));
  CDADC small(2, 2);  // fits in the stdio buffer: the loss shows only at close
  EXPECT_EQ(small.WriteBmpFile("/dev/full"), 0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("ERROR While writing file:\n/dev/full\nNo space left on device"));
}

TEST(Dadc, WritesInPiecesOf32768) {
  std::vector<std::uint8_t> aBlock(100000);
  std::vector<std::size_t> aPieces;
  auto record = [&aPieces](const std::uint8_t*, std::size_t n) {
    aPieces.push_back(n);
    return true;
  };
  EXPECT_EQ(WriteInPieces(aBlock.data(), aBlock.size(), record), 1);
  EXPECT_THAT(aPieces, ElementsAre(32768, 32768, 32768, 1696));
  aPieces.clear();
  EXPECT_EQ(WriteInPieces(aBlock.data(), 32768, record), 1);
  EXPECT_THAT(aPieces, ElementsAre(32768));
  int iCalls = 0;
  EXPECT_EQ(WriteInPieces(aBlock.data(), 40000,
                          [&iCalls](const std::uint8_t*, std::size_t) { return ++iCalls < 2; }),
            0);
  EXPECT_THAT(TakeMessages(), ElementsAre("WriteBitmap: ERROR at end\n"));
}

TEST(Dadc, PreviewDivisorAndCopies) {
  for (auto [iWidth, iDivisor] : {std::pair{1, 1}, {64, 1}, {65, 2}, {128, 2}, {129, 2}, {130, 3}, {194, 3}, {195, 4}, {200, 4}}) {
    CDADC s(iWidth, 1);
    EXPECT_EQ(s.PreviewDivisor(), iDivisor) << iWidth;
  }
  CDADC src(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) Put(src, x, y, RGB(x * 10, y * 10, 0));
  // A copy has the same bytes in memory of its own.
  auto pSame = CDADC::Copy(src);
  ASSERT_TRUE(pSame);
  ASSERT_EQ(pSame->m_iImageSize, src.m_iImageSize);
  EXPECT_EQ(std::memcmp(pSame->m_pBits, src.m_pBits, src.m_iImageSize), 0);
  Put(*pSame, 0, 0, RGB(1, 2, 3));
  EXPECT_EQ(src.m_pDC->GetPixel(0, 0), RGB(0, 0, 0));
  auto pTiny = CDADC::ScaledCopy(0.0, src);
  ASSERT_TRUE(pTiny);
  EXPECT_EQ(pTiny->m_iWidth, 1);
  EXPECT_EQ(pTiny->m_iHeight, 1);
  auto pHalf = CDADC::ScaledCopy(-0.5, src);  // a negative factor acts as its absolute value
  ASSERT_TRUE(pHalf);
  EXPECT_EQ(pHalf->m_iWidth, 2);
  EXPECT_EQ(pHalf->m_iHeight, 2);
  // Dropping rows and columns: each target pixel is one of the source's, none blended.
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      const COLORREF c = pHalf->m_pDC->GetPixel(x, y);
      EXPECT_EQ(GetRValue(c) % 10, 0);
      EXPECT_EQ(GetRValue(c) / 10 / 2, x);
      EXPECT_EQ(GetGValue(c) / 10 / 2, y);
    }
  auto pDouble = CDADC::ScaledCopy(2.0, src);
  ASSERT_TRUE(pDouble);
  EXPECT_EQ(pDouble->m_pDC->GetPixel(7, 7), RGB(30, 30, 0));
  EXPECT_EQ(pDouble->m_pDC->GetPixel(2, 5), RGB(10, 20, 0));
}
