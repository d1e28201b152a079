// Text: the picture redrawn as lettering. A phrase is written over and over,
// one letter per cell of a grid, row after row. In the overtype mode every
// letter has one colour and dark cells receive up to nine letters on the same
// spot, so that darkness becomes ink; in the image mode each letter takes the
// brightened colour of the picture under it. The paper is a colour or the
// picture itself.
//
// The phrase is stored as single bytes, Windows-1252 characters, which is how
// the text drawing decodes them.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/xform_helpers.h"
#include "platform/gdi/font.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

enum : std::int32_t {
  TEXT_MODE_OVERTYPE = 1088,  // "S&olid color overtype"
  TEXT_MODE_IMAGE = 1089,     // "I&mage"
};

constexpr int kTextPhraseSize = 256;  // bytes, with the terminator
constexpr int kTextBuiltInPhrases = 4;
// The built-in phrases; 0 is the default and replaces an empty phrase.
extern const char* const kTextPhrases[kTextBuiltInPhrases];

struct TextParams {
  COLORREF m_crLetters = RGB(255, 255, 255);
  BackgroundSpec m_Paper;         // black, or the picture
  std::int32_t m_iAcross = 50;    // letters in the width of the picture, 20..80
  std::int32_t m_bWizard = 1;
  char m_szPhrase[kTextPhraseSize] = "It was a dark and stormy night,";
  std::int32_t m_iMode = TEXT_MODE_OVERTYPE;
  LOGFONT m_lfFont = {0, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"};  // height set by Apply
};
static_assert(std::is_trivially_copyable_v<TextParams>);

// The check of the settings dialog's OK: a phrase that fills its whole field
// (no terminator) gives "Too many characters in the phrases" and keeps the
// dialog open. Null when the settings can be taken.
const char* CheckTextSettings(TextParams& p);

inline constexpr auto kTextForm = MakeForm<TextParams>(
    221, "Text Settings",
    Group("Letters",
          Colour(&TextParams::m_crLetters, "letters_colour", 1131, 1118, "Select")
              .EnabledWhen([](const TextParams& p) { return p.m_iMode == TEXT_MODE_OVERTYPE; }),
          Radios(&TextParams::m_iMode, "mode", "Letters",
                 {{TEXT_MODE_OVERTYPE, "S&olid color overtype", "overtype"},
                  {TEXT_MODE_IMAGE, "I&mage", "image"}})),
    Group("Paper", Background(&TextParams::m_Paper, "paper", 1130, 1120, "Select", "paper_picture")
                       .FlagRadios({1086, "&Solid color"}, {1087, "&Image"})),
    IntPair(&TextParams::m_iAcross, "letters_across", 1178, 1179,
            "Number of letters (in width of image)", 20, 80)
        .EditAccepts(1, 500),
    Text<&TextParams::m_szPhrase>("phrase", 1266, "Phrase", 200),
    Font<&TextParams::m_lfFont>("font", 1265, 1267, "&Font:"),
    Note<TextParams>("F1 for help on this dialog"), WizardSwitch(&TextParams::m_bWizard))
    .CheckedBy(&CheckTextSettings);

// Letters across into 20..80; a phrase without a terminator is cut to 255
// characters, an empty one becomes phrase 0. Always 1.
int ValidateText(TextParams& p);
// Paper (ChooseBackground 0.25, 10), mode, letters colour, letters across,
// phrase, drawn in that order.
void AutochooseText(TextParams& p, int iWidth, int iHeight);
// 1 when the lettering is drawn; 0 on a bad context, no force field, a font
// that cannot be made, or a stop.
int ApplyText(const TextParams& p, XformContext& ctx);

// The font height Apply uses on an output iOutWidth wide at scale s with
// iAcross letters: 3/(2n) of the width at s = 2 or 4, 4/(3n) at s = 1, and at
// least one pixel.
int TextFontHeight(int iOutWidth, int s, int iAcross);
// Letters printed in an overtype cell of force f: 1 (white) .. 9 (black).
int TextOvertypeCount(int f);
