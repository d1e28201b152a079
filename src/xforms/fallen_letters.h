// Fallen Letters: single letters scattered over the picture, each turned by a
// random angle, like letters spilled from a type case. Intensity lets more
// letters fall where the picture is bright; Size makes them larger there.
// Letter colour fixed, from the picture or random; paper a colour or the
// picture.
//
// The letter set is stored as single bytes, Windows-1252 characters, which is
// how the text drawing decodes them.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "imaging/xform_helpers.h"
#include "platform/gdi/font.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

class CDC;

enum : std::int32_t {
  FALLEN_COLOUR_FIXED = 0,
  FALLEN_COLOUR_PICTURE = 1,
  FALLEN_COLOUR_RANDOM = 2,
};

constexpr int kFallenLettersSize = 27;  // at most 26 letters and the terminator

struct FallenLettersParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_bIntensity = 1;  // more letters fall where the force is high
  std::int32_t m_bSize = 0;       // letters are larger where the force is high
  COLORREF m_crLetter = RGB(255, 255, 255);
  BackgroundSpec m_Paper;
  std::int32_t m_iCount = 625;    // letters in all, 400..850
  std::int32_t m_iColourMode = FALLEN_COLOUR_FIXED;
  double m_dSize = 8.75;          // average letter size, % of the picture's diagonal
  LOGFONT m_lfFont = {0, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"};
  char m_szLetters[kFallenLettersSize] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
};
static_assert(std::is_trivially_copyable_v<FallenLettersParams>);

// The checks of the settings dialog's OK, in order: neither Intensity nor
// Size, an empty letter set, a letter set of white space only. The letters
// are stored with their white space removed. Null when the settings can be
// taken, else the message to show (the dialog then stays open).
const char* CheckFallenLettersSettings(FallenLettersParams& p);

inline constexpr auto kFallenLettersForm = MakeForm<FallenLettersParams>(
    182, "Fallen Letters Settings",
    Check(&FallenLettersParams::m_bIntensity, "intensity", 1124, "&Intensity"),
    Check(&FallenLettersParams::m_bSize, "size", 1125, "&Size"),
    Group("Letter Color",
          Colour(&FallenLettersParams::m_crLetter, "letter_colour", 1131, 1013, "Solid")
              .EnabledWhen([](const FallenLettersParams& p) {
                return p.m_iColourMode == FALLEN_COLOUR_FIXED;
              }),
          Choice(&FallenLettersParams::m_iColourMode, "colour_mode", 1183, "Letter Color",
                 {{FALLEN_COLOUR_FIXED, "Fixed color", "fixed"},
                  {FALLEN_COLOUR_PICTURE, "Color from image", "picture"},
                  {FALLEN_COLOUR_RANDOM, "Random color", "random"}})),
    Group("Background color",
          Background(&FallenLettersParams::m_Paper, "paper", 1130, 1017, "Solid", "paper_picture")
              // Mnemonics of their own: Alt+S and Alt+I belong to Size and Intensity.
              .FlagRadios({1086, "S&olid color"}, {1087, "I&mage"})),
    IntPair(&FallenLettersParams::m_iCount, "letter_count", 1178, 1179, "Total Number of Letters",
            400, 850)
        .EditAccepts(0, 4000),
    RealPair(&FallenLettersParams::m_dSize, "letter_size", 1180, 1181,
             "Average Letter Size (% of diagonal)", 2.5, 15.0)
        .EditChars(8),
    Font<&FallenLettersParams::m_lfFont>("font", 1265, 1267, "&Font:"),
    Text<&FallenLettersParams::m_szLetters>("letters", 1177, "Letters:", 26),
    Note<FallenLettersParams>("F1 for help on this dialog"),
    WizardSwitch(&FallenLettersParams::m_bWizard, "&Wizard Chooses")).CheckedBy(&CheckFallenLettersSettings);

// An empty letter set becomes "A" (one without a terminator is cut to 26
// letters); the number of letters is clamped into 400..850. Always 1.
int ValidateFallenLetters(FallenLettersParams& p);
// Paper, colour mode, the selection's invert flag, intensity and size, the
// colour pair, number of letters, letter size, letter set, in that order.
void AutochooseFallenLetters(FallenLettersParams& p, AreaSelection& sel);
// 1 when every letter has fallen; 0 on a bad context, no force field or a stop.
int ApplyFallenLetters(const FallenLettersParams& p, XformContext& ctx);

// Draws one letter turned by iAngle degrees with its left top at about
// (x, y): the offset that centres the turn is measured in the font the DC
// has selected (its default font) before the letter's own font is made from
// lf with the escapement set. Leaves the DC's font as it was.
void DrawFallenLetter(CDC& dc, char cLetter, int x, int y, int iAngle, LOGFONT lf);
