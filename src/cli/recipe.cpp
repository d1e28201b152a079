#include "cli/recipe.h"

#include <cmath>
#include <cstdint>
#include <fstream>

#include <nlohmann/json.hpp>

#include "cli/cli_options.h"
#include "imaging/file_utils.h"

using nlohmann::json;

namespace {

constexpr int kRecipeVersion = 1;

json SelectionToJson(const AreaSelection& sel) {
  return json{{"hue", sel.m_dHue},
              {"saturation", sel.m_dSat},
              {"value", sel.m_dVal},
              {"invert", sel.m_bInvert != 0},
              {"smooth", sel.m_iSmooth}};
}

// The recipe's JSON is checked by type and range before anything is
// converted: a value of the wrong type or outside the range of the matching
// command-line option is refused with the option's message.

// A whole number within iMin..iMax (a number with a fraction, or beyond
// the range, is not).
bool WholeNumber(const json& j, long long iMin, long long iMax, long long& iValue) {
  if (j.is_number_unsigned()) {
    const std::uint64_t u = j.get<std::uint64_t>();
    if (iMax < 0 || u > static_cast<std::uint64_t>(iMax)) return false;
    iValue = static_cast<long long>(u);
  } else if (j.is_number_integer()) {
    iValue = j.get<std::int64_t>();
  } else if (j.is_number_float()) {
    const double d = j.get<double>();
    if (!(d >= static_cast<double>(iMin) && d <= static_cast<double>(iMax)) || d != std::floor(d))
      return false;
    iValue = static_cast<long long>(d);
  } else {
    return false;
  }
  return iValue >= iMin && iValue <= iMax;
}

bool WholeField(const json& j, const char* szKey, long long iDefault, long long iMin,
                long long iMax, long long& iValue, std::string& csError) {
  iValue = iDefault;
  if (!j.contains(szKey) || WholeNumber(j[szKey], iMin, iMax, iValue)) return true;
  csError = std::string("the recipe's ") + szKey + " must be a whole number from " +
            std::to_string(iMin) + " to " + std::to_string(iMax);
  return false;
}

bool BoolField(const json& j, const char* szKey, bool bDefault, bool& bValue,
               std::string& csError) {
  bValue = bDefault;
  if (!j.contains(szKey)) return true;
  if (!j[szKey].is_boolean())
    return csError = std::string("the recipe's ") + szKey + " must be true or false", false;
  bValue = j[szKey].get<bool>();
  return true;
}

bool RealField(const json& j, const char* szKey, double dDefault, double& dValue,
               std::string& csError) {
  dValue = dDefault;
  if (!j.contains(szKey)) return true;
  if (!j[szKey].is_number())
    return csError = std::string("the selection's ") + szKey + " must be a number", false;
  dValue = j[szKey].get<double>();
  return true;
}

// A selection read as --select reads it: hue 0..360, saturation and value
// 0..1, smoothing 0..8.
bool SelectionFromJson(const json& j, AreaSelection& sel, std::string& csError) {
  if (!j.is_object()) return csError = "a selection must be an object", false;
  double h, s, v;
  long long iSmooth;
  bool bInvert;
  if (!RealField(j, "hue", 0.0, h, csError) || !RealField(j, "saturation", 0.0, s, csError) ||
      !RealField(j, "value", 1.0, v, csError) || !BoolField(j, "invert", false, bInvert, csError))
    return false;
  if (!WholeNumber(j.value("smooth", json(0)), 0, 8, iSmooth))
    return csError = "the selection's smoothing must be a whole number from 0 to 8", false;
  return MakeSelection(h, s, v, bInvert, iSmooth, sel, csError);
}

// No recipe the program writes is larger or nests deeper than this.
constexpr std::size_t kMaxRecipeBytes = 1 << 20;
constexpr int kMaxNesting = 16;

// Whether the arrays and objects of a JSON text nest at most iMax deep
// (counted before parsing, so that no deep value is ever built).
bool NestingWithin(const std::string& csJson, int iMax) {
  int iDepth = 0;
  bool bInString = false;
  for (std::size_t i = 0; i < csJson.size(); ++i) {
    const char c = csJson[i];
    if (bInString) {
      if (c == '\\') ++i;
      else if (c == '"') bInString = false;
    } else if (c == '"') {
      bInString = true;
    } else if (c == '[' || c == '{') {
      if (++iDepth > iMax) return false;
    } else if (c == ']' || c == '}') {
      --iDepth;
    }
  }
  return true;
}

// Every value as the text the declared form reads: numbers stay numbers in
// the JSON, switches booleans, a font an object of its fields (a record the
// readable fields cannot restore stays a hexadecimal string), the rest strings.
json ValueToJson(const NamedValue& v) {
  switch (v.m_eShape) {
    case EValueShape::Number: {
      json n = json::parse(v.m_csValue, nullptr, false);
      return n.is_number() ? n : json(v.m_csValue);
    }
    case EValueShape::Switch:
      return v.m_csValue != "0";
    case EValueShape::Font: {
      LOGFONT lf;
      std::string csError;
      if (!FontFromText(v.m_csValue, lf, csError) || !IsReadableFont(lf)) return v.m_csValue;
      json font = json::object();
      for (const auto& [csKey, csValue] : FontFields(lf))
        font[csKey] = csKey == "face" ? json(csValue) : json(std::stol(csValue));
      return font;
    }
    default:
      return v.m_csValue;
  }
}

// A scalar as the text SetFieldFromText reads: numbers as the shortest text
// that reads back as the same double (whole numbers without a fraction).
bool ScalarText(const json& j, std::string& csText) {
  if (j.is_string()) csText = j.get<std::string>();
  else if (j.is_boolean()) csText = j.get<bool>() ? "1" : "0";
  else if (j.is_number_integer()) csText = j.dump();
  else if (j.is_number_float()) csText = NumberText(j.get<double>());
  else return false;
  return true;
}

// The text of a parameter, read by the type its field has in a recipe:
// numbers for sliders, booleans (or 0/1) for switches, strings (or a
// control id) for words, an object of scalars or the hexadecimal string for
// a font.
bool JsonToText(const std::string& csName, EValueShape eShape, const json& j,
                std::string& csText, std::string& csError) {
  switch (eShape) {
    case EValueShape::Number:
      if (!j.is_number()) return csError = csName + " must be a number", false;
      break;
    case EValueShape::Switch:
      if (!j.is_boolean() && !j.is_number_integer())
        return csError = csName + " must be true or false", false;
      break;
    case EValueShape::Word:
      if (!j.is_string() && !j.is_number_integer())
        return csError = csName + " must be a string", false;
      break;
    case EValueShape::Font:
      if (j.is_object()) {
        csText.clear();
        for (auto it = j.begin(); it != j.end(); ++it) {
          std::string csValue;
          if (!ScalarText(it.value(), csValue))
            return csError = "the font's " + QuotedValue(it.key()) +
                             " must be a string or a number",
                   false;
          if (csValue.find(',') != std::string::npos)
            return csError = "the font's " + QuotedValue(it.key()) + " cannot hold a comma", false;
          csText += (csText.empty() ? "" : ",") + it.key() + "=" + csValue;
        }
        return true;
      }
      if (!j.is_string()) return csError = csName + " must be an object of font fields", false;
      break;
    case EValueShape::None:
      break;
  }
  if (!ScalarText(j, csText)) return csError = csName + " must be a single value", false;
  return true;
}

}  // namespace

