// Old Film: the picture as a frame of old, damaged black-and-white film. It
// is developed into grey levels from its force field (with processing errors,
// from a random colour selection), optionally framed by black or white film
// edges with sprocket holes, dirtied with dust dots, short scratches and
// hairs, and finally crossed by vertical scratch lines with specks of dirt.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct OldFilmParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_bSprockets = 0;
  std::int32_t m_bErrors = 1;      // develop from a random colour selection
  std::int32_t m_iScratches = 20;  // vertical scratches, 0..40
  std::int32_t m_iDirtiness = 75;  // 0..150; four marks per unit
};
static_assert(std::is_trivially_copyable_v<OldFilmParams>);

inline constexpr auto kOldFilmForm = MakeForm<OldFilmParams>(
    205, "Old Film Settings",
    Check(&OldFilmParams::m_bSprockets, "sprockets", 1222, "Sprockets"),
    Check(&OldFilmParams::m_bErrors, "processing_errors", 1223, "Film processiong errors"),
    IntPair(&OldFilmParams::m_iScratches, "vertical_scratches", 1220, 1224, "Vertical scratches",
            0, 40)
        .EditAccepts(0, 100),
    IntPair(&OldFilmParams::m_iDirtiness, "dirtiness", 1219, 1221, "Dirtiness of film", 0, 150)
        .EditAccepts(-1000, 1000),
    Note<OldFilmParams>("F1 for help with out of date films"),
    WizardSwitch(&OldFilmParams::m_bWizard, "&Wizard Chooses"));

// Dirtiness into 0..150, vertical scratches into 0..40. Always 1.
int ValidateOldFilm(OldFilmParams& p);
// Dirtiness, sprockets, processing errors, then the number of vertical
// scratches (always some with sprockets; otherwise none one time in twenty),
// drawn in that order.
void AutochooseOldFilm(OldFilmParams& p);
// 1 when the film is made, 0 on a bad context, no force field or a stop.
int ApplyOldFilm(const OldFilmParams& p, XformContext& ctx);
