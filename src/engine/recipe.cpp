#include "engine/recipe.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "imaging/digest.h"
#include "imaging/file_utils.h"
#include "xforms/form_text.h"

using nlohmann::json;

namespace {

struct MixName {
  int m_iMode;
  const char* m_szName;
};
constexpr MixName kMixNames[] = {
    {MIX_OFF, "off"},
    {MIX_EVEN, "even"},
    {MIX_LEFT_RIGHT, "left-right"},
    {MIX_TOP_BOTTOM, "top-bottom"},
    {MIX_RIGHT_LEFT, "right-left"},
    {MIX_BOTTOM_TOP, "bottom-top"},
    {MIX_CIRCLE_OUT, "circle-out"},
    {MIX_CIRCLE_IN, "circle-in"},
    {MIX_ELLIPSE_OUT, "ellipse-out"},
    {MIX_ELLIPSE_IN, "ellipse-in"},
    {MIX_HSV, "hsv"},
};

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

// Parses a JSON text; a number beyond what a double holds names the field
// it was given for, other faults the byte where the text stops making sense.
bool ParseJsonText(const std::string& csJson, const char* szWhat, json& j, std::string& csError) {
  std::string csKey;
  const json::parser_callback_t fnTrackKey = [&csKey](int, json::parse_event_t e, json& v) {
    if (e == json::parse_event_t::key && v.is_string()) csKey = v.get<std::string>();
    return true;
  };
  try {
    j = json::parse(csJson, fnTrackKey);
  } catch (const json::out_of_range&) {
    csError = std::string(szWhat) + "'s " + (csKey.empty() ? "value" : QuotedValue(csKey)) +
              " is a number out of range";
    return false;
  } catch (const json::parse_error& e) {
    csError = std::string(szWhat) + (e.byte >= csJson.size() ? " ends too early (cut short?)"
                                                              : " is not valid JSON (at byte " +
                                                                    std::to_string(e.byte) + ")");
    return false;
  } catch (const json::exception& e) {
    csError = std::string(szWhat) + " is not valid JSON: " + e.what();
    return false;
  }
  return true;
}

json RecipeToJsonValue(const Recipe& recipe) {
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
  return j;
}

std::string RecipeToJson(const Recipe& recipe) { return RecipeToJsonValue(recipe).dump(2) + "\n"; }

std::uint64_t RecipeDigest(const CFilSpec& spec) {
  const std::string csJson = RecipeToJsonValue(Recipe{spec, 1}).dump();
  return Fnv1a(csJson.data(), csJson.size());
}

bool RecipeFromJson(const std::string& csJson, Recipe& recipe, std::string& csError) {
  if (csJson.size() > kMaxRecipeBytes)
    return csError = "the recipe is larger than " + std::to_string(kMaxRecipeBytes >> 20) + " MB",
           false;
  if (!JsonNestingWithin(csJson, kMaxRecipeNesting))
    return csError =
               "the recipe nests deeper than " + std::to_string(kMaxRecipeNesting) + " levels",
           false;
  json j;
  if (!ParseJsonText(csJson, "the recipe", j, csError)) return false;
  return RecipeFromJsonValue(j, recipe, csError);
}

bool RecipeFromJsonValue(const json& j, Recipe& recipe, std::string& csError) {
  if (!j.is_object()) return csError = "the recipe is not a JSON object", false;
  try {
    long long iVersion, iSeed, iQuality;
    if (!j.contains("vexmora_recipe") || !WholeNumber(j["vexmora_recipe"], 0, 1000, iVersion) ||
        iVersion != kRecipeVersion)
      return csError = "not a vexmora recipe (version 1)", false;
    Recipe result;
    CFilSpec& spec = result.m_Spec;
    if (!j.contains("xform") || !j["xform"].is_string())
      return csError = "the recipe names no Xform", false;
    const std::string csXform = j["xform"].get<std::string>();
    const int iXform = FindXform(csXform);
    if (iXform < 0 || iXform >= kXformCount)
      return csError = "the recipe names an unknown Xform " + QuotedValue(csXform), false;
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
  std::string csJson;
  return ReadBoundedTextFile(csPath, kMaxRecipeBytes, "the recipe", csJson, csError) &&
         RecipeFromJson(csJson, recipe, csError);
}

bool ReadBoundedTextFile(const std::string& csPath, std::size_t iMaxBytes, const char* szWhat,
                         std::string& csText, std::string& csError) {
  // Opened without waiting: a pipe with no writer or a device is refused
  // at once instead of blocking.
  const int fd = open(csPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int iError = errno;
    return csError = "cannot read " + csPath + ": " + SystemReason(iError), false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return csError = "cannot read " + csPath + ": not a regular file", false;
  }
  auto tooLarge = [&] {
    const std::size_t iMB = iMaxBytes >> 20;
    csError = std::string(szWhat) + " is larger than " +
              (iMB ? std::to_string(iMB) + " MB" : std::to_string(iMaxBytes) + " bytes");
    return false;
  };
  if (static_cast<unsigned long long>(st.st_size) > iMaxBytes) {
    close(fd);
    return tooLarge();
  }
  // One byte more than allowed tells a file that grew since.
  std::string cs(iMaxBytes + 1, '\0');
  std::size_t iRead = 0;
  while (iRead < cs.size()) {
    const ssize_t n = read(fd, cs.data() + iRead, cs.size() - iRead);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int iError = errno;
      close(fd);
      return csError = "cannot read " + csPath + ": " + SystemReason(iError), false;
    }
    if (n == 0) break;
    iRead += static_cast<std::size_t>(n);
  }
  close(fd);
  if (iRead > iMaxBytes) return tooLarge();
  cs.resize(iRead);
  csText = std::move(cs);
  return true;
}

bool JsonNestingWithin(const std::string& csJson, int iMax) {
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

std::string MixModeName(int iMode) {
  for (const MixName& m : kMixNames)
    if (m.m_iMode == iMode) return m.m_szName;
  return "";
}

int MixModeFromName(const std::string& csName) {
  std::string cs = csName;
  for (char& c : cs)
    if (c == '_' || c == ' ') c = '-';
  for (const MixName& m : kMixNames)
    if (strcasecmp(cs.c_str(), m.m_szName) == 0) return m.m_iMode;
  return 0;
}

bool CheckMixPercent(long long iPercent, std::string& csError) {
  if (iPercent >= 1 && iPercent <= 99) return true;
  csError = "the mix percentage must be a whole number from 1 to 99";
  return false;
}

bool MakeSelection(double dHue, double dSat, double dVal, bool bInvert, long long iSmooth,
                   AreaSelection& sel, std::string& csError) {
  // Written so that NaN fails each test.
  if (!(dHue >= 0 && dHue <= 360 && dSat >= 0 && dSat <= 1 && dVal >= 0 && dVal <= 1)) {
    csError = "hue must lie in 0..360, saturation and value in 0..1";
    return false;
  }
  if (iSmooth < 0 || iSmooth > 8) {
    csError = "the selection's smoothing must be a whole number from 0 to 8";
    return false;
  }
  AreaSelection result;
  result.SetHsv(dHue, dSat, dVal);
  result.m_bInvert = bInvert ? 1 : 0;
  result.SetSmooth(static_cast<int>(iSmooth));
  sel = result;
  return true;
}
