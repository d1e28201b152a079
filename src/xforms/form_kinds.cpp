#include "xforms/form_kinds.h"

#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "imaging/area_selection.h"
#include "xforms/form_text.h"

namespace {

using Int = std::int32_t;

std::string What(const std::string& csText, const std::string& csName) {
  return QuotedValue(csText) + " for " + csName;
}

std::string RangeText(const FieldDesc& f) {
  return NumberText(f.m_dMin) + " .. " + NumberText(f.m_dMax);
}

// The range a value is read in: the slider's for the command line; for
// recipes also what the wizard may have chosen beyond it.
double LowestOf(const FieldDesc& f, bool bCheckRange) {
  return bCheckRange || f.m_dWizardMin > f.m_dMin ? f.m_dMin : f.m_dWizardMin;
}
double HighestOf(const FieldDesc& f, bool bCheckRange) {
  return bCheckRange || f.m_dWizardMax < f.m_dMax ? f.m_dMax : f.m_dWizardMax;
}
std::string ReadRangeText(const FieldDesc& f, bool bCheckRange) {
  return NumberText(LowestOf(f, bCheckRange)) + " .. " + NumberText(HighestOf(f, bCheckRange));
}

std::string OptionList(const FieldDesc& f, const char* szSeparator) {
  std::string cs;
  for (int k = 0; k < f.m_iOptions; ++k) cs += (k ? szSeparator : "") + OptionName(f.m_aOptions[k]);
  return cs;
}

const RadioOption* FindOption(const FieldDesc& f, const std::string& cs) {
  for (int k = 0; k < f.m_iOptions; ++k)
    if (strcasecmp(cs.c_str(), OptionName(f.m_aOptions[k]).c_str()) == 0)
      return &f.m_aOptions[k];
  for (int k = 0; k < f.m_iOptions; ++k)
    if (f.m_aOptions[k].m_szOldName && strcasecmp(cs.c_str(), f.m_aOptions[k].m_szOldName) == 0)
      return &f.m_aOptions[k];
  return nullptr;
}

template <class T>
std::size_t SizeOf(const FieldDesc&) {
  return sizeof(T);
}
std::size_t DeclaredSize(const FieldDesc& f) { return static_cast<std::size_t>(f.m_iSize); }

// ---- Int pair ----

bool ParseInt(const FieldDesc& f, void* p, const std::string& cs, bool bCheckRange,
              const std::string& csName, std::string& csError) {
  long v;
  if (!ParseLong(cs, v)) return csError = "expected a whole number, not " + What(cs, csName), false;
  if (v < LowestOf(f, bCheckRange) || v > HighestOf(f, bCheckRange))
    return csError = csName + " must lie in " + ReadRangeText(f, bCheckRange), false;
  *static_cast<Int*>(p) = static_cast<Int>(v);
  return true;
}
std::string FormatInt(const FieldDesc&, const void* p) {
  return std::to_string(*static_cast<const Int*>(p));
}
bool ClampInt(const FieldDesc& f, void* p) {
  Int& v = *static_cast<Int*>(p);
  const Int iOld = v;
  if (v < f.m_dMin) v = static_cast<Int>(f.m_dMin);
  if (v > f.m_dMax) v = static_cast<Int>(f.m_dMax);
  return v != iOld;
}

// ---- Real pair ----

bool ParseReal(const FieldDesc& f, void* p, const std::string& cs, bool bCheckRange,
               const std::string& csName, std::string& csError) {
  double v;
  if (!ParseDouble(cs, v)) return csError = "expected a number, not " + What(cs, csName), false;
  if (v < LowestOf(f, bCheckRange) || v > HighestOf(f, bCheckRange))
    return csError = csName + " must lie in " + ReadRangeText(f, bCheckRange), false;
  *static_cast<double*>(p) = v;
  return true;
}
std::string FormatReal(const FieldDesc&, const void* p) {
  return NumberText(*static_cast<const double*>(p));
}
bool ClampReal(const FieldDesc& f, void* p) {
  double& v = *static_cast<double*>(p);
  const double dOld = v;
  if (!(v >= f.m_dMin)) v = f.m_dMin;
  if (v > f.m_dMax) v = f.m_dMax;
  return !(v == dOld);
}

// ---- Radios and lists: the option's id is the value ----

bool ParseOption(const FieldDesc& f, void* p, const std::string& cs, bool,
                 const std::string& csName, std::string& csError) {
  if (const RadioOption* o = FindOption(f, cs)) return *static_cast<Int*>(p) = o->m_iId, true;
  long v;
  if (ParseLong(cs, v)) {
    for (int k = 0; k < f.m_iOptions; ++k)
      if (f.m_aOptions[k].m_iId == v) return *static_cast<Int*>(p) = static_cast<Int>(v), true;
  }
  return csError = "unknown value " + What(cs, csName) + " (one of " + OptionList(f, ", ") + ")",
         false;
}
std::string FormatOption(const FieldDesc& f, const void* p) {
  const Int v = *static_cast<const Int*>(p);
  for (int k = 0; k < f.m_iOptions; ++k)
    if (f.m_aOptions[k].m_iId == v) return OptionName(f.m_aOptions[k]);
  return std::to_string(v);
}
bool ClampOption(const FieldDesc& f, void* p) {
  Int& v = *static_cast<Int*>(p);
  for (int k = 0; k < f.m_iOptions; ++k)
    if (f.m_aOptions[k].m_iId == v) return false;
  v = f.m_aOptions[0].m_iId;
  return true;
}
std::string DescribeRadios(const FieldDesc& f) { return "radios " + OptionList(f, "|"); }
std::string DescribeList(const FieldDesc& f) { return "list " + OptionList(f, "|"); }

// ---- Radio pairs (and flags shown as two radios): 0 or 1 by button name ----

bool ParsePair(const FieldDesc& f, void* p, const std::string& cs, bool,
               const std::string& csName, std::string& csError) {
  if (const RadioOption* o = FindOption(f, cs))
    return *static_cast<Int*>(p) = o == &f.m_aOptions[1] ? 1 : 0, true;
  if (ParseFlag(cs, *static_cast<Int*>(p))) return true;
  return csError = "expected " + OptionName(f.m_aOptions[0]) + " or " +
                   OptionName(f.m_aOptions[1]) + ", not " + What(cs, csName),
         false;
}
std::string FormatPair(const FieldDesc& f, const void* p) {
  return OptionName(f.m_aOptions[*static_cast<const Int*>(p) != 0 ? 1 : 0]);
}
// The two buttons in the dialog's order (by id).
std::string DescribePair(const FieldDesc& f) {
  const bool bSwap = f.m_aOptions[1].m_iId < f.m_aOptions[0].m_iId;
  return "radios " + OptionName(f.m_aOptions[bSwap ? 1 : 0]) + "|" +
         OptionName(f.m_aOptions[bSwap ? 0 : 1]);
}

// ---- Check boxes and the wizard switch ----

bool ParseSwitch(const FieldDesc&, void* p, const std::string& cs, bool,
                 const std::string& csName, std::string& csError) {
  if (ParseFlag(cs, *static_cast<Int*>(p))) return true;
  return csError = "expected on or off, not " + What(cs, csName), false;
}
std::string DescribeSwitch(const FieldDesc&) { return "on|off"; }

// ---- Colours ----

bool ParseColourRef(const FieldDesc& f, void* p, const std::string& cs, bool,
                    const std::string& csName, std::string& csError) {
  COLORREF cr;
  if (!ParseColour(cs, cr))
    return csError = "expected a colour #RRGGBB or R,G,B, not " + What(cs, csName), false;
  if (f.m_eKind == EField::Background)
    static_cast<BackgroundSpec*>(p)->m_crColour = cr;
  else
    *static_cast<COLORREF*>(p) = cr;
  return true;
}
std::string FormatColourRef(const FieldDesc& f, const void* p) {
  return ColourText(f.m_eKind == EField::Background ? static_cast<const BackgroundSpec*>(p)->m_crColour
                                                    : *static_cast<const COLORREF*>(p));
}
std::string DescribeColour(const FieldDesc&) { return "colour #RRGGBB or R,G,B"; }

// A hex colour holds RRGGBB itself: "#RRGGBB" is the stored number, the
// '#' optional as in the dialog's edit; "R,G,B" is read too.
bool ParseHex(const FieldDesc&, void* p, const std::string& cs, bool,
              const std::string& csName, std::string& csError) {
  COLORREF cr;
  if (cs.find(',') != std::string::npos && ParseColour(cs, cr)) {
    *static_cast<COLORREF*>(p) = (GetRValue(cr) << 16) | (GetGValue(cr) << 8) | GetBValue(cr);
    return true;
  }
  const std::string csDigits = !cs.empty() && cs[0] == '#' ? cs.substr(1) : cs;
  long v;
  if (csDigits.empty() || csDigits.size() > 8 || !ParseLong(csDigits, v, 16) || v < 0 ||
      v > 0xFFFFFF)
    return csError = "expected a colour #RRGGBB or R,G,B, not " + What(cs, csName), false;
  *static_cast<COLORREF*>(p) = static_cast<COLORREF>(v);
  return true;
}
std::string FormatHex(const FieldDesc&, const void* p) {
  char sz[16];
  std::snprintf(sz, sizeof sz, "#%06X", static_cast<unsigned>(*static_cast<const COLORREF*>(p)));
  return sz;
}

// ---- Texts: UTF-8 outside, Windows-1252 bytes inside ----

bool ParseText(const FieldDesc& f, void* p, const std::string& cs, bool,
               const std::string& csName, std::string& csError) {
  std::string csBytes, csWhy;
  if (!Utf8ToWindows1252(cs, csBytes, csWhy)) return csError = csName + " " + csWhy, false;
  if (csBytes.size() + 1 > static_cast<std::size_t>(f.m_iSize) ||
      csBytes.find('\0') != std::string::npos)
    return csError = csName + " holds at most " + std::to_string(f.m_iSize - 1) + " characters",
           false;
  char* pBytes = static_cast<char*>(p);
  std::memset(pBytes, 0, static_cast<std::size_t>(f.m_iSize));
  std::memcpy(pBytes, csBytes.data(), csBytes.size());
  return true;
}
std::string FormatText(const FieldDesc& f, const void* p) {
  const char* pBytes = static_cast<const char*>(p);
  return Windows1252ToUtf8(pBytes, strnlen(pBytes, static_cast<std::size_t>(f.m_iSize)));
}
std::string DescribeText(const FieldDesc& f) {
  return "text, at most " + std::to_string(f.m_iSize - 1) + " characters";
}

// ---- Fonts ----

bool ParseFont(const FieldDesc&, void* p, const std::string& cs, bool,
               const std::string& csName, std::string& csError) {
  LOGFONT lf;
  if (!FontFromText(cs, lf, csError)) return csError = csName + ": " + csError, false;
  std::memcpy(p, &lf, sizeof lf);
  return true;
}
std::string FormatFont(const FieldDesc&, const void* p) {
  LOGFONT lf;
  std::memcpy(&lf, p, sizeof lf);
  return FontText(lf);
}
std::string DescribeFont(const FieldDesc&) { return "font face[,bold][,italic][,height]"; }

// ---- Area selections: "hue,saturation,value,invert,smoothness" ----

bool ParseSelection(const FieldDesc&, void* p, const std::string& cs, bool,
                    const std::string& csName, std::string& csError) {
  double a[5] = {};
  std::size_t iStart = 0;
  int n = 0;
  for (; n < 5; ++n) {
    const std::size_t iComma = cs.find(',', iStart);
    const std::string csPart =
        cs.substr(iStart, iComma == std::string::npos ? std::string::npos : iComma - iStart);
    if (!ParseDouble(Trimmed(csPart), a[n])) break;
    if (iComma == std::string::npos) {
      ++n;
      break;
    }
    iStart = iComma + 1;
  }
  const bool bShape = n == 5 && cs.find(',', iStart) == std::string::npos;
  const bool bRange = a[0] >= 0.0 && a[0] < 360.0 && a[1] >= 0.0 && a[1] <= 1.0 && a[2] >= 0.0 &&
                      a[2] <= 1.0 && (a[3] == 0.0 || a[3] == 1.0) && a[4] >= 0.0 && a[4] <= 8.0 &&
                      a[4] == static_cast<int>(a[4]);
  if (!bShape || !bRange)
    return csError = "expected hue (0..360), saturation, value (0..1), invert (0/1) and "
                     "smoothness (0..8) separated by commas, not " + What(cs, csName),
           false;
  AreaSelection& sel = *static_cast<AreaSelection*>(p);
  sel.SetHsv(a[0], a[1], a[2]);
  sel.m_bInvert = static_cast<std::int32_t>(a[3]);
  sel.SetSmooth(static_cast<int>(a[4]));
  return true;
}
std::string FormatSelection(const FieldDesc&, const void* p) {
  const AreaSelection& sel = *static_cast<const AreaSelection*>(p);
  return NumberText(sel.m_dHue) + "," + NumberText(sel.m_dSat) + "," + NumberText(sel.m_dVal) +
         "," + std::to_string(sel.m_bInvert) + "," + std::to_string(sel.m_iSmooth);
}
std::string DescribeSelection(const FieldDesc&) { return "selection hue,sat,val,invert,smooth"; }

constexpr FieldKind kNone{};
constexpr FieldKind kIntPair{EValueShape::Number, SizeOf<Int>, ParseInt, FormatInt,
                             [](const FieldDesc& f) { return "integer " + RangeText(f); }, ClampInt};
constexpr FieldKind kRealPair{EValueShape::Number, SizeOf<double>, ParseReal, FormatReal,
                              [](const FieldDesc& f) { return "number " + RangeText(f); },
                              ClampReal};
constexpr FieldKind kRadios{EValueShape::Word, SizeOf<Int>, ParseOption, FormatOption,
                            DescribeRadios, ClampOption};
constexpr FieldKind kRadioPair{EValueShape::Word, SizeOf<Int>, ParsePair, FormatPair, DescribePair};
constexpr FieldKind kChoice{EValueShape::Word, SizeOf<Int>, ParseOption, FormatOption, DescribeList,
                            ClampOption};
constexpr FieldKind kSwitch{EValueShape::Switch, SizeOf<Int>, ParseSwitch, FormatInt,
                            DescribeSwitch};
constexpr FieldKind kColour{EValueShape::Word, SizeOf<COLORREF>, ParseColourRef, FormatColourRef,
                            DescribeColour};
constexpr FieldKind kHexColour{EValueShape::Word, SizeOf<COLORREF>, ParseHex, FormatHex,
                               DescribeColour};
constexpr FieldKind kText{EValueShape::Word, DeclaredSize, ParseText, FormatText, DescribeText};
constexpr FieldKind kFont{EValueShape::Font, DeclaredSize, ParseFont, FormatFont, DescribeFont};
constexpr FieldKind kSelection{EValueShape::Word, DeclaredSize, ParseSelection, FormatSelection,
                               DescribeSelection};

// By kind; groups and notes hold no value.
constexpr auto kKinds = [] {
  std::array<const FieldKind*, kFieldKinds> a{};
  auto set = [&a](EField e, const FieldKind& k) { a[static_cast<std::size_t>(e)] = &k; };
  set(EField::IntPair, kIntPair);
  set(EField::RealPair, kRealPair);
  set(EField::Radios, kRadios);
  set(EField::RadioPair, kRadioPair);
  set(EField::Choice, kChoice);
  set(EField::Check, kSwitch);
  set(EField::Colour, kColour);
  set(EField::HexColour, kHexColour);
  // A colour choice and a background: the colour (a BackgroundSpec's first
  // member); their flag reads as a switch or a radio pair (FlagKindOf).
  set(EField::ColourChoice, kColour);
  set(EField::Background, kColour);
  set(EField::Font, kFont);
  set(EField::Text, kText);
  set(EField::Selection, kSelection);
  set(EField::Wizard, kSwitch);
  return a;
}();

}  // namespace

const FieldKind& KindOf(EField eKind) {
  const std::size_t i = static_cast<std::size_t>(eKind);
  return i < kKinds.size() && kKinds[i] ? *kKinds[i] : kNone;
}

const FieldKind& FlagKindOf(const FieldDesc& f) {
  return f.m_iOptions == 2 ? kRadioPair : kSwitch;
}
