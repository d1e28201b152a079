// Text: font resolution, metrics, placement by alignment, rotation,
// independence from the machine's font settings, and threads.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/dc.h"
#include "platform/draw_support.h"
#include "xforms/form_text.h"

namespace {

constexpr COLORREF kInk = RGB(255, 255, 255);

LOGFONT MakeLogFont(const char* szFace, LONG iHeight, LONG iEscapement = 0) {
  LOGFONT lf{};
  lf.lfHeight = iHeight;
  lf.lfEscapement = iEscapement;
  lf.lfWeight = FW_NORMAL;
  std::strncpy(lf.lfFaceName, szFace, LF_FACESIZE - 1);
  return lf;
}

// Draws text into a fresh surface and returns it.
std::unique_ptr<CTestSurface> Draw(const LOGFONT& lf, UINT iAlign, int x, int y, const char* sz,
                                   int w = 200, int h = 200) {
  auto s = std::make_unique<CTestSurface>(w, h);
  CDC& dc = s->dc();
  HFONT hFont = CreateFontIndirect(lf);
  EXPECT_TRUE(hFont);
  HFONT hOld = dc.SelectObject(hFont);
  dc.SetTextColor(kInk);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextAlign(iAlign);
  dc.TextOut(x, y, sz, static_cast<int>(std::strlen(sz)));
  dc.SelectObject(hOld);
  EXPECT_EQ(DeleteObject(hFont), TRUE);
  return s;
}

TEST(DrawText, FaceNamesResolveToTheShippedFamilies) {
  EXPECT_EQ(CreateFontIndirect(MakeLogFont("Arial", 20))->FamilyName(), "Liberation Sans");
  EXPECT_EQ(CreateFontIndirect(MakeLogFont("times new roman", 20))->FamilyName(),
            "Liberation Serif");
  EXPECT_EQ(CreateFontIndirect(MakeLogFont("Courier New", 20))->FamilyName(), "Liberation Mono");
  EXPECT_EQ(CreateFontIndirect(MakeLogFont("", 20))->FamilyName(), "Liberation Sans");
  EXPECT_EQ(CreateFontIndirect(MakeLogFont("No Such Family 123", 20))->FamilyName(),
            "Liberation Sans");
  // A family the machine has but the program does not ship draws with the
  // shipped sans too: never with the machine's font.
  EXPECT_EQ(CreateFontIndirect(MakeLogFont("DejaVu Sans", 20))->FamilyName(), "Liberation Sans");
  EXPECT_NE(CreateFontIndirect(MakeLogFont("DejaVu Sans", 20))->FileName().find(VX_RESOURCE_DIR),
            std::string::npos);
  LOGFONT lf = MakeLogFont("Arial", 20);
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = 1;
  EXPECT_NE(CreateFontIndirect(lf)->FileName().find("LiberationSans-BoldItalic.ttf"),
            std::string::npos);
  EXPECT_NE(CreateFontIndirect(lf)->FileName().find(VX_RESOURCE_DIR), std::string::npos);
  // A face name without its terminating zero is an invalid record.
  std::memset(lf.lfFaceName, 'A', LF_FACESIZE);
  EXPECT_EQ(CreateFontIndirect(lf), nullptr);
  EXPECT_EQ(CodePointOfByte(0x80, ANSI_CHARSET), 0x20ACu);
  EXPECT_EQ(CodePointOfByte(0xE9, ANSI_CHARSET), 0xE9u);
  EXPECT_EQ(CodePointOfByte(0x41, SYMBOL_CHARSET), 0xF041u);
}

TEST(DrawText, ArialCellHeight100MeasuresO) {
  CTestSurface s(4, 4);
  HFONT hFont = CreateFontIndirect(MakeLogFont("Arial", 100));
  s.dc().SelectObject(hFont);
  SIZE size;
  ASSERT_EQ(s.dc().GetTextExtentPoint("O", 1, &size), TRUE);
  EXPECT_NEAR(size.cx, 70, 1);
  EXPECT_EQ(size.cy, 100);
  EXPECT_EQ(hFont->Ascent(), 81);
  EXPECT_EQ(hFont->Descent(), 19);
  // The height is the cell whatever the string; the width adds up.
  s.dc().GetTextExtentPoint("OO", 2, &size);
  EXPECT_EQ(size.cx, 2 * hFont->Advance('O'));
  // Negative heights are the em size, 0 a default cell of 16.
  EXPECT_NEAR(CreateFontIndirect(MakeLogFont("Arial", -100))->Height(), 112, 1);
  EXPECT_EQ(CreateFontIndirect(MakeLogFont("Arial", 0))->Height(), 16);
  // The DC's default font: bold, cell 16.
  CTestSurface t(4, 4);
  t.dc().GetTextExtentPoint("O", 1, &size);
  EXPECT_EQ(size.cy, 16);
  EXPECT_GE(size.cx, 11);
}

TEST(DrawText, AlignmentPlacesTheGlyph) {
  const LOGFONT lf = MakeLogFont("Arial", 100);
  auto top = Draw(lf, TA_LEFT | TA_TOP, 50, 40, "O");
  const RECT ink = top->Ink(kInk);
  // Baseline at 40 + 81; the O sits on it (with its overshoot) and rises
  // about 0.72 em.
  EXPECT_NEAR(ink.bottom, 121, 2);
  EXPECT_NEAR(ink.bottom - ink.top, 66, 3);
  EXPECT_GT(ink.left, 50);
  EXPECT_LT(ink.right, 50 + 70);
  // TA_BASELINE puts the baseline at y; TA_CENTER the middle of the advance
  // width (70) at x.
  EXPECT_EQ(Draw(lf, TA_LEFT | TA_BASELINE, 50, 121, "O")->Hash(), top->Hash());
  EXPECT_EQ(Draw(lf, TA_CENTER | TA_TOP, 85, 40, "O")->Hash(), top->Hash());
  EXPECT_EQ(Draw(lf, TA_CENTER | TA_BASELINE, 85, 121, "O")->Hash(), top->Hash());
  EXPECT_EQ(Draw(lf, TA_LEFT | TA_BOTTOM, 50, 140, "O")->Hash(), top->Hash());
}

TEST(DrawText, EscapementTurnsBaselineAndGlyphs) {
  // Unrotated "l" is a tall thin stem; at 90 degrees it lies along the
  // screen's x axis, its baseline origin at (X + ascent, Y), going up.
  const LOGFONT lf0 = MakeLogFont("Arial", 100);
  const RECT up = Draw(lf0, TA_LEFT | TA_TOP, 50, 50, "l")->Ink(kInk);
  EXPECT_GT(up.bottom - up.top, 50);
  EXPECT_LT(up.right - up.left, 15);
  const RECT side = Draw(MakeLogFont("Arial", 100, 900), TA_LEFT | TA_TOP, 50, 150, "l")->Ink(kInk);
  EXPECT_GT(side.right - side.left, 50);
  EXPECT_LT(side.bottom - side.top, 15);
  EXPECT_NEAR(side.right, 50 + 81, 2);
  EXPECT_LE(side.bottom, 150);
  // A full turn is no turn; escapement 0 is the plain glyph.
  const auto plain = Draw(lf0, TA_LEFT | TA_TOP, 30, 30, "Rg");
  EXPECT_EQ(Draw(MakeLogFont("Arial", 100, 3600), TA_LEFT | TA_TOP, 30, 30, "Rg")->Hash(),
            plain->Hash());
  // 180 degrees: the cell lies above y, the baseline at y - ascent, and the
  // string runs to the left, upside down.
  const RECT turned =
      Draw(MakeLogFont("Arial", 100, 1800), TA_LEFT | TA_TOP, 150, 120, "Rg")->Ink(kInk);
  EXPECT_LE(turned.right, 152);
  EXPECT_LT(turned.left, 150 - 70);
  EXPECT_LE(turned.bottom, 120);
  EXPECT_GE(turned.top, 120 - 100);
}

TEST(DrawText, OpaqueModeFillsTheCellAndClipApplies) {
  CTestSurface s(100, 40);
  HFONT hFont = CreateFontIndirect(MakeLogFont("Arial", 20));
  s.dc().SelectObject(hFont);
  s.dc().SetBkColor(RGB(0, 0, 255));
  s.dc().TextOut(10, 5, "Hi", 2);  // default OPAQUE, TA_TOP, black text
  SIZE size;
  s.dc().GetTextExtentPoint("Hi", 2, &size);
  EXPECT_EQ(s.Ink(RGB(0, 0, 255)).top, 5);
  EXPECT_EQ(s.Ink(RGB(0, 0, 255)).left, 10);
  EXPECT_EQ(s.Ink(RGB(0, 0, 255)).bottom, 25);
  EXPECT_EQ(s.Ink(RGB(0, 0, 255)).right, 10 + size.cx);
  CTestSurface c(100, 40);
  c.dc().SelectObject(hFont);
  c.dc().SetTextColor(kInk);
  c.dc().SetBkMode(TRANSPARENT);
  c.dc().SelectClipRgn(CreateRectRgn(0, 0, 100, 15));
  c.dc().TextOut(10, 5, "Hi", 2);
  EXPECT_EQ(c.Ink(kInk).bottom, 15);
}

TEST(DrawText, MachineFontSettingsDoNotChangeTheResult) {
  const LOGFONT lf = MakeLogFont("Arial", 37, 250);
  const std::uint64_t before = Draw(lf, TA_CENTER | TA_BASELINE, 100, 100, "Wax")->Hash();
  // A configuration that asks for anti-aliasing, full hinting, sub-pixel
  // order and maps Arial elsewhere.
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vx_fc_test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path conf = dir / "fonts.conf";
  {
    std::ofstream f(conf);
    f << "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\"><fontconfig>"
         "<dir>/usr/share/fonts</dir><cachedir>" << (dir / "cache").string() << "</cachedir>"
         "<match target=\"font\"><edit name=\"antialias\" mode=\"assign\"><bool>true</bool></edit>"
         "<edit name=\"hinting\" mode=\"assign\"><bool>true</bool></edit>"
         "<edit name=\"hintstyle\" mode=\"assign\"><const>hintfull</const></edit>"
         "<edit name=\"rgba\" mode=\"assign\"><const>rgb</const></edit></match>"
         "<alias binding=\"strong\"><family>Arial</family><prefer><family>DejaVu Sans</family>"
         "</prefer></alias></fontconfig>";
  }
  const char* szOld = std::getenv("FONTCONFIG_FILE");
  const std::string csOld = szOld ? szOld : "";
  setenv("FONTCONFIG_FILE", conf.c_str(), 1);
  ResetFontCache();
  const std::uint64_t after = Draw(lf, TA_CENTER | TA_BASELINE, 100, 100, "Wax")->Hash();
  EXPECT_EQ(CreateFontIndirect(lf)->FamilyName(), "Liberation Sans");
  if (szOld)
    setenv("FONTCONFIG_FILE", csOld.c_str(), 1);
  else
    unsetenv("FONTCONFIG_FILE");
  ResetFontCache();
  std::filesystem::remove_all(dir);
  EXPECT_EQ(before, after);
  // Aliased: only the text colour and the untouched black occur.
  auto s = Draw(lf, TA_LEFT | TA_TOP, 20, 20, "Wax");
  for (int y = 0; y < s->H(); ++y)
    for (int x = 0; x < s->W(); ++x) ASSERT_TRUE(s->At(x, y) == 0 || s->At(x, y) == kInk);
}

TEST(DrawText, TwoThreadsDrawTextAtOnce) {
  // Each thread has its own surface and DC; the stock font, the faces and
  // the glyph caches are shared.
  auto work = [](std::uint64_t* pHash) {
    CTestSurface s(160, 120);
    CDC& dc = s.dc();
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kInk);
    for (int i = 0; i < 40; ++i) {
      const char c = static_cast<char>('A' + i % 26);
      dc.TextOut(i * 3, i * 2, &c, 1);  // default (stock) font
      HFONT hFont = CreateFontIndirect(MakeLogFont(i % 2 ? "Arial" : "Courier New", 10 + i, i * 90));
      HFONT hOld = dc.SelectObject(hFont);
      dc.TextOut(80, 60, &c, 1);
      dc.SelectObject(hOld);
      DeleteObject(hFont);
    }
    *pHash = s.Hash();
  };
  std::uint64_t h1 = 0, h2 = 0;
  std::thread t1(work, &h1), t2(work, &h2);
  t1.join();
  t2.join();
  EXPECT_EQ(h1, h2);
  EXPECT_NE(h1, 0u);
}

}  // namespace

