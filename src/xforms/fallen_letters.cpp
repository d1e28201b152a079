#include "xforms/fallen_letters.h"

#include <cmath>
#include <cstring>

#include "imaging/constants.h"
#include "imaging/file_utils.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "xforms/progress.h"

int ValidateFallenLetters(FallenLettersParams& p) {
  p.m_szLetters[kFallenLettersSize - 1] = '\0';
  if (p.m_szLetters[0] == '\0') std::strcpy(p.m_szLetters, "A");
  if (p.m_iCount < 400) p.m_iCount = 400;
  if (p.m_iCount > 850) p.m_iCount = 850;
  return 1;
}

void AutochooseFallenLetters(FallenLettersParams& p, AreaSelection& sel) {
  ChooseBackground(p.m_Paper, 1.0, 15);
  if (p.m_Paper.m_bUsePicture)
    p.m_iColourMode = FALLEN_COLOUR_PICTURE;
  else if (RandomInt(0, 100) < 75)
    p.m_iColourMode = FALLEN_COLOUR_PICTURE;
  else
    p.m_iColourMode = RandomInt(FALLEN_COLOUR_FIXED, FALLEN_COLOUR_RANDOM);
  sel.m_bInvert = RandomChance();
  do {
    p.m_bIntensity = RandomChance();
    p.m_bSize = RandomChance();
  } while (!p.m_bIntensity && !p.m_bSize);
  RandomColourPair(p.m_crLetter, p.m_Paper.m_crColour);
  p.m_iCount = RandomInt(625, 850);
  // Many letters (above 424) are small ones, 2.5..7.5 % of the diagonal.
  p.m_dSize = p.m_iCount > 424 ? RandomReal(2.5, 7.5) : RandomReal(7.5, 15.0);
  const int n = RandomInt(1, 10);
  std::memset(p.m_szLetters, 0, sizeof p.m_szLetters);
  for (int i = 0; i < n; ++i) p.m_szLetters[i] = static_cast<char>(RandomInt(65, 122));
}

const char* CheckFallenLettersSettings(FallenLettersParams& p) {
  if (!p.m_bIntensity && !p.m_bSize) return "You must choose at least one of\nIntensity Size";
  p.m_szLetters[kFallenLettersSize - 1] = '\0';
  if (p.m_szLetters[0] == '\0')
    return "You must type at least one character\nin the \"Letters\" box";
  if (StripWhiteSpace(p.m_szLetters) == 0)
    return "You must type at least one (non space) character\nin the \"Letters\" box";
  return nullptr;
}

void DrawFallenLetter(CDC& dc, char cLetter, int x, int y, int iAngle, LOGFONT lf) {
  lf.lfEscapement = iAngle * 10;
  // The offset is measured in the font already selected in the DC, not in
  // the letter's own font: that is how the letters have always been placed.
  SIZE extent{};
  dc.GetTextExtentPoint(&cLetter, 1, &extent);
  HFONT hFont = CreateFontIndirect(lf);
  if (!hFont) return;  // a letter whose font cannot be made is left out
  HFONT hOldFont = dc.SelectObject(hFont);
  const int dx = static_cast<int>(std::cos((iAngle + 45) * TWO_PI / 360) * extent.cx);
  dc.TextOut(x - dx, y, &cLetter, 1);
  dc.SelectObject(hOldFont);
  DeleteObject(hFont);
}

int ApplyFallenLetters(const FallenLettersParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  if (!ctx.ShippedFontsWhole()) return 0;
  CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight;
  const int s = out.m_iWidth / w;
  const int L = static_cast<int>(strnlen(p.m_szLetters, kFallenLettersSize - 1));
  std::atomic<int>* pPercent = ctx.m_pPercent;

  // The status text shows the letters themselves while they fall.
  char szLetters[kFallenLettersSize] = {};
  std::memcpy(szLetters, p.m_szLetters, static_cast<std::size_t>(L));
  SetPercent(pPercent, 0, 5, 100, szLetters);
  FillBackground(out, in, p.m_Paper);
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  const LOGFONT lf = p.m_lfFont;
  const COLORREF crOldText = dc.SetTextColor(p.m_crLetter);
  const int iOldBkMode = dc.SetBkMode(TRANSPARENT);

  const double W = out.m_iWidth, H = out.m_iHeight;
  const double dSize = (p.m_dSize >= 0.0 && p.m_dSize <= 100.0)
                           ? BoundedDiagonal(W, H) * p.m_dSize * 0.01
                           : 3.0;
  const char cOnly = L > 0 ? p.m_szLetters[0] : 'A';
  int iCount = 0;
  while (!ctx.Stopped()) {
    const int x = RandomInt(0, w - 1);
    const int y = RandomInt(0, h - 1);
    const int m = ForceAt(pField, x, y, w);
    const bool bFalls = !p.m_bIntensity || m >= RandomInt(0, 253);
    if (bFalls) {
      LOGFONT lfLetter = lf;
      // A height of 0 would ask for the default font size: at least one pixel.
      const int iHeight = static_cast<int>(p.m_bSize ? dSize * m / 127 : dSize);
      lfLetter.lfHeight = iHeight < 1 ? 1 : iHeight;
      const int iAngle = RandomInt(0, 359);
      const char cLetter = L < 2 ? cOnly : p.m_szLetters[RandomInt(0, L - 1)];
      if (p.m_iColourMode == FALLEN_COLOUR_PICTURE)
        dc.SetTextColor(JitterColour(in.m_pDC->GetPixel(x, y), 0.2));
      else if (p.m_iColourMode == FALLEN_COLOUR_RANDOM)
        dc.SetTextColor(RandomColour());
      DrawFallenLetter(dc, cLetter, x * s, y * s, iAngle, lfLetter);
      ++iCount;
      if (p.m_iCount > 0) SetPercent(pPercent, 20, 100, 100 * iCount / p.m_iCount);
    }
    if (iCount >= p.m_iCount) break;
  }

  SetPercent(pPercent, 0, 100, 101);
  SetStatusText("");
  pField.reset();
  dc.SetTextColor(crOldText);
  dc.SetBkMode(iOldBkMode);
  return ctx.Stopped() ? 0 : 1;
}
