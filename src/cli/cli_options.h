// Parsing of vexmora-cli's option values, kept apart from the command-line
// framework so that they can be tested on their own. Each parser returns
// false with a reason in csError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/filspec.h"
#include "engine/recipe.h"  // MixModeName, MakeSelection and the other shared value rules
#include "imaging/area_selection.h"

// "MODE[:PERCENT]": off, even, left-right, top-bottom, right-left, bottom-top,
// circle-out, circle-in, ellipse-out, ellipse-in, hsv; the percent 1..99.
bool ParseMix(const std::string& csText, MixSettings& mix, std::string& csError);

// "HUE,SAT,VAL[,invert][,smooth=N]": hue 0..360, saturation and value 0..1,
// smoothing 0..8.
bool ParseSelection(const std::string& csText, AreaSelection& sel, std::string& csError);

// 1, 2 or 4.
bool ParseQuality(const std::string& csText, int& iQuality, std::string& csError);

// The Xform of a catalogue name (case-insensitive, spaces or dashes alike):
// -1 and a message for an unknown name or Null.
int ParseXformName(const std::string& csName, std::string& csError);

// "NAME=VALUE" applied to the current Xform's record through its declared form.
bool ApplySetting(CFilSpec& spec, const std::string& csAssignment, std::string& csError);

// The output name of idea iNumber (1-based): every "%d" of the pattern
// replaced by the number.
std::string OutputName(const std::string& csPattern, int iNumber);
// Whether the pattern holds "%d".
bool HasNumberSlot(const std::string& csPattern);

// The seed of idea iNumber (1-based) of a batch whose first seed is iFirst:
// iFirst itself for the first idea, then values mixed from both, so that the
// ideas of a batch differ as much as unrelated ones (the random generator
// starts nearly alike from neighbouring seeds). 0..2^31-1 after the first.
std::uint32_t BatchSeed(std::uint32_t iFirst, int iNumber);

// The seeds a person types (--seed): 0..4294967295.
constexpr long long kMaxTypedSeed = 4294967295LL;
// The engine's seed of a typed one: a fixed 32-bit integer hash, so that
// neighbouring typed seeds give unrelated ideas (the generator starts nearly
// alike from neighbouring engine seeds). 0..2^31-1, as the generator reads
// 31 bits.
std::uint32_t EngineSeed(std::uint32_t iTyped);

// The ideas of "1,3,5-9" (each 1..iCount), in the order given, each once.
bool ParseIdeaList(const std::string& csText, int iCount, std::vector<int>& aNumbers,
                   std::string& csError);