// A font record in text form names a shipped face or is refused, in its
// readable form and in its 60 bytes of hexadecimal alike.
TEST(DrawText, FontRecordsNameOnlyShippedFaces) {
  const auto hex = [](const LOGFONT& lf) {
    std::string cs;
    char sz[3];
    for (std::size_t k = 0; k < sizeof lf; ++k) {
      std::snprintf(sz, sizeof sz, "%02x", reinterpret_cast<const unsigned char*>(&lf)[k]);
      cs += sz;
    }
    return cs;
  };
  LOGFONT lf{};
  std::string csError;
  EXPECT_TRUE(FontFromText(hex(MakeLogFont("Courier New", 30)), lf, csError)) << csError;
  EXPECT_STREQ(lf.lfFaceName, "Courier New");
  for (const char* szFace : {"DejaVu Sans", "Comic Sans MS"}) {
    EXPECT_FALSE(FontFromText(hex(MakeLogFont(szFace, 30)), lf, csError)) << szFace;
    EXPECT_NE(csError.find("face"), std::string::npos) << csError;
    EXPECT_NE(csError.find(szFace), std::string::npos) << csError;
    EXPECT_FALSE(FontFromText(std::string(szFace) + ",bold", lf, csError)) << szFace;
    EXPECT_NE(csError.find(szFace), std::string::npos) << csError;
  }
}

