#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/filspec.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/fallen_letters.h"
#include "xforms/form.h"
#include "xforms/test_pictures.h"

namespace {

CFilSpec LettersSpec(int iSeed = 31) {
  CFilSpec spec = SpecFor(XFORM_FALLEN_LETTERS, iSeed);
  FallenLettersParams& p = spec.m_FallenLetters;
  p.m_iCount = 400;
  p.m_crLetter = RGB(255, 230, 40);
  p.m_Paper.m_crColour = RGB(30, 0, 50);
  p.m_dSize = 6.0;
  return spec;
}

std::unique_ptr<CDADC> Uniform(int iWidth, int iHeight, COLORREF cr) {
  auto p = std::make_unique<CDADC>(iWidth, iHeight);
  p->m_pDC->FillSolidRect(0, 0, iWidth, iHeight, cr);
  return p;
}

int CountOther(const CDADC& s, COLORREF cr) {
  int n = 0;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) n += s.m_pDC->GetPixel(x, y) != cr;
  return n;
}

// Whether this thread's generator is where iDraws draws from the seed leave it.
bool DrawnSinceSeed(int iSeed, int iDraws) {
  const int iNext = RawRandom();
  SeedRandom(static_cast<unsigned>(iSeed));
  for (int i = 0; i < iDraws; ++i) RawRandom();
  return RawRandom() == iNext;
}

}  // namespace

