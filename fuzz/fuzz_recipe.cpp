// Feeds hostile recipes to the recipe reader, either as raw JSON or built
// field by field from the recipe's own structure (the Xform's parameter
// names with values of any type and size, selections, mix, seed, quality).
// A recipe must be refused with a message or read and then generate its
// idea on a small picture without crashing, hanging or taking unbounded
// memory; a recipe that reads must write itself back to the same JSON.
// Sequence files get the same: raw text, or a sequence of such recipes with
// picture fields of any value; one that reads writes itself back the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "engine/recipe.h"
#include "engine/sequence_file.h"
#include "engine/filter_thread.h"
#include "imaging/dadc.h"
#include "platform/report.h"
#include "xforms/form_text.h"

using nlohmann::json;

namespace {

class CSilentReporter final : public CReporter {
 public:
  int ShowError(const std::string&) override { return 0; }
  int Ask(const std::string&) override { return 0; }
  void ShowSystemError(const std::string&, const std::string&) override {}
};

// A value of any JSON type, biased to the edges of what readers convert.
json AnyValue(FuzzedDataProvider& fdp, int iDepth = 0) {
  switch (fdp.ConsumeIntegralInRange(0, 9)) {
    case 0: return fdp.ConsumeBool();
    case 1: return fdp.ConsumeIntegral<std::int64_t>();
    case 2: return fdp.ConsumeIntegral<std::uint64_t>();
    case 3: return fdp.ConsumeFloatingPoint<double>();
    case 4: {
      const double aEdges[] = {1e308, -1e308, 5.5e66, 2147483648.0, -2147483649.0, 0.5, -0.0,
                               360.0000001, 1.0000001, 1e-320};
      return aEdges[fdp.ConsumeIntegralInRange<std::size_t>(0, std::size(aEdges) - 1)];
    }
    case 5: return fdp.ConsumeIntegralInRange<int>(-3, 300);
    case 6: {
      if (iDepth > 3) return nullptr;
      json a = json::array();
      for (int n = fdp.ConsumeIntegralInRange(0, 3); n > 0; --n) a.push_back(AnyValue(fdp, iDepth + 1));
      return a;
    }
    case 7: {
      if (iDepth > 3) return nullptr;
      json o = json::object();
      for (int n = fdp.ConsumeIntegralInRange(0, 3); n > 0; --n)
        o[fdp.ConsumeRandomLengthString(16)] = AnyValue(fdp, iDepth + 1);
      return o;
    }
    case 8: return nullptr;
    default: return fdp.ConsumeRandomLengthString(64);
  }
}

json AnySelection(FuzzedDataProvider& fdp) {
  json s = json::object();
  for (const char* szKey : {"hue", "saturation", "value", "invert", "smooth"})
    if (fdp.ConsumeBool()) s[szKey] = AnyValue(fdp);
  return s;
}

// A recipe built over the recipe's fields: mostly plausible, every field
// sometimes of another type or out of range.
json StructuredRecipe(FuzzedDataProvider& fdp) {
  json j = json::object();
  j["vexmora_recipe"] = fdp.ConsumeIntegralInRange(0, 10) ? json(1) : AnyValue(fdp);
  const int iXform = fdp.ConsumeIntegralInRange(0, kXformCount);
  j["xform"] = iXform < kXformCount ? json(GetXformName(iXform)) : AnyValue(fdp);
  if (fdp.ConsumeBool()) j["seed"] = AnyValue(fdp);
  if (fdp.ConsumeBool()) j["quality"] = AnyValue(fdp);
  if (fdp.ConsumeBool()) j["wizard_all"] = AnyValue(fdp);
  if (fdp.ConsumeBool()) {
    const char* aModes[] = {"off", "even", "left-right", "circle-in", "ellipse-out", "hsv"};
    j["mix"] = {{"mode", aModes[fdp.ConsumeIntegralInRange<std::size_t>(0, 5)]},
                {"percent", fdp.ConsumeBool() ? json(fdp.ConsumeIntegralInRange(1, 99))
                                              : AnyValue(fdp)},
                {"selection", AnySelection(fdp)}};
  }
  if (fdp.ConsumeBool()) j["selection"] = AnySelection(fdp);
  json params = json::object();
  if (iXform < kXformCount) {
    static const CFilSpec kFresh;
    const CFormRef form = CFilSpec::Form(iXform);
    if (const void* pRecord = kFresh.Record(iXform); pRecord && !form.IsEmpty()) {
      for (const NamedValue& v : FormValues(form, pRecord)) {
        if (!fdp.ConsumeBool()) continue;
        // Near a plausible value, or anything at all.
        params[v.m_csName] = fdp.ConsumeBool() ? json(fdp.ConsumeIntegralInRange(-5, 300))
                                               : AnyValue(fdp);
      }
    }
  }
  if (fdp.ConsumeBool()) params[fdp.ConsumeRandomLengthString(16)] = AnyValue(fdp);
  j["parameters"] = params;
  return j;
}

// A sequence of structured recipes, its picture and current idea mostly
// plausible, every field sometimes of another type or out of range.
json StructuredSequence(FuzzedDataProvider& fdp) {
  json j = json::object();
  j["vexmora_sequence"] = fdp.ConsumeIntegralInRange(0, 10) ? json(1) : AnyValue(fdp);
  json pic = json::object();
  pic["path"] = fdp.ConsumeBool() ? json("pic.bmp") : AnyValue(fdp);
  pic["width"] = fdp.ConsumeBool() ? json(fdp.ConsumeIntegralInRange(-1, 30001)) : AnyValue(fdp);
  pic["height"] = fdp.ConsumeBool() ? json(fdp.ConsumeIntegralInRange(-1, 30001)) : AnyValue(fdp);
  pic["pixel_hash"] = fdp.ConsumeBool() ? json("0123456789abcdef") : AnyValue(fdp);
  j["picture"] = fdp.ConsumeIntegralInRange(0, 10) ? pic : AnyValue(fdp);
  json ideas = json::array();
  for (int n = fdp.ConsumeIntegralInRange(0, 3); n > 0; --n) ideas.push_back(StructuredRecipe(fdp));
  j["ideas"] = fdp.ConsumeIntegralInRange(0, 10) ? ideas : AnyValue(fdp);
  j["current"] = fdp.ConsumeBool() ? json(fdp.ConsumeIntegralInRange(-1, 4)) : AnyValue(fdp);
  return j;
}

// A sequence must be refused with a short message or read, then write
// itself back to the same text.
void CheckSequence(const std::string& csJson) {
  CSequence seq;
  std::string csError;
  if (!SequenceFromJson(csJson, "/fuzz/s.vxseq", seq, csError)) {
    if (csError.empty() || csError.size() > 1000) std::abort();
    return;
  }
  const std::string csOnce = SequenceToJson(seq, "/fuzz/s.vxseq");
  CSequence again;
  if (!SequenceFromJson(csOnce, "/fuzz/s.vxseq", again, csError) ||
      SequenceToJson(again, "/fuzz/s.vxseq") != csOnce)
    std::abort();
}

// The idea of a recipe that reads, on a small picture, as the CLI makes it.
void Generate(const Recipe& recipe) {
  static const std::unique_ptr<CDADC> s_pIn = [] {
    auto p = std::make_unique<CDADC>(24, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 24; ++x) p->m_pDC->SetPixelV(x, y, RGB(x * 10, y * 15, (x ^ y) * 8));
    return p;
  }();
  CDADC& s_in = *s_pIn;
  CFilSpec spec = recipe.m_Spec;
  if (!spec.Effect(s_in.m_iWidth, s_in.m_iHeight)) return;
  const int q = recipe.m_iQuality;
  auto pOut = std::make_unique<CDADC>(s_in.m_iWidth * q, s_in.m_iHeight * q);
  CDADC drw(s_in.m_iWidth, s_in.m_iHeight);
  spec.SetDCs(&drw, pOut.release(), &s_in);
  FilterThreadProc(spec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t iSize) {
  static CSilentReporter s_reporter;
  SetReporter(&s_reporter);
  // Text starting with "{" (the saved recipes and sequences of the seeds) is
  // raw JSON, read both as a recipe and as a sequence; anything else drives
  // the structured recipe, or after a "S" the structured sequence.
  FuzzedDataProvider fdp(pData, iSize);
  const bool bRaw = iSize > 0 && pData[0] == '{';
  if (bRaw) CheckSequence(std::string(reinterpret_cast<const char*>(pData), iSize));
  if (!bRaw && iSize > 0 && pData[0] == 'S') {
    CheckSequence(StructuredSequence(fdp).dump(-1, ' ', false, json::error_handler_t::replace));
    return 0;
  }
  const std::string csJson = bRaw ? fdp.ConsumeRemainingBytesAsString()
                                  : StructuredRecipe(fdp).dump(-1, ' ', false,
                                                               json::error_handler_t::replace);
  Recipe recipe;
  std::string csError;
  if (!RecipeFromJson(csJson, recipe, csError)) {
    if (csError.empty() || csError.size() > 1000) std::abort();  // a short reason, always
    return 0;
  }
  // What reads, writes itself back to the same text.
  const std::string csOnce = RecipeToJson(recipe);
  Recipe again;
  if (!RecipeFromJson(csOnce, again, csError) || RecipeToJson(again) != csOnce) std::abort();
  Generate(recipe);
  return 0;
}
