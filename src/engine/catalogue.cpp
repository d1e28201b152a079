#include "engine/catalogue.h"

#include <cctype>

const char g_aszXformNames[kXformCount + 1][kXformSlotLength] = {
    "Banya",   "Bubble",       "Clouds",        "Explode",    "Fallen Leaves", "Fallen Letters",
    "Flowers", "Haaisi",       "Ivy",           "Klee",       "Liquid Energy", "Mad Painter",
    "Marilyn Warhol", "Mist",  "Mosaic",        "Net",        "Old Film",      "Op Art",
    "Pearls",  "Phases",       "Primitive Art", "Relief Map", "StarDust",      "Swarm",
    "Tekno Frag", "Text",      "Web Fade",      "Wood",       "Null",
};

namespace {
constexpr int S = AUTO_SELECTION, Z = AUTO_SIZE;

const XformInfo kInfo[kXformCount + 1] = {
    {g_aszXformNames[0], 186, "Banya Object Xform Settings", Z, true},
    {g_aszXformNames[1], 172, "Bubble Xform settings", S, true},
    {g_aszXformNames[2], 179, "Cloud Formation Settings", S, true},
    {g_aszXformNames[3], 207, "Explode Settings", AUTO_NOTHING, true},
    {g_aszXformNames[4], 222, "Fallen Leaves Settings", AUTO_NOTHING, true},
    {g_aszXformNames[5], 182, "Fallen Letters Settings", S, true},
    {g_aszXformNames[6], 208, "Flowers Settings", S, true},
    {g_aszXformNames[7], 203, "Haaisi Parameters", AUTO_NOTHING, true},
    {g_aszXformNames[8], 214, "Ivy Settings", S, true},
    {g_aszXformNames[9], 198, "Klee Xform Parameters", AUTO_NOTHING, true},
    {g_aszXformNames[10], 184, "Liquid Energy Settings", S, true},
    {g_aszXformNames[11], 178, "Mad Painter Settings", AUTO_ORIGINAL, true},
    {g_aszXformNames[12], 159, "Marylin Warhol Settings", AUTO_NOTHING, true},
    {g_aszXformNames[13], 180, "Mist Formation Settings", AUTO_NOTHING, true},
    {g_aszXformNames[14], 142, "Mosaic settings", Z, true},
    {g_aszXformNames[15], 192, "Net settings", Z, true},
    {g_aszXformNames[16], 205, "Old Film Settings", AUTO_NOTHING, true},
    {g_aszXformNames[17], 165, "Op Art Xform Settings", Z, true},
    {g_aszXformNames[18], 225, "Pearls on Silk", S | Z, true},
    {g_aszXformNames[19], 213, "Phases settings", Z, true},
    {g_aszXformNames[20], 219, "Primitive Art Settings", S, true},
    {g_aszXformNames[21], 176, "Aerial View Settings", S, true},
    {g_aszXformNames[22], 153, "Stardust Settings", AUTO_NOTHING, true},
    {g_aszXformNames[23], 168, "Swarm Xform Settings", AUTO_NOTHING, true},
    {g_aszXformNames[24], 224, "Tekno Cubism Settings", AUTO_NOTHING, true},
    {g_aszXformNames[25], 221, "Text Settings", Z, true},
    {g_aszXformNames[26], 204, "WEB Fading Settings", AUTO_NONE, false},
    {g_aszXformNames[27], 175, "Wood Settings", S, true},
    {g_aszXformNames[28], 0, "", AUTO_NONE, false},
};

std::string Key(const std::string& cs) {
  std::string csKey;
  for (char c : cs) {
    if (c == ' ' || c == '-' || c == '_') continue;
    csKey += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return csKey;
}
}  // namespace

const char* GetXformName(int iXform) {
  return iXform >= 0 && iXform <= kXformCount ? g_aszXformNames[iXform] : "";
}

const XformInfo& GetXformInfo(int iXform) {
  return kInfo[iXform >= 0 && iXform <= kXformCount ? iXform : kXformCount];
}

int FindXform(const std::string& csName) {
  const std::string csKey = Key(csName);
  if (csKey.empty()) return -1;
  for (int i = 0; i <= kXformCount; ++i)
    if (Key(g_aszXformNames[i]) == csKey) return i;
  return -1;
}