std::string RecipeToJson(const Recipe& recipe) {
  const CFilSpec& spec = recipe.m_Spec;
  json j;
  j["vexmora_recipe"] = kRecipeVersion;
  j["xform"] = GetXformName(spec.m_iXform);
  j["seed"] = spec.m_iSeed;
  j["wizard_all"] = spec.m_bWizardAll != 0;
  j["quality"] = recipe.m_iQuality;
  j["mix"] = json{{"mode", MixModeName(spec.m_Mix.m_iMixMode)},
                  {"percent", spec.m_Mix.m_iPercent},
                  {"selection", SelectionToJson(spec.m_Mix.m_Selection)}};
  j["selection"] = SelectionToJson(spec.m_Select);
  json params = json::object();
  const CFormRef form = CFilSpec::Form(spec.m_iXform);
  if (const void* pRecord = spec.Record(spec.m_iXform); pRecord && !form.IsEmpty()) {
    for (const NamedValue& v : FormValues(form, pRecord)) params[v.m_csName] = ValueToJson(v);
  }
  j["parameters"] = params;
  return j.dump(2) + "\n";
}

bool RecipeFromJson(const std::string& csJson, Recipe& recipe, std::string& csError) {
  if (csJson.size() > kMaxRecipeBytes)
    return csError = "the recipe is larger than " + std::to_string(kMaxRecipeBytes >> 20) + " MB",
           false;
  if (!NestingWithin(csJson, kMaxNesting))
    return csError = "the recipe nests deeper than " + std::to_string(kMaxNesting) + " levels",
           false;
  json j = json::parse(csJson, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return csError = "the recipe is not a JSON object", false;
  try {
    long long iVersion, iSeed, iQuality;
    if (!j.contains("vexmora_recipe") || !WholeNumber(j["vexmora_recipe"], 0, 1000, iVersion) ||
        iVersion != kRecipeVersion)
      return csError = "not a vexmora recipe (version 1)", false;
    Recipe result;
    CFilSpec& spec = result.m_Spec;
    if (!j.contains("xform") || !j["xform"].is_string())
      return csError = "the recipe names no Xform", false;
    const int iXform = ParseXformName(j["xform"].get<std::string>(), csError);
    if (iXform < 0) return false;
    spec.m_iXform = iXform;
    // A seed is stored as 32 bits; either reading of them is accepted.
    if (!WholeField(j, "seed", 0, INT32_MIN, UINT32_MAX, iSeed, csError)) return false;
    spec.m_iSeed = static_cast<std::int32_t>(static_cast<std::uint32_t>(iSeed));
    if (!WholeField(j, "quality", 1, 1, 4, iQuality, csError) || iQuality == 3)
      return csError = "the recipe's quality must be 1, 2 or 4", false;
    result.m_iQuality = static_cast<int>(iQuality);
    bool bWizardAll;
    if (!BoolField(j, "wizard_all", false, bWizardAll, csError)) return false;
    spec.m_bWizardAll = bWizardAll ? 1 : 0;
    if (j.contains("mix")) {
      const json& mix = j["mix"];
      if (!mix.is_object()) return csError = "the recipe's mix must be an object", false;
      const json mode = mix.value("mode", json("off"));
      if (!mode.is_string() || !(spec.m_Mix.m_iMixMode = MixModeFromName(mode.get<std::string>())))
        return csError = "unknown mix mode in the recipe", false;
      long long iPercent;
      if (!WholeNumber(mix.value("percent", json(50)), 1, 99, iPercent))
        return CheckMixPercent(-1, csError);
      spec.m_Mix.m_iPercent = static_cast<std::int32_t>(iPercent);
      if (mix.contains("selection") &&
          !SelectionFromJson(mix["selection"], spec.m_Mix.m_Selection, csError))
        return csError = "the mix's selection: " + csError, false;
    }
    if (j.contains("selection") && !SelectionFromJson(j["selection"], spec.m_Select, csError))
      return false;
    if (j.contains("parameters")) {
      const json& params = j["parameters"];
      if (!params.is_object()) return csError = "the parameters must be an object", false;
      const CFormRef form = CFilSpec::Form(iXform);
      void* pRecord = spec.Record(iXform);
      for (auto it = params.begin(); it != params.end(); ++it) {
        if (form.IsEmpty() || !pRecord)
          return csError = "the recipe's Xform has no parameters yet", false;
        const EValueShape eShape = ValueShapeOf(form, it.key());
        if (eShape == EValueShape::None)
          return csError = "unknown parameter " + QuotedValue(it.key()), false;
        // Every value within the range --set accepts, or what the wizard
        // may have chosen beyond it (the recipes the program writes replay).
        std::string csText;
        if (!JsonToText(it.key(), eShape, it.value(), csText, csError) ||
            !SetFieldFromText(form, pRecord, it.key(), csText, csError, false))
          return false;
      }
    }
    recipe = result;
    return true;
  } catch (const json::exception& e) {
    csError = std::string("bad recipe: ") + e.what();
    return false;
  }
}

bool WriteRecipeFile(const std::string& csPath, const Recipe& recipe, std::string& csError) {
  // Through a temporary file: a failed write keeps an older recipe intact.
  const std::string csJson = RecipeToJson(recipe);
  if (const int iError = WriteWholeFile(csPath, csJson.data(), csJson.size()))
    return csError = "cannot write " + csPath + ": " + SystemReason(iError), false;
  return true;
}

bool ReadRecipeFile(const std::string& csPath, Recipe& recipe, std::string& csError) {
  std::ifstream f(csPath, std::ios::binary);
  if (!f) return csError = "cannot read " + csPath, false;
  // One byte more than a recipe may hold tells a longer file (or an endless
  // one) without reading all of it.
  std::string csJson(kMaxRecipeBytes + 1, '\0');
  f.read(csJson.data(), static_cast<std::streamsize>(csJson.size()));
  if (f.bad()) return csError = "cannot read " + csPath, false;
  csJson.resize(static_cast<std::size_t>(f.gcount()));
  return RecipeFromJson(csJson, recipe, csError);
}
