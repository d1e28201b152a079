#include "cli/recipe.h"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/cli_options.h"

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

bool SelectionFromJson(const json& j, AreaSelection& sel, std::string& csError) {
  if (!j.is_object()) return csError = "a selection must be an object", false;
  AreaSelection result;
  const double h = j.value("hue", 0.0), s = j.value("saturation", 0.0), v = j.value("value", 1.0);
  result.SetHsv(h, s, v);
  result.m_bInvert = j.value("invert", false) ? 1 : 0;
  result.SetSmooth(j.value("smooth", 0));
  sel = result;
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

// The text SetFieldFromText reads; a font object as its key=value items.
bool JsonToText(const json& j, std::string& csText, std::string& csError) {
  if (j.is_object()) {
    csText.clear();
    for (auto it = j.begin(); it != j.end(); ++it) {
      const std::string csValue = it.value().is_string() ? it.value().get<std::string>()
                                  : it.value().is_boolean() ? (it.value().get<bool>() ? "1" : "0")
                                                            : it.value().dump();
      if (csValue.find(',') != std::string::npos)
        return csError = "a font's " + it.key() + " cannot hold a comma", false;
      csText += (csText.empty() ? "" : ",") + it.key() + "=" + csValue;
    }
    return true;
  }
  if (j.is_string()) csText = j.get<std::string>();
  else if (j.is_boolean()) csText = j.get<bool>() ? "1" : "0";
  else csText = j.dump();
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
  json j = json::parse(csJson, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return csError = "the recipe is not a JSON object", false;
  try {
    if (j.value("vexmora_recipe", 0) != kRecipeVersion)
      return csError = "not a vexmora recipe (version 1)", false;
    Recipe result;
    CFilSpec& spec = result.m_Spec;
    if (!j.contains("xform") || !j["xform"].is_string())
      return csError = "the recipe names no Xform", false;
    const int iXform = ParseXformName(j["xform"].get<std::string>(), csError);
    if (iXform < 0) return false;
    spec.m_iXform = iXform;
    spec.m_iSeed = j.value("seed", 0);
    result.m_iQuality = j.value("quality", 1);
    if (result.m_iQuality != 1 && result.m_iQuality != 2 && result.m_iQuality != 4)
      return csError = "the recipe's quality must be 1, 2 or 4", false;
    spec.m_bWizardAll = j.value("wizard_all", false) ? 1 : 0;
    if (j.contains("mix")) {
      const json& mix = j["mix"];
      spec.m_Mix.m_iMixMode = MixModeFromName(mix.value("mode", std::string("off")));
      if (!spec.m_Mix.m_iMixMode) return csError = "unknown mix mode in the recipe", false;
      spec.m_Mix.m_iPercent = mix.value("percent", 50);
      if (mix.contains("selection") &&
          !SelectionFromJson(mix["selection"], spec.m_Mix.m_Selection, csError))
        return false;
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
        std::string csText;
        if (!JsonToText(it.value(), csText, csError) ||
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
  std::ofstream f(csPath, std::ios::binary);
  if (!f) return csError = "cannot write " + csPath, false;
  f << RecipeToJson(recipe);
  f.close();
  if (!f) return csError = "cannot write " + csPath, false;
  return true;
}

bool ReadRecipeFile(const std::string& csPath, Recipe& recipe, std::string& csError) {
  std::ifstream f(csPath, std::ios::binary);
  if (!f) return csError = "cannot read " + csPath, false;
  std::stringstream ss;
  ss << f.rdbuf();
  return RecipeFromJson(ss.str(), recipe, csError);
}
