// The catalogue of Xforms: 28 transforms in alphabetical order and "Null"
// (index 28) for none, each name in a fixed 256-character slot.
#pragma once

#include <cstdint>
#include <string>

constexpr int kXformCount = 28;  // real Xforms; the loops over Xforms use this
constexpr int kXformSlotLength = 256;

enum : std::int32_t {
  XFORM_BANYA = 0,
  XFORM_BUBBLE,
  XFORM_CLOUDS,
  XFORM_EXPLODE,
  XFORM_FALLEN_LEAVES,
  XFORM_FALLEN_LETTERS,
  XFORM_FLOWERS,
  XFORM_HAAISI,
  XFORM_IVY,
  XFORM_KLEE,
  XFORM_LIQUID_ENERGY,
  XFORM_MAD_PAINTER,
  XFORM_MARILYN_WARHOL,
  XFORM_MIST,
  XFORM_MOSAIC,
  XFORM_NET,
  XFORM_OLD_FILM,
  XFORM_OP_ART,
  XFORM_PEARLS,
  XFORM_PHASES,
  XFORM_PRIMITIVE_ART,
  XFORM_RELIEF_MAP,
  XFORM_STARDUST,
  XFORM_SWARM,
  XFORM_TEKNO_FRAG,
  XFORM_TEXT,
  XFORM_WEB_FADE,
  XFORM_WOOD,
  XFORM_NULL,  // 28: no Xform
};

// The 29 name slots.
extern const char g_aszXformNames[kXformCount + 1][kXformSlotLength];

// The slot text of index 0..28; "" for any other index.
const char* GetXformName(int iXform);
// The index of a name, case-insensitive, with spaces, dashes and underscores
// alike ("fallen-leaves", "Fallen Leaves"); -1 when there is none. Null is found too.
int FindXform(const std::string& csName);
