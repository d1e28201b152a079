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

int FindXform(const std::string& csName) {
  const std::string csKey = Key(csName);
  if (csKey.empty()) return -1;
  for (int i = 0; i <= kXformCount; ++i)
    if (Key(g_aszXformNames[i]) == csKey) return i;
  return -1;
}
