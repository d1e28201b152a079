// Variants of the formats that the independent fixture writer cannot make,
// built byte by byte.
#include <gtest/gtest.h>

#include <initializer_list>

#include "imaging/codecs/bmp_codec.h"
#include "imaging/codecs/pcx_codec.h"
#include "imaging/codecs/tga_codec.h"
#include "picture_test_support.h"

using namespace picture_test;

namespace {

// Little-endian byte building.
struct CBuilder {
  std::vector<std::uint8_t> a;
  CBuilder& B(std::initializer_list<int> l) {
    for (int v : l) a.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  CBuilder& W(int v) { return B({v & 0xFF, (v >> 8) & 0xFF}); }
  CBuilder& D(long long v) { return W(static_cast<int>(v & 0xFFFF)).W(static_cast<int>((v >> 16) & 0xFFFF)); }
  CBuilder& Zeros(std::size_t n) {
    a.insert(a.end(), n, 0);
    return *this;
  }
};

// A BMP file header followed by a 40-byte info header.
CBuilder BmpHeader(int w, int h, int iBits, int iCompression, int iColours, int iOffBits) {
  CBuilder b;
  b.B({'B', 'M'}).D(0).D(0).D(iOffBits);
  b.D(40).D(w).D(h).W(1).W(iBits).D(iCompression).D(0).D(0).D(0).D(iColours).D(0);
  return b;
}

// Decodes with the codec's own info and load calls and gives the 24-bit picture.
CRgb Decode(const std::vector<std::uint8_t>& aFile, PFN_IMAGE_INFO pfnInfo,
            PFN_IMAGE_LOAD pfnLoad, int iExpectedBits) {
  CImageInfo info;
  EXPECT_EQ(pfnInfo(aFile, info), kVicOk);
  EXPECT_EQ(info.m_iBitsPerPixel, iExpectedBits);
  CImageDesc out;
  EXPECT_EQ(DecodePicture(aFile, pfnInfo, pfnLoad, out, kMaxPicturePixels), kVicOk);
  if (!out.IsAllocated()) return {};
  return DescRgb(out);
}

CRgb Expect(int w, int h, std::initializer_list<COLORREF> colours) {
  CRgb rgb{w, h, {}};
  for (COLORREF c : colours)
    rgb.m_aPixels.insert(rgb.m_aPixels.end(),
                         {static_cast<std::uint8_t>(GetRValue(c)), static_cast<std::uint8_t>(GetGValue(c)),
                          static_cast<std::uint8_t>(GetBValue(c))});
  return rgb;
}

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kWhite = RGB(255, 255, 255), kBlack = 0, kGrey = RGB(128, 128, 128);

TEST(HandMadeBmp, CoreHeaderWithThreeByteColourTable) {
  CBuilder b;
  b.B({'B', 'M'}).D(0).D(0).D(14 + 12 + 6);
  b.D(12).W(3).W(2).W(1).W(1);  // 3 x 2, 1 bit
  b.B({0, 0, 255, 255, 0, 0});  // red, blue (BGR triples)
  b.B({0b10100000, 0, 0, 0});    // bottom row: blue red blue
  b.B({0b01000000, 0, 0, 0});    // top row: red blue red
  EXPECT_EQ(MaxDifference(Decode(b.a, BmpInfo, LoadBmp, 1),
                          Expect(3, 2, {kRed, kBlue, kRed, kBlue, kRed, kBlue})),
            0);
}

TEST(HandMadeBmp, SixteenBitBitfields565AndDefault555) {
  CBuilder b = BmpHeader(2, 1, 16, 3, 0, 14 + 40 + 12);
  b.D(0xF800).D(0x07E0).D(0x001F);
  b.W(0xF800).W(0x07E0);  // red, green
  EXPECT_EQ(MaxDifference(Decode(b.a, BmpInfo, LoadBmp, 16), Expect(2, 1, {kRed, kGreen})), 0);

  CBuilder c = BmpHeader(2, 1, 16, 0, 0, 14 + 40);
  c.W(0x001F).W(0x7FFF);  // blue, white in 5-5-5
  EXPECT_EQ(MaxDifference(Decode(c.a, BmpInfo, LoadBmp, 16), Expect(2, 1, {kBlue, kWhite})), 0);
}

TEST(HandMadeBmp, TopDownRowsAndFourBitPixels) {
  CBuilder b = BmpHeader(1, -2, 24, 0, 0, 14 + 40);
  b.B({0, 0, 255, 0}).B({255, 0, 0, 0});  // first stored row is the top
  EXPECT_EQ(MaxDifference(Decode(b.a, BmpInfo, LoadBmp, 24), Expect(1, 2, {kRed, kBlue})), 0);

  CBuilder c = BmpHeader(3, 1, 4, 0, 3, 14 + 40 + 12);
  c.B({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});  // red, green, blue
  c.B({0x12, 0x00, 0, 0});                          // green, blue, red
  EXPECT_EQ(MaxDifference(Decode(c.a, BmpInfo, LoadBmp, 4), Expect(3, 1, {kGreen, kBlue, kRed})),
            0);
}

TEST(HandMadeBmp, PixelsAfterAGapAreFoundThroughTheFileHeader) {
  CBuilder b = BmpHeader(1, 1, 24, 0, 0, 14 + 40 + 6);
  b.Zeros(6).B({255, 0, 0, 0});
  EXPECT_EQ(MaxDifference(Decode(b.a, BmpInfo, LoadBmp, 24), Expect(1, 1, {kBlue})), 0);
}

TEST(HandMadeBmp, Rle8RunsAbsoluteRunsDeltaAndEnds) {
  CBuilder b = BmpHeader(4, 3, 8, 1, 3, 14 + 40 + 12);
  b.B({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});  // 0 red, 1 green, 2 blue
  b.B({2, 1, 0, 3, 2, 0, 1, 0});     // bottom: green green, absolute (blue red green) + pad
  b.B({0, 0});                       // end of line (one pixel short: index 0 = red)
  b.B({0, 2, 1, 1});                 // delta right 1, up 1: skips row 1 to the top row, x 1
  b.B({3, 2, 0, 1});                 // blue x3, end of bitmap
  EXPECT_EQ(MaxDifference(Decode(b.a, BmpInfo, LoadBmp, 8),
                          Expect(4, 3,
                                 {kRed, kBlue, kBlue, kBlue,    // top
                                  kRed, kRed, kRed, kRed,       // middle: skipped
                                  kGreen, kGreen, kBlue, kRed})),
            0);
}

TEST(HandMadeBmp, Rle4AlternatesNibbles) {
  CBuilder b = BmpHeader(6, 1, 4, 2, 2, 14 + 40 + 8);
  b.B({0, 0, 255, 0, 255, 0, 0, 0});  // 0 red, 1 blue
  b.B({3, 0x10});                     // blue red blue
  b.B({0, 3, 0x01, 0x10});            // absolute: red blue blue
  b.B({0, 1});
  EXPECT_EQ(MaxDifference(Decode(b.a, BmpInfo, LoadBmp, 4),
                          Expect(6, 1, {kBlue, kRed, kBlue, kRed, kBlue, kBlue})),
            0);
}

TEST(HandMadeBmp, TruncatedRleIsAnError) {
  CBuilder b = BmpHeader(4, 2, 8, 1, 1, 14 + 40 + 4);
  b.B({0, 0, 255, 0}).B({4, 0, 0, 0});  // one row, then the data ends
  CImageDesc out;
  EXPECT_EQ(DecodePicture(b.a, BmpInfo, LoadBmp, out, kMaxPicturePixels), kVicErrTruncated);
}

// An 18-byte Targa header.
CBuilder TgaHeader(int iMapType, int iType, int iMapFirst, int iMapLength, int iMapBits, int w,
                   int h, int iBits, int iDescriptor) {
  CBuilder b;
  b.B({0, iMapType, iType}).W(iMapFirst).W(iMapLength).B({iMapBits}).W(0).W(0).W(w).W(h);
  b.B({iBits, iDescriptor});
  return b;
}

TEST(HandMadeTga, FifteenAndSixteenBitColour) {
  CBuilder b = TgaHeader(0, 2, 0, 0, 0, 2, 1, 15, 0);
  b.W(0x7C00).W(0x03E0);
  EXPECT_EQ(MaxDifference(Decode(b.a, TgaInfo, LoadTga, 16), Expect(2, 1, {kRed, kGreen})), 0);

  CBuilder c = TgaHeader(0, 10, 0, 0, 0, 3, 1, 16, 0x20);
  c.B({0x82}).W(0x801F);  // run of three blue pixels, attribute bit set
  EXPECT_EQ(MaxDifference(Decode(c.a, TgaInfo, LoadTga, 16), Expect(3, 1, {kBlue, kBlue, kBlue})),
            0);
}

TEST(HandMadeTga, ColourMapsWithFirstIndexAndSixteenBitIndices) {
  // Entries for indices 5 and 6 as 16-bit colours.
  CBuilder b = TgaHeader(1, 1, 5, 2, 16, 3, 1, 8, 0);
  b.W(0x7C00).W(0x001F).B({6, 5, 0});  // index 0 is outside the map: black
  EXPECT_EQ(MaxDifference(Decode(b.a, TgaInfo, LoadTga, 8), Expect(3, 1, {kBlue, kRed, kBlack})),
            0);

  CBuilder c = TgaHeader(1, 9, 0, 2, 32, 2, 1, 16, 0);
  c.B({0, 0, 255, 255, 255, 0, 0, 255});  // 32-bit entries: red, blue
  c.B({0x81}).W(1);                         // run of two index-1 pixels
  EXPECT_EQ(MaxDifference(Decode(c.a, TgaInfo, LoadTga, 24), Expect(2, 1, {kBlue, kBlue})), 0);
}

TEST(HandMadeTga, RightToLeftAndGreyWithAlpha) {
  CBuilder b = TgaHeader(0, 2, 0, 0, 0, 2, 1, 24, 0x10);
  b.B({0, 0, 255, 255, 0, 0});  // stored red, blue: shown blue, red
  EXPECT_EQ(MaxDifference(Decode(b.a, TgaInfo, LoadTga, 24), Expect(2, 1, {kBlue, kRed})), 0);

  CBuilder c = TgaHeader(0, 3, 0, 0, 0, 2, 1, 16, 0);
  c.B({128, 7, 255, 0});
  EXPECT_EQ(MaxDifference(Decode(c.a, TgaInfo, LoadTga, 8), Expect(2, 1, {kGrey, kWhite})), 0);
}

// A 128-byte PCX header; the EGA palette holds red, green, blue, white.
CBuilder PcxHeader(int iEncoding, int iBits, int w, int h, int iPlanes, int iBytesPerLine) {
  CBuilder b;
  b.B({0x0A, 5, iEncoding, iBits}).W(0).W(0).W(w - 1).W(h - 1).W(72).W(72);
  b.B({255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}).Zeros(36);
  b.B({0, iPlanes}).W(iBytesPerLine).W(1).Zeros(58);
  return b;
}

TEST(HandMadePcx, OneBitIsBlackAndWhite) {
  CBuilder b = PcxHeader(1, 1, 3, 2, 1, 2);
  b.B({0b10100000, 0, 0b01000000, 0});
  EXPECT_EQ(MaxDifference(Decode(b.a, PcxInfo, LoadPcx, 1),
                          Expect(3, 2, {kWhite, kBlack, kWhite, kBlack, kWhite, kBlack})),
            0);
}

TEST(HandMadePcx, SixteenColoursInFourPlanesOrOnePlane) {
  // Indices 1 (green), 2 (blue), 3 (white): plane 0 holds bit 0 of each.
  CBuilder b = PcxHeader(1, 1, 3, 1, 4, 2);
  b.B({0b10100000, 0, 0b01100000, 0, 0, 0, 0, 0});
  EXPECT_EQ(MaxDifference(Decode(b.a, PcxInfo, LoadPcx, 4), Expect(3, 1, {kGreen, kBlue, kWhite})),
            0);

  CBuilder c = PcxHeader(1, 4, 3, 1, 1, 2);
  c.B({0x30, 0x10});  // white, red, green
  EXPECT_EQ(MaxDifference(Decode(c.a, PcxInfo, LoadPcx, 4), Expect(3, 1, {kWhite, kRed, kGreen})),
            0);
}

TEST(HandMadePcx, RunsMayCrossLinesAndPlainDataIsRead) {
  // 8 bits without a palette at the end: grey levels. One run covers both lines.
  CBuilder b = PcxHeader(1, 8, 2, 2, 1, 2);
  b.B({0xC4, 128});
  EXPECT_EQ(MaxDifference(Decode(b.a, PcxInfo, LoadPcx, 8), Expect(2, 2, {kGrey, kGrey, kGrey, kGrey})),
            0);

  CBuilder c = PcxHeader(0, 8, 1, 1, 3, 2);
  c.B({0xC4, 0, 0, 0, 255, 0});  // plain: red plane 0xC4 (not a run), green, blue
  EXPECT_EQ(MaxDifference(Decode(c.a, PcxInfo, LoadPcx, 24), Expect(1, 1, {RGB(0xC4, 0, 255)})), 0);
}

}  // namespace

namespace {

int InfoOf(const std::vector<std::uint8_t>& a, PFN_IMAGE_INFO pfnInfo) {
  CImageInfo info;
  return pfnInfo(a, info);
}

TEST(LyingHeaders, AreRefusedWithTheirReason) {
  // A colour table said to hold 70000 entries.
  CBuilder bmp = BmpHeader(1, 1, 8, 0, 70000, 14 + 40 + 4);
  bmp.B({0, 0, 0, 0}).B({0, 0, 0, 0});
  EXPECT_EQ(InfoOf(bmp.a, BmpInfo), kVicErrTruncated);
  // A pixel offset of 0 is a writer's slip: the pixels follow the table.
  CBuilder slip = BmpHeader(1, 1, 24, 0, 0, 0);
  slip.B({255, 0, 0, 0});
  EXPECT_EQ(MaxDifference(Decode(slip.a, BmpInfo, LoadBmp, 24), Expect(1, 1, {kBlue})), 0);
  // Width 0, and a header size no bitmap has.
  EXPECT_EQ(InfoOf(BmpHeader(0, 1, 24, 0, 0, 54).Zeros(4).a, BmpInfo), kVicErrBadSize);
  CBuilder odd = BmpHeader(1, 1, 24, 0, 0, 54);
  odd.a[14] = 41;
  EXPECT_EQ(InfoOf(odd.Zeros(4).a, BmpInfo), kVicErrUnsupported);

  // A colour map running past the end of the file; raw pixels missing.
  EXPECT_EQ(InfoOf(TgaHeader(1, 1, 0, 300, 24, 1, 1, 8, 0).B({1, 2, 3}).a, TgaInfo),
            kVicErrTruncated);
  EXPECT_EQ(InfoOf(TgaHeader(0, 2, 0, 0, 0, 4, 4, 24, 0).Zeros(47).a, TgaInfo), kVicErrTruncated);
  // 20000 x 20000 run-length pixels cannot come from 10 bytes.
  EXPECT_EQ(InfoOf(TgaHeader(0, 10, 0, 0, 0, 20000, 20000, 24, 0).Zeros(10).a, TgaInfo),
            kVicErrTruncated);

  // Lines shorter than the width, and a picture larger than the bound.
  EXPECT_EQ(InfoOf(PcxHeader(1, 8, 9, 1, 1, 4).Zeros(10).a, PcxInfo), kVicErrCorrupt);
  EXPECT_EQ(InfoOf(PcxHeader(1, 8, 65535, 65535, 1, 65535).Zeros(10).a, PcxInfo),
            kVicErrTooLarge);
}

}  // namespace
