#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/form.h"
#include "xforms/test_pictures.h"
#include "xforms/text.h"

namespace {

CFilSpec TextSpec(int iMode, int iSeed = 11) {
  CFilSpec spec = SpecFor(XFORM_TEXT, iSeed);
  spec.m_Text.m_iMode = iMode;
  spec.m_Text.m_iAcross = 24;
  spec.m_Text.m_crLetters = RGB(250, 240, 20);
  spec.m_Text.m_Paper.m_crColour = RGB(10, 20, 60);
  return spec;
}

std::unique_ptr<CDADC> Uniform(int iWidth, int iHeight, COLORREF cr) {
  auto p = std::make_unique<CDADC>(iWidth, iHeight);
  p->m_pDC->FillSolidRect(0, 0, iWidth, iHeight, cr);
  return p;
}

// Whether any pixel of the middle half of cell (c, r) differs from the paper.
bool CellHasInk(const CDADC& out, const CellGrid& g, int c, int r, COLORREF crPaper) {
  const POINT pt = g.Centre(c, r);
  for (int y = pt.y - g.m_iCellHeight / 4; y <= pt.y + g.m_iCellHeight / 4; ++y)
    for (int x = pt.x - g.m_iCellWidth / 4; x <= pt.x + g.m_iCellWidth / 4; ++x)
      if (out.m_pDC->GetPixel(x, y) != crPaper) return true;
  return false;
}

}  // namespace

TEST(TextXform, ReproducibleWithCheckedInDigests) {
  auto in = MakeTestPicture(160, 100);
  const struct {
    int m_iMode;
    int m_bPicturePaper;
    const char* m_szName;
  } aCases[] = {{TEXT_MODE_OVERTYPE, 0, "text_overtype"}, {TEXT_MODE_IMAGE, 1, "text_image"}};
  for (const auto& c : aCases) {
    CFilSpec spec = TextSpec(c.m_iMode);
    spec.m_Text.m_Paper.m_bUsePicture = c.m_bPicturePaper;
    ExpectReproducedAndPinned(spec, *in, c.m_szName);
  }
  // Apply draws no random numbers: the seed only matters through Autochoose.
  CFilSpec w1 = TextSpec(TEXT_MODE_OVERTYPE, 1), w2 = TextSpec(TEXT_MODE_OVERTYPE, 2);
  EXPECT_TRUE(SameSurfaces(*RunXform(w1, *in, 1).m_pOut, *RunXform(w2, *in, 1).m_pOut));
  SeedRandom(1);
  AutochooseText(w1.m_Text, 160, 100);
  SeedRandom(2);
  AutochooseText(w2.m_Text, 160, 100);
  EXPECT_FALSE(SameSurfaces(*RunXform(w1, *in, 1).m_pOut, *RunXform(w2, *in, 1).m_pOut));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(TextXform, PhraseRunsOnFromCellToCellAndRowToRow) {
  // "I" and eight spaces: only every ninth letter leaves ink. On white (force
  // 255) each cell takes one letter; on black nine, so every cell starts the
  // phrase again and shows the "I". 20 columns are not a multiple of 9, so
  // a phrase restarted at each row would show up on the second row.
  const COLORREF crPaper = RGB(0, 0, 0);
  CFilSpec spec = TextSpec(TEXT_MODE_OVERTYPE);
  std::strcpy(spec.m_Text.m_szPhrase, "I        ");
  spec.m_Text.m_iAcross = 20;
  spec.m_Text.m_Paper.m_crColour = crPaper;
  for (int q : {1, 2}) {
    auto white = Uniform(200, 60, RGB(255, 255, 255));
    const CXformRun run = RunXform(spec, *white, q);
    ASSERT_EQ(run.m_iResult, 1);
    const CellGrid g(200 * q, 60 * q, 20);
    ASSERT_EQ(g.m_iRows, 6);
    for (int r = 0; r < g.m_iRows; ++r)
      for (int c = 0; c < g.m_iColumns; ++c)
        ASSERT_EQ(CellHasInk(*run.m_pOut, g, c, r, crPaper), (r * 20 + c) % 9 == 0)
            << "q" << q << " cell " << c << "," << r;

    auto black = Uniform(200, 60, RGB(0, 0, 0));
    const CXformRun dark = RunXform(spec, *black, q);
    for (int r = 0; r < g.m_iRows; ++r)
      for (int c = 0; c < g.m_iColumns; ++c)
        ASSERT_TRUE(CellHasInk(*dark.m_pOut, g, c, r, crPaper)) << c << "," << r;
  }

  EXPECT_EQ(TextOvertypeCount(255), 1);
  EXPECT_EQ(TextOvertypeCount(0), 9);
  EXPECT_EQ(TextOvertypeCount(128), 4);  // 8 * 127 / 255 = 3
}

TEST(TextXform, FontHeightFollowsTheOutputWidth) {
  EXPECT_EQ(TextFontHeight(400, 1, 50), 10);   // 4/(3n) of the width
  EXPECT_EQ(TextFontHeight(800, 2, 50), 24);   // 3/(2n)
  EXPECT_EQ(TextFontHeight(1600, 4, 50), 48);
  EXPECT_EQ(TextFontHeight(100, 1, 20), 6);    // not the cell height of a wide, low picture
  EXPECT_EQ(TextFontHeight(10, 1, 80), 1);     // never 0, which would mean the default size

  // A picture 14 pixels wide with 20 letters across gets letters one pixel
  // high, not letters of the default size that would cover it.
  auto in = Uniform(14, 5, RGB(0, 0, 0));
  CFilSpec spec = TextSpec(TEXT_MODE_OVERTYPE);
  std::strcpy(spec.m_Text.m_szPhrase, "I");
  spec.m_Text.m_Paper.m_crColour = RGB(0, 0, 0);
  spec.m_Text.m_iAcross = 20;
  const CXformRun run = RunXform(spec, *in, 1);
  EXPECT_EQ(run.m_iResult, 1);
  int iInk = 0;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 14; ++x) iInk += run.m_pOut->m_pDC->GetPixel(x, y) != RGB(0, 0, 0);
  EXPECT_LT(iInk, 14);
}

