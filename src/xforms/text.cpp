#include "xforms/text.h"

#include <cstring>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "platform/dc.h"
#include "xforms/progress.h"

const char* const kTextPhrases[kTextBuiltInPhrases] = {
    "It was a dark and stormy night,", "The time has come, the walrus said,",
    "My name is Ozimandias King of Kings,", "Mary Mary quite contrary,"};

namespace {

void SetPhrase(TextParams& p, const char* sz) {
  std::memset(p.m_szPhrase, 0, sizeof p.m_szPhrase);
  std::strncpy(p.m_szPhrase, sz, sizeof p.m_szPhrase - 1);
}

}  // namespace

int ValidateText(TextParams& p) {
  if (p.m_iAcross < 20) p.m_iAcross = 20;
  if (p.m_iAcross > 80) p.m_iAcross = 80;
  p.m_szPhrase[kTextPhraseSize - 1] = '\0';
  if (p.m_szPhrase[0] == '\0') SetPhrase(p, kTextPhrases[0]);
  return 1;
}

const char* CheckTextSettings(TextParams& p) {
  // The dialog shows such a phrase as "Errors"; it is only taken once edited.
  if (strnlen(p.m_szPhrase, kTextPhraseSize) >= static_cast<std::size_t>(kTextPhraseSize))
    return "Too many characters in the phrases";
  return nullptr;
}

void AutochooseText(TextParams& p, int iWidth, int /*iHeight*/) {
  ChooseBackground(p.m_Paper, 0.25, 10);
  if (p.m_Paper.m_bUsePicture) {
    p.m_iMode = TEXT_MODE_OVERTYPE;
    p.m_crLetters = RandomColour();
  } else {
    p.m_iMode = RandomInt(0, 100) >= 75 ? TEXT_MODE_OVERTYPE : TEXT_MODE_IMAGE;
  }
  if (p.m_iMode == TEXT_MODE_OVERTYPE && !p.m_Paper.m_bUsePicture) {
    if (RandomChance()) {
      // Letters and paper in complementary colours, the letters brightened
      // and the paper darkened.
      RandomColourPair(p.m_crLetters, p.m_Paper.m_crColour);
      p.m_crLetters = ScaleColour(p.m_crLetters, 3);
      p.m_Paper.m_crColour = ScaleColour(p.m_Paper.m_crColour, 0.5);
    } else {
      p.m_crLetters = RGB(0, 0, 0);
      p.m_Paper.m_crColour = RGB(255, 255, 255);
    }
  } else {
    // With the picture as paper this replaces the colour drawn above.
    p.m_crLetters = RandomColour();
  }
  p.m_iAcross = iWidth >= 450 ? RandomInt(20, 80) : RandomInt(20, 23);
  SetPhrase(p, kTextPhrases[RandomInt(0, kTextBuiltInPhrases - 1)]);
}

int TextFontHeight(int iOutWidth, int s, int iAcross) {
  if (iAcross < 1) iAcross = 1;
  const long long W = iOutWidth;
  const long long iHeight = (s == 2 || s == 4) ? W * 3 / (iAcross * 2) : W * 4 / (iAcross * 3);
  // A height of 0 would ask for the default font size, far too large for
  // the cells of a tiny picture.
  return iHeight < 1 ? 1 : static_cast<int>(iHeight);
}

int TextOvertypeCount(int f) { return 8 * (255 - f) / 255 + 1; }

int ApplyText(const TextParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  if (!ctx.ShippedFontsWhole()) return 0;
  const int s = ctx.ScaleFactor();
  CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int W = out.m_iWidth, H = out.m_iHeight, w = in.m_iWidth, h = in.m_iHeight;
  std::atomic<int>* pPercent = ctx.m_pPercent;

  SetPercent(pPercent, 0, 5, 100, "Composing...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(pPercent, 0, 10, 100);
  FillBackground(out, in, p.m_Paper);
  SetStatusText("Compositing...");

  const int n = p.m_iAcross;
  const CellGrid gIn(w, h, n);
  const CellGrid gOut(W, H, n);

  LOGFONT lf = p.m_lfFont;
  lf.lfHeight = TextFontHeight(W, s, n);
  HFONT hFont = CreateFontIndirect(lf);
  if (!hFont) return 0;
  HFONT hOldFont = dc.SelectObject(hFont);
  SIZE extent{};
  dc.GetTextExtentPoint("O", 1, &extent);
  const int dy = extent.cy / 2;

  // The phrase as validation leaves it: cut at its field's end, phrase 0
  // when empty (so that the letter index always has a phrase to run over).
  const char* pPhrase = p.m_szPhrase;
  int L = static_cast<int>(strnlen(pPhrase, kTextPhraseSize - 1));
  if (L == 0) {
    pPhrase = kTextPhrases[0];
    L = static_cast<int>(std::strlen(pPhrase));
  }
  int k = 0;

  const COLORREF crOldText = dc.SetTextColor(p.m_crLetters);
  const int iOldBkMode = dc.SetBkMode(TRANSPARENT);
  const UINT iOldAlign = dc.SetTextAlign(TA_CENTER | TA_TOP);

  const int iRows = gIn.m_iRows;
  for (int r = 0; r < iRows; ++r) {
    for (int c = 0; c < gIn.m_iColumns; ++c) {
      const POINT ptIn = gIn.Centre(c, r);
      POINT ptOut = gOut.Centre(c, r);
      ptOut.y -= dy;
      const int f = ForceAt(pField, ptIn.x, ptIn.y, w);
      if (p.m_iMode == TEXT_MODE_OVERTYPE) {
        // Darker cells get more letters of the phrase on the same spot.
        for (int m = TextOvertypeCount(f); m > 0; --m) {
          dc.TextOut(ptOut.x, ptOut.y, &pPhrase[k], 1);
          k = (k + 1) % L;
        }
      } else if (p.m_iMode == TEXT_MODE_IMAGE) {
        dc.SetTextColor(ScaleColour(in.m_pDC->GetPixel(ptIn.x, ptIn.y), 1.5));
        dc.TextOut(ptOut.x, ptOut.y, &pPhrase[k], 1);
        k = (k + 1) % L;
      }
    }
    SetPercent(pPercent, 10, 100, 100 * r / iRows);
    if (ctx.Stopped()) break;
  }

  dc.SetTextColor(crOldText);
  dc.SetBkMode(iOldBkMode);
  dc.SetTextAlign(iOldAlign);
  pField.reset();
  SetStatusText("");
  dc.SelectObject(hOldFont);
  DeleteObject(hFont);
  return ctx.Stopped() ? 0 : 1;
}
