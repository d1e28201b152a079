#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/dadc.h"
#include "imaging/packed_dib.h"
#include "support/recording_reporter.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Builds a packed DIB byte by byte: header, optional masks, colour table, rows.
class CDibBuilder {
 public:
  CDibBuilder& Info(int w, int h, int bpp, DWORD compression = BI_RGB, DWORD clrUsed = 0) {
    Put32(40); Put32(static_cast<DWORD>(w)); Put32(static_cast<DWORD>(h));
    Put16(1); Put16(static_cast<WORD>(bpp)); Put32(compression);
    Put32(0); Put32(0); Put32(0); Put32(clrUsed); Put32(0);
    return *this;
  }
  CDibBuilder& Core(int w, int h, int bpp) {
    Put32(12); Put16(static_cast<WORD>(w)); Put16(static_cast<WORD>(h)); Put16(1); Put16(static_cast<WORD>(bpp));
    return *this;
  }
  CDibBuilder& Put8(int v) { m_a.push_back(static_cast<std::uint8_t>(v)); return *this; }
  CDibBuilder& Put16(DWORD v) { Put8(v & 0xFF); return Put8((v >> 8) & 0xFF); }
  CDibBuilder& Put32(DWORD v) { Put16(v & 0xFFFF); return Put16(v >> 16); }
  CDibBuilder& Quad(int r, int g, int b) { return Put8(b).Put8(g).Put8(r).Put8(0); }
  CDibBuilder& Pad(std::size_t iMultiple) {
    while (m_a.size() % iMultiple) Put8(0);
    return *this;
  }
  CGlobalBlock Block() const {
    CGlobalBlock h = CGlobalBlock::Alloc(m_a.size());
    std::memcpy(h.Data(), m_a.data(), m_a.size());
    return h;
  }

 private:
  std::vector<std::uint8_t> m_a;
};

COLORREF At(const CDADC& s, int x, int y) { return s.m_pDC->GetPixel(x, y); }

}  // namespace

TEST(PackedDib, HeaderHelpers) {
  CDibBuilder b;
  b.Info(5, -3, 8, BI_RGB, 7);
  const CGlobalBlock h = b.Block();
  EXPECT_EQ(DibWidth(h.Data()), 5);
  EXPECT_EQ(DibHeight(h.Data()), -3);
  EXPECT_EQ(DibNumColors(h.Data()), 7);
  EXPECT_EQ(DibPaletteSize(h.Data()), 28);
  EXPECT_EQ(DibBits(h.Data()), h.Data() + 40 + 28);
  CDibBuilder core;
  core.Core(300, 2, 4);
  const CGlobalBlock hc = core.Block();
  EXPECT_EQ(DibWidth(hc.Data()), 300);
  EXPECT_EQ(DibNumColors(hc.Data()), 16);
  EXPECT_EQ(DibPaletteSize(hc.Data()), 48);
  CDibBuilder rgb;
  rgb.Info(1, 1, 24);
  EXPECT_EQ(DibNumColors(rgb.Block().Data()), 0);
}

