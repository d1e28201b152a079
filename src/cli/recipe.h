// Recipes: a whole CFilSpec (Xform, its parameters by their
// declared names, mix, selection, seed) and the image quality as JSON. A
// recipe replays its own seed and parameters, so it regenerates the same
// idea later or elsewhere; numbers are written so that they read back
// exactly.
#pragma once

#include <string>

#include "engine/filspec.h"

struct Recipe {
  CFilSpec m_Spec;
  int m_iQuality = 1;
};

// The JSON text of a recipe (pretty-printed, ends with a newline).
std::string RecipeToJson(const Recipe& recipe);
// Reads a recipe; false with a reason in csError. Parameters not named keep
// the Xform's defaults.
bool RecipeFromJson(const std::string& csJson, Recipe& recipe, std::string& csError);

bool WriteRecipeFile(const std::string& csPath, const Recipe& recipe, std::string& csError);
bool ReadRecipeFile(const std::string& csPath, Recipe& recipe, std::string& csError);
