// Recipes: a whole CFilSpec (Xform, its parameters by their
// declared names, mix, selection, seed) and the image quality as JSON. A
// recipe replays its own seed and parameters, so it regenerates the same
// idea later or elsewhere; numbers are written so that they read back
// exactly. The format is described in docs/cli.md; sequence files
// (engine/sequence_file.h) hold one recipe per idea.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "engine/filspec.h"
#include "imaging/area_selection.h"

struct Recipe {
  CFilSpec m_Spec;
  int m_iQuality = 1;
};

// The version a recipe's "vexmora_recipe" field holds.
constexpr int kRecipeVersion = 1;
// No recipe the program writes is larger or nests deeper than this.
constexpr std::size_t kMaxRecipeBytes = 1 << 20;
constexpr int kMaxRecipeNesting = 16;

// The JSON text of a recipe (pretty-printed, ends with a newline).
std::string RecipeToJson(const Recipe& recipe);
// A digest of the recipe alone (Xform, parameters, mix, selection,
// seed; not the quality): two equal digests stand for the same idea.
std::uint64_t RecipeDigest(const CFilSpec& spec);
// Reads a recipe; false with a reason in csError. Parameters not named keep
// the Xform's defaults.
bool RecipeFromJson(const std::string& csJson, Recipe& recipe, std::string& csError);

// The same as a JSON value, for files that hold recipes inside them. The
// reader checks every value as RecipeFromJson does (the caller bounds the
// text's size and nesting before parsing it).
nlohmann::json RecipeToJsonValue(const Recipe& recipe);
bool RecipeFromJsonValue(const nlohmann::json& j, Recipe& recipe, std::string& csError);

bool WriteRecipeFile(const std::string& csPath, const Recipe& recipe, std::string& csError);
// Reads a regular file of at most kMaxRecipeBytes (a pipe, device or folder
// is refused at once, without waiting for data).
bool ReadRecipeFile(const std::string& csPath, Recipe& recipe, std::string& csError);

// Reads a whole regular file of at most iMaxBytes into csText; a longer
// file, or one that is not a regular file, is refused with a message that
// names the path (szWhat: "the recipe", "the sequence").
bool ReadBoundedTextFile(const std::string& csPath, std::size_t iMaxBytes, const char* szWhat,
                         std::string& csText, std::string& csError);
// Whether the arrays and objects of a JSON text nest at most iMax deep
// (counted before parsing, so that no deep value is ever built).
bool JsonNestingWithin(const std::string& csJson, int iMax);

// The value rules recipes and the command line share.
// The name of a mix mode ("left-right"); "" for an unknown id.
std::string MixModeName(int iMode);
// The mix mode of a name (case-insensitive, "_" or " " for "-"), or 0.
int MixModeFromName(const std::string& csName);
// The selection of these values when each lies in its range: hue 0..360,
// saturation and value 0..1, smoothing 0..8.
bool MakeSelection(double dHue, double dSat, double dVal, bool bInvert, long long iSmooth,
                   AreaSelection& sel, std::string& csError);
// Whether a mix percentage lies in 1..99 (else csError says so).
bool CheckMixPercent(long long iPercent, std::string& csError);

// Parses a JSON text (bounded by the caller); false with a message that
// starts with szWhat: a number beyond a double's range names its field, a
// text cut short says so, other faults give the byte where they lie.
bool ParseJsonText(const std::string& csJson, const char* szWhat, nlohmann::json& j,
                   std::string& csError);