TEST(FallenLetters, ReproducibleWithCheckedInDigests) {
  auto in = MakeTestPicture(160, 100);
  const struct {
    int m_bIntensity, m_bSize, m_iColourMode, m_bPicturePaper;
    const char* m_szLetters;
    const char* m_szName;
  } aCases[] = {
      {1, 0, FALLEN_COLOUR_FIXED, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "fallen_letters_fixed"},
      {1, 1, FALLEN_COLOUR_PICTURE, 1, "xyz", "fallen_letters_picture"},
      {0, 1, FALLEN_COLOUR_RANDOM, 0, "\xE9\x80g", "fallen_letters_random"},
  };
  for (const auto& c : aCases) {
    CFilSpec spec = LettersSpec();
    spec.m_FallenLetters.m_bIntensity = c.m_bIntensity;
    spec.m_FallenLetters.m_bSize = c.m_bSize;
    spec.m_FallenLetters.m_iColourMode = c.m_iColourMode;
    spec.m_FallenLetters.m_Paper.m_bUsePicture = c.m_bPicturePaper;
    std::strcpy(spec.m_FallenLetters.m_szLetters, c.m_szLetters);
    ExpectReproducedAndPinned(spec, *in, c.m_szName);
    CFilSpec other = spec;
    other.m_iSeed = 32;
    EXPECT_FALSE(SameSurfaces(*RunXform(spec, *in, 1).m_pOut, *RunXform(other, *in, 1).m_pOut))
        << c.m_szName;
  }
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(FallenLetters, RandomDrawsPerLetter) {
  auto white = Uniform(80, 60, RGB(255, 255, 255));
  CFilSpec spec = LettersSpec(5);
  FallenLettersParams& p = spec.m_FallenLetters;
  // One letter: x, y and the angle; no letter choice, no intensity draw.
  std::strcpy(p.m_szLetters, "Q");
  p.m_bIntensity = 0;
  CXformRun run = RunXform(spec, *white, 1);
  ASSERT_EQ(run.m_iResult, 1);
  EXPECT_TRUE(DrawnSinceSeed(5, 3 * 400));

  // With intensity on, force 255 lets every letter fall at its first try:
  // x, y, the comparison draw, the angle.
  p.m_bIntensity = 1;
  RunXform(spec, *white, 1);
  EXPECT_TRUE(DrawnSinceSeed(5, 4 * 400));

  // Two letters add the letter choice; the picture's colour adds the three
  // jitter factors.
  std::strcpy(p.m_szLetters, "QR");
  p.m_iColourMode = FALLEN_COLOUR_PICTURE;
  RunXform(spec, *white, 1);
  EXPECT_TRUE(DrawnSinceSeed(5, 8 * 400));
}

TEST(FallenLetters, SizeFollowsTheForce) {
  // With Size set a black picture (force 0) gives letters one pixel high;
  // without it they have the average size.
  auto black = Uniform(100, 100, RGB(0, 0, 0));
  CFilSpec spec = LettersSpec();
  FallenLettersParams& p = spec.m_FallenLetters;
  p.m_bIntensity = 0;
  p.m_bSize = 1;
  std::strcpy(p.m_szLetters, "M");
  const CXformRun tiny = RunXform(spec, *black, 1);
  ASSERT_EQ(tiny.m_iResult, 1);
  EXPECT_LT(CountOther(*tiny.m_pOut, p.m_Paper.m_crColour), 400);
  p.m_bSize = 0;
  const CXformRun normal = RunXform(spec, *black, 1);
  EXPECT_GT(CountOther(*normal.m_pOut, p.m_Paper.m_crColour), 4000);
}

TEST(FallenLetters, TurnOffsetIsMeasuredInTheDcsOwnFont) {
  LOGFONT lf = FallenLettersParams().m_lfFont;
  lf.lfHeight = 60;
  CDADC a(200, 200), b(200, 200), c(200, 200);
  const HFONT hBefore = a.m_pDC->GetCurrentFont();
  a.m_pDC->SetTextColor(RGB(255, 255, 255));
  DrawFallenLetter(*a.m_pDC, 'W', 100, 80, 30, lf);
  EXPECT_EQ(a.m_pDC->GetCurrentFont(), hBefore);
  EXPECT_GT(CountOther(a, RGB(0, 0, 0)), 100);

  // The same letter drawn by hand, offset by the width of "W" in the DC's
  // default font (bold, cell 16), not in the letter's own 60-pixel font.
  SIZE small{}, large{};
  b.m_pDC->GetTextExtentPoint("W", 1, &small);
  lf.lfEscapement = 300;
  HFONT hFont = CreateFontIndirect(lf);
  b.m_pDC->SetTextColor(RGB(255, 255, 255));
  b.m_pDC->SelectObject(hFont);
  b.m_pDC->GetTextExtentPoint("W", 1, &large);
  ASSERT_GT(large.cx, small.cx);
  const double dCos = std::cos(75 * TWO_PI / 360);
  b.m_pDC->TextOut(100 - static_cast<int>(dCos * small.cx), 80, "W", 1);
  EXPECT_TRUE(SameSurfaces(a, b));
  c.m_pDC->SetTextColor(RGB(255, 255, 255));
  c.m_pDC->SelectObject(hFont);
  c.m_pDC->TextOut(100 - static_cast<int>(dCos * large.cx), 80, "W", 1);
  EXPECT_FALSE(SameSurfaces(a, c));
}

namespace {
std::string s_csFirstText;
void RecordText(int, const char* szText) {
  if (szText && s_csFirstText.empty()) s_csFirstText = szText;
}
void StopAt50(int iPercent, const char*) {
  if (iPercent >= 50 && iPercent <= 100) g_bStop = 1;
}
}  // namespace

TEST(FallenLetters, StatusTextStopAndFailures) {
  auto in = MakeTestPicture(80, 60);
  s_csFirstText.clear();
  SetProgressHook(&RecordText);
  const CXformRun done = RunXform(LettersSpec(), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(done.m_iResult, 1);
  EXPECT_EQ(s_csFirstText, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");  // the letters while they fall
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_EQ(g_iProgress, 101);

  SetProgressHook(&StopAt50);
  const CXformRun stopped = RunXform(LettersSpec(), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(stopped.m_iResult, 0);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(g_iProgress, 101);
  // Fewer letters than in the whole run.
  const COLORREF crPaper = LettersSpec().m_FallenLetters.m_Paper.m_crColour;
  EXPECT_LT(CountOther(*stopped.m_pOut, crPaper), CountOther(*done.m_pOut, crPaper));
  EXPECT_GT(CountOther(*stopped.m_pOut, crPaper), 0);

  // No force field (a stop already requested): the paper is drawn, then 0.
  g_bStop = 1;
  const CXformRun nofield = RunXform(LettersSpec(), *in, 1);
  g_bStop = 0;
  EXPECT_EQ(nofield.m_iResult, 0);
  EXPECT_EQ(CountOther(*nofield.m_pOut, crPaper), 0);

  EXPECT_TRUE(TakeMessages().empty());
}

TEST(FallenLetters, ValidationAndDialogChecks) {
  FallenLettersParams p;
  p.m_szLetters[0] = '\0';
  p.m_iCount = 0;
  EXPECT_EQ(ValidateFallenLetters(p), 1);
  EXPECT_STREQ(p.m_szLetters, "A");
  EXPECT_EQ(p.m_iCount, 400);
  std::memset(p.m_szLetters, 'k', sizeof p.m_szLetters);
  p.m_iCount = 4000;
  ValidateFallenLetters(p);
  EXPECT_EQ(std::strlen(p.m_szLetters), 26u);
  EXPECT_EQ(p.m_iCount, 850);

  FallenLettersParams d;
  d.m_bIntensity = d.m_bSize = 0;
  d.m_szLetters[0] = '\0';
  EXPECT_STREQ(CheckFallenLettersSettings(d), "You must choose at least one of\nIntensity Size");
  d.m_bSize = 1;
  EXPECT_STREQ(CheckFallenLettersSettings(d),
               "You must type at least one character\nin the \"Letters\" box");
  std::strcpy(d.m_szLetters, " \t ");
  EXPECT_STREQ(CheckFallenLettersSettings(d),
               "You must type at least one (non space) character\nin the \"Letters\" box");
  std::strcpy(d.m_szLetters, " a b\tc ");
  EXPECT_EQ(CheckFallenLettersSettings(d), nullptr);
  EXPECT_STREQ(d.m_szLetters, "abc");

  // The form: 26 letters at most, Windows-1252 bytes; the letter colour only
  // for the fixed colour mode.
  const CFormRef form(kFallenLettersForm);
  std::string csError;
  EXPECT_TRUE(SetFieldFromText(form, &d, "letters", "\xC3\x84\xC3\x96\xC3\x9C", csError));
  EXPECT_STREQ(d.m_szLetters, "\xC4\xD6\xDC");
  EXPECT_FALSE(SetFieldFromText(form, &d, "letters", "ABCDEFGHIJKLMNOPQRSTUVWXYZa", csError));
  EXPECT_EQ(csError, "letters holds at most 26 characters");
  d.m_bWizard = 0;
  d.m_iColourMode = FALLEN_COLOUR_PICTURE;
  EXPECT_FALSE(form.IsEnabled(form.Find("letter_colour"), &d));
  d.m_iColourMode = FALLEN_COLOUR_FIXED;
  EXPECT_TRUE(form.IsEnabled(form.Find("letter_colour"), &d));
}

TEST(FallenLetters, AutochooseDrawOrder) {
  bool bPicture = false, bModeDrawn = false, bRetried = false;
  for (int i = 1; i < 300; ++i) {
    const int iSeed = i * 7919;  // spread: nearby seeds start with nearby numbers
    FallenLettersParams p, e;
    AreaSelection sel;
    SeedRandom(iSeed);
    AutochooseFallenLetters(p, sel);
    SeedRandom(iSeed);
    const bool bPaperPicture = RandomInt(0, 100) < 15;
    if (!bPaperPicture) RandomColour();  // the paper colour, replaced by the pair below
    e.m_iColourMode = bPaperPicture || RandomInt(0, 100) < 75 ? 1 : RandomInt(0, 2);
    bPicture |= bPaperPicture;
    bModeDrawn |= !bPaperPicture && e.m_iColourMode != 1;
    const int bInvert = RandomChance();
    int iTries = 0;
    do {
      e.m_bIntensity = RandomChance();
      e.m_bSize = RandomChance();
      ++iTries;
    } while (!e.m_bIntensity && !e.m_bSize);
    bRetried |= iTries > 1;
    RandomColourPair(e.m_crLetter, e.m_Paper.m_crColour);
    e.m_iCount = RandomInt(625, 850);
    e.m_dSize = RandomReal(2.5, 7.5);
    std::string csLetters(static_cast<std::size_t>(RandomInt(1, 10)), ' ');
    for (char& c : csLetters) c = static_cast<char>(RandomInt(65, 122));

    ASSERT_EQ(p.m_Paper.m_bUsePicture, bPaperPicture ? 1 : 0) << iSeed;
    ASSERT_EQ(p.m_iColourMode, e.m_iColourMode) << iSeed;
    ASSERT_EQ(sel.m_bInvert, bInvert) << iSeed;
    ASSERT_EQ(p.m_bIntensity, e.m_bIntensity) << iSeed;
    ASSERT_EQ(p.m_bSize, e.m_bSize) << iSeed;
    ASSERT_EQ(p.m_crLetter, e.m_crLetter) << iSeed;
    ASSERT_EQ(p.m_Paper.m_crColour, e.m_Paper.m_crColour) << iSeed;
    ASSERT_EQ(p.m_iCount, e.m_iCount) << iSeed;
    ASSERT_EQ(p.m_dSize, e.m_dSize) << iSeed;
    ASSERT_EQ(std::string(p.m_szLetters), csLetters) << iSeed;
  }
  EXPECT_TRUE(bPicture);
  EXPECT_TRUE(bModeDrawn);
  EXPECT_TRUE(bRetried);
}