TEST(PackedDib, PaletteDepthsBecomeTwentyFourBits) {
  // 8-bit, 3 x 2, bottom-up; rows padded to 4 bytes.
  CDibBuilder b8;
  b8.Info(3, 2, 8, BI_RGB, 3).Quad(255, 0, 0).Quad(0, 255, 0).Quad(0, 0, 255);
  b8.Put8(0).Put8(1).Put8(2).Pad(4);  // bottom row
  b8.Put8(2).Put8(2).Put8(0).Pad(4);  // top row
  auto p8 = CDADC::CBC(b8.Block());
  ASSERT_TRUE(p8);
  EXPECT_EQ(p8->m_iWidth, 3);
  EXPECT_EQ(At(*p8, 0, 1), RGB(255, 0, 0));
  EXPECT_EQ(At(*p8, 2, 1), RGB(0, 0, 255));
  EXPECT_EQ(At(*p8, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(At(*p8, 2, 0), RGB(255, 0, 0));

  // 1-bit, 10 wide: bits from the most significant, two bytes a row, padded to 4.
  CDibBuilder b1;
  b1.Info(10, 1, 1).Quad(0, 0, 0).Quad(255, 255, 255);
  b1.Put8(0b10100000).Put8(0b01000000).Pad(4);
  auto p1 = CDADC::CBC(b1.Block());
  ASSERT_TRUE(p1);
  const COLORREF W = RGB(255, 255, 255);
  std::vector<COLORREF> aRow;
  for (int x = 0; x < 10; ++x) aRow.push_back(At(*p1, x, 0));
  EXPECT_THAT(aRow, ElementsAre(W, 0, W, 0, 0, 0, 0, 0, 0, W));

  // 4-bit with a core header (three-byte table entries).
  CDibBuilder b4;
  b4.Core(3, 1, 4);
  for (int i = 0; i < 16; ++i) b4.Put8(i).Put8(i * 2).Put8(i * 3);  // B, G, R
  b4.Put8(0x1F).Put8(0x20).Pad(4);
  auto p4 = CDADC::CBC(b4.Block());
  ASSERT_TRUE(p4);
  EXPECT_EQ(At(*p4, 0, 0), RGB(3, 2, 1));
  EXPECT_EQ(At(*p4, 1, 0), RGB(45, 30, 15));
  EXPECT_EQ(At(*p4, 2, 0), RGB(6, 4, 2));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(PackedDib, DirectDepthsMasksAndRowOrder) {
  // 16-bit default 5-5-5, top-down.
  CDibBuilder b16;
  b16.Info(2, -2, 16);
  b16.Put16(0x7C00).Put16(0x001F);  // top row: red, blue
  b16.Put16(0x03E0).Put16(0x7FFF);  // bottom row: green, white
  auto p16 = CDADC::CBC(b16.Block());
  ASSERT_TRUE(p16);
  EXPECT_EQ(At(*p16, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(At(*p16, 1, 0), RGB(0, 0, 255));
  EXPECT_EQ(At(*p16, 0, 1), RGB(0, 255, 0));
  EXPECT_EQ(At(*p16, 1, 1), RGB(255, 255, 255));

  // 16-bit 5-6-5 bit fields after a 40-byte header: the masks sit before the pixels.
  CDibBuilder b565;
  b565.Info(1, 1, 16, BI_BITFIELDS).Put32(0xF800).Put32(0x07E0).Put32(0x001F);
  b565.Put16(0x07E0).Pad(4);
  auto p565 = CDADC::CBC(b565.Block());
  ASSERT_TRUE(p565);
  EXPECT_EQ(At(*p565, 0, 0), RGB(0, 255, 0));

  // 32-bit BI_RGB: B, G, R, unused.
  CDibBuilder b32;
  b32.Info(2, 1, 32).Put8(1).Put8(2).Put8(3).Put8(99).Put8(4).Put8(5).Put8(6).Put8(99);
  auto p32 = CDADC::CBC(b32.Block());
  ASSERT_TRUE(p32);
  EXPECT_EQ(At(*p32, 1, 0), RGB(6, 5, 4));

  // 24-bit, bottom-up, odd width with padding.
  CDibBuilder b24;
  b24.Info(1, 2, 24).Put8(1).Put8(2).Put8(3).Pad(4).Put8(7).Put8(8).Put8(9).Pad(4);
  auto p24 = CDADC::CBC(b24.Block());
  ASSERT_TRUE(p24);
  EXPECT_EQ(At(*p24, 0, 1), RGB(3, 2, 1));
  EXPECT_EQ(At(*p24, 0, 0), RGB(9, 8, 7));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(PackedDib, BadBlocksAreRefused) {
  EXPECT_FALSE(CDADC::CBC(CGlobalBlock()));
  EXPECT_THAT(TakeMessages(), ElementsAre("CDADC::CBC: Bad DIB handle"));

  CDibBuilder aCases[4];
  aCases[0].Info(100, 100, 24).Put8(0);              // pixels missing
  aCases[1].Info(0, 5, 24);                          // no width
  aCases[2].Info(0x7FFFFFFF, 0x7FFFFFFF, 1);         // absurd size
  aCases[3].Put32(41).Put32(1).Put32(1);             // unknown header
  for (auto& b : aCases) {
    EXPECT_FALSE(CDADC::CBC(b.Block()));
    const auto aMessages = TakeMessages();
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_THAT(aMessages[0], HasSubstr("CDADC::CBC: not a usable bitmap"));
  }
  // Palette indices past a short colour table read black instead of past the block.
  CDibBuilder b;
  b.Info(2, 1, 8, BI_RGB, 1).Quad(9, 9, 9).Put8(0).Put8(200).Pad(4);
  auto p = CDADC::CBC(b.Block());
  ASSERT_TRUE(p);
  EXPECT_EQ(At(*p, 0, 0), RGB(9, 9, 9));
  EXPECT_EQ(At(*p, 1, 0), 0u);
}

TEST(PackedDib, PaintDibAndCopies) {
  CDibBuilder b;
  b.Info(2, 2, 24).Put8(0).Put8(0).Put8(255).Put8(0).Put8(255).Put8(0).Pad(4);
  b.Put8(255).Put8(0).Put8(0).Put8(255).Put8(255).Put8(255).Pad(4);
  const CGlobalBlock h = b.Block();
  CDADC s(4, 4);
  EXPECT_EQ(PaintDib(*s.m_pDC, RECT{0, 0, 4, 4}, h, RECT{0, 0, 2, 2}), 1);  // stretched
  EXPECT_EQ(At(s, 0, 3), RGB(255, 0, 0));
  EXPECT_EQ(At(s, 3, 0), RGB(255, 255, 255));
  EXPECT_EQ(PaintDib(*s.m_pDC, RECT{0, 0, 2, 2}, CGlobalBlock(), RECT{0, 0, 2, 2}), 0);

  const CGlobalBlock copy = CopyGlobalHandle(h);
  ASSERT_TRUE(copy);
  ASSERT_EQ(copy.Size(), h.Size());
  EXPECT_EQ(std::memcmp(copy.Data(), h.Data(), h.Size()), 0);
  EXPECT_NE(copy.Data(), h.Data());
  EXPECT_FALSE(CopyGlobalHandle(CGlobalBlock()));
  EXPECT_THAT(TakeMessages(), ElementsAre("CH, copying NULL handle"));
}