namespace {
void StopAfterFirstRow(int iPercent, const char*) {
  if (iPercent >= 10 && iPercent < 100) g_bStop = 1;
}
}  // namespace

TEST(TextXform, StopEndsAfterTheRowAndFailures) {
  auto in = Uniform(160, 100, RGB(0, 0, 0));
  CFilSpec spec = TextSpec(TEXT_MODE_OVERTYPE);
  std::strcpy(spec.m_Text.m_szPhrase, "I");
  spec.m_Text.m_Paper.m_crColour = RGB(0, 0, 0);
  SetProgressHook(&StopAfterFirstRow);
  const CXformRun run = RunXform(spec, *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(run.m_iResult, 0);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(GetStatusText(), "");
  const CellGrid g(160, 100, 24);
  EXPECT_TRUE(CellHasInk(*run.m_pOut, g, 5, 0, RGB(0, 0, 0)));   // the first row is drawn
  EXPECT_FALSE(CellHasInk(*run.m_pOut, g, 5, 2, RGB(0, 0, 0)));  // the rest is not

  // A font that cannot be made: the paper is there, nothing else, no message.
  spec.m_Text.m_Paper.m_crColour = RGB(1, 2, 3);
  std::memset(spec.m_Text.m_lfFont.lfFaceName, 'x', LF_FACESIZE);  // no terminator
  const CXformRun bad = RunXform(spec, *in, 1);
  EXPECT_EQ(bad.m_iResult, 0);
  EXPECT_EQ(bad.m_pOut->m_pDC->GetPixel(80, 50), RGB(1, 2, 3));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(TextXform, Validation) {
  TextParams p;
  p.m_iAcross = 5;
  p.m_szPhrase[0] = '\0';
  EXPECT_EQ(ValidateText(p), 1);
  EXPECT_EQ(p.m_iAcross, 20);
  EXPECT_STREQ(p.m_szPhrase, "It was a dark and stormy night,");
  p.m_iAcross = 500;
  std::memset(p.m_szPhrase, 'z', sizeof p.m_szPhrase);  // no terminator
  ValidateText(p);
  EXPECT_EQ(p.m_iAcross, 80);
  EXPECT_EQ(std::strlen(p.m_szPhrase), 255u);

  // Apply copes with a record that was never validated (no phrase to run over).
  CFilSpec spec = TextSpec(TEXT_MODE_OVERTYPE);
  spec.m_Text.m_szPhrase[0] = '\0';
  spec.m_Text.m_iAcross = 0;
  EXPECT_EQ(RunXform(spec, *MakeTestPicture(60, 40), 1).m_iResult, 1);
}

TEST(TextXform, AutochooseDrawOrder) {
  bool bSeen[4] = {};  // picture paper, overtype in colours, black on white, image mode
  for (int i = 1; i < 400; ++i) {
    const int iSeed = i * 7919;  // spread: nearby seeds start with nearby numbers
    TextParams p, e;
    SeedRandom(iSeed);
    AutochooseText(p, i % 2 ? 640 : 300, 200);
    SeedRandom(iSeed);
    int iCase = 0;
    const bool bPicture = RandomInt(0, 100) < 10;
    e.m_Paper.m_crColour = bPicture ? p.m_Paper.m_crColour : ScaleColour(RandomColour(), 0.25);
    e.m_iMode = bPicture || RandomInt(0, 100) >= 75 ? TEXT_MODE_OVERTYPE : TEXT_MODE_IMAGE;
    if (bPicture) RandomColour();  // replaced by the second colour below
    if (!bPicture && e.m_iMode == TEXT_MODE_OVERTYPE && RandomChance()) {
      RandomColourPair(e.m_crLetters, e.m_Paper.m_crColour);
      e.m_crLetters = ScaleColour(e.m_crLetters, 3);
      e.m_Paper.m_crColour = ScaleColour(e.m_Paper.m_crColour, 0.5);
      iCase = 1;
    } else if (!bPicture && e.m_iMode == TEXT_MODE_OVERTYPE) {
      e.m_crLetters = RGB(0, 0, 0);
      e.m_Paper.m_crColour = RGB(255, 255, 255);
      iCase = 2;
    } else {
      e.m_crLetters = RandomColour();
      iCase = bPicture ? 0 : 3;
    }
    e.m_iAcross = i % 2 ? RandomInt(20, 80) : RandomInt(20, 23);
    const int iPhrase = RandomInt(0, 3);
    bSeen[iCase] = true;
    ASSERT_EQ(p.m_Paper.m_bUsePicture, bPicture ? 1 : 0) << iSeed;
    ASSERT_EQ(p.m_Paper.m_crColour, e.m_Paper.m_crColour) << iSeed;
    ASSERT_EQ(p.m_iMode, e.m_iMode) << iSeed;
    ASSERT_EQ(p.m_crLetters, e.m_crLetters) << iSeed;
    ASSERT_EQ(p.m_iAcross, e.m_iAcross) << iSeed;
    ASSERT_STREQ(p.m_szPhrase, kTextPhrases[iPhrase]) << iSeed;
  }
  for (bool b : bSeen) EXPECT_TRUE(b);
}

TEST(TextXform, FormTextsAreWindows1252) {
  const CFormRef form(kTextForm);
  TextParams p;
  std::string csError;
  ASSERT_TRUE(SetFieldFromText(form, &p, "phrase", "Caf\xC3\xA9 \xE2\x82\xAC 5", csError)) << csError;
  EXPECT_STREQ(p.m_szPhrase, "Caf\xE9 \x80 5");  // one byte per character
  EXPECT_EQ(FieldText(form, &p, form.Find("phrase")), "Caf\xC3\xA9 \xE2\x82\xAC 5");

  EXPECT_FALSE(SetFieldFromText(form, &p, "phrase", "\xE4\xB8\xAD", csError));
  EXPECT_EQ(csError,
            "phrase cannot hold \"\xE4\xB8\xAD\" (U+4E2D): only Windows-1252 characters can be "
            "stored");
  EXPECT_FALSE(SetFieldFromText(form, &p, "phrase", "Caf\xE9", csError));  // Latin-1, not UTF-8
  EXPECT_EQ(csError, "phrase is not valid UTF-8 text");
  EXPECT_FALSE(SetFieldFromText(form, &p, "phrase", "\xC0\xAF", csError));  // overlong "/"
  EXPECT_STREQ(p.m_szPhrase, "Caf\xE9 \x80 5");  // unchanged by the refusals

  // The letters' colour is chosen only in the overtype mode.
  p.m_bWizard = 0;
  EXPECT_TRUE(form.IsEnabled(form.Find("letters_colour"), &p));
  p.m_iMode = TEXT_MODE_IMAGE;
  EXPECT_FALSE(form.IsEnabled(form.Find("letters_colour"), &p));

  // Every byte value a record can hold survives the way through text.
  for (int b = 1; b < 256; ++b) {
    p.m_szPhrase[0] = static_cast<char>(b);
    p.m_szPhrase[1] = '\0';
    const std::string csText = FieldText(form, &p, form.Find("phrase"));
    TextParams q;
    ASSERT_TRUE(SetFieldFromText(form, &q, "phrase", csText, csError, false)) << b << csError;
    ASSERT_EQ(static_cast<unsigned char>(q.m_szPhrase[0]), b);
  }
}
