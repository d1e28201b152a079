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

// What an Xform's Autochoose receives besides its record.
enum : int {
  AUTO_NOTHING = 0,
  AUTO_SELECTION = 1,  // the recipe's area selection (which it may change)
  AUTO_SIZE = 2,       // the original's width and height
  AUTO_ORIGINAL = 4,   // the original surface
  AUTO_NONE = 8,       // no Autochoose at all (Web Fade)
};

struct XformInfo {
  const char* m_szName;
  int m_iDialogId;          // settings dialog resource id (0 for Null)
  const char* m_szCaption;  // settings dialog caption
  int m_iAutoInputs;
  bool m_bHasWizard;
};

// The 29 name slots.
extern const char g_aszXformNames[kXformCount + 1][kXformSlotLength];

// The slot text of index 0..28; "" for any other index.
const char* GetXformName(int iXform);
// Index 0..28 (Null included) of the entry; an index out of range gives Null's.
const XformInfo& GetXformInfo(int iXform);
// The index of a name, case-insensitive, with spaces, dashes and underscores
// alike ("fallen-leaves", "Fallen Leaves"); -1 when there is none. Null is found too.
int FindXform(const std::string& csName);
