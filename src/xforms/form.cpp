#include "xforms/form.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <strings.h>

#include "platform/gdi/font.h"

namespace {

bool IsSettable(EField e) {
  return e != EField::GroupBegin && e != EField::GroupEnd && e != EField::Note;
}

bool EqualNoCase(const std::string& a, const char* b) {
  return b && strcasecmp(a.c_str(), b) == 0;
}

std::string Trim(const std::string& cs) {
  std::size_t b = 0, e = cs.size();
  while (b < e && std::isspace(static_cast<unsigned char>(cs[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(cs[e - 1]))) --e;
  return cs.substr(b, e - b);
}

bool ParseLong(const std::string& cs, long& iValue, int iBase = 10) {
  if (cs.empty()) return false;
  char* pEnd = nullptr;
  errno = 0;
  iValue = std::strtol(cs.c_str(), &pEnd, iBase);
  return errno == 0 && *pEnd == '\0';
}

bool ParseDouble(const std::string& cs, double& dValue) {
  if (cs.empty()) return false;
  char* pEnd = nullptr;
  dValue = std::strtod(cs.c_str(), &pEnd);
  return *pEnd == '\0' && std::isfinite(dValue);
}

bool ParseFlag(const std::string& cs, std::int32_t& bValue) {
  static const char* const kOn[] = {"1", "on", "yes", "true"};
  static const char* const kOff[] = {"0", "off", "no", "false"};
  for (const char* s : kOn)
    if (EqualNoCase(cs, s)) return bValue = 1, true;
  for (const char* s : kOff)
    if (EqualNoCase(cs, s)) return bValue = 0, true;
  return false;
}

// "#RRGGBB" (red first) or "R,G,B".
bool ParseColour(const std::string& cs, COLORREF& cr) {
  if (cs.size() == 7 && cs[0] == '#') {
    long v;
    if (!ParseLong(cs.substr(1), v, 16) || v < 0 || v > 0xFFFFFF) return false;
    cr = RGB(static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
             static_cast<int>(v & 0xFF));
    return true;
  }
  int r, g, b;
  char cExtra;
  if (std::sscanf(cs.c_str(), "%d,%d,%d%c", &r, &g, &b, &cExtra) != 3) return false;
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return false;
  cr = RGB(r, g, b);
  return true;
}

std::string ColourText(COLORREF cr) {
  char sz[16];
  std::snprintf(sz, sizeof sz, "#%02X%02X%02X", GetRValue(cr), GetGValue(cr), GetBValue(cr));
  return sz;
}

std::string NumberText(double d) {
  char sz[40];
  if (d == std::floor(d) && std::fabs(d) < 1e15) {
    std::snprintf(sz, sizeof sz, "%.0f", d);
    return sz;
  }
  std::snprintf(sz, sizeof sz, "%.17g", d);
  // The shortest text that reads back as the same double keeps recipes tidy.
  for (int iDigits = 1; iDigits <= 17; ++iDigits) {
    char szShort[40];
    std::snprintf(szShort, sizeof szShort, "%.*g", iDigits, d);
    if (std::strtod(szShort, nullptr) == d) return szShort;
  }
  return sz;
}

std::string RangeText(double dMin, double dMax) {
  return NumberText(dMin) + " .. " + NumberText(dMax);
}

// Text fields hold Windows-1252 bytes, as the text drawing decodes them; their
// text form (command line, recipes) is UTF-8. False with a reason when the
// text is not UTF-8 or holds a character that has no Windows-1252 byte.
bool Utf8ToWindows1252(const std::string& cs, std::string& csBytes, std::string& csWhy) {
  csBytes.clear();
  for (std::size_t i = 0; i < cs.size();) {
    const unsigned char c = static_cast<unsigned char>(cs[i]);
    const int iLength = c < 0x80          ? 1
                        : (c >> 5) == 0x6  ? 2
                        : (c >> 4) == 0xE  ? 3
                        : (c >> 3) == 0x1E ? 4
                                           : 0;
    if (iLength == 0 || i + iLength > cs.size()) return csWhy = "is not valid UTF-8 text", false;
    unsigned cp = iLength == 1 ? c : c & (0x7F >> iLength);
    for (int k = 1; k < iLength; ++k) {
      const unsigned char cc = static_cast<unsigned char>(cs[i + k]);
      if ((cc & 0xC0) != 0x80) return csWhy = "is not valid UTF-8 text", false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    static constexpr unsigned kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[iLength] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
      return csWhy = "is not valid UTF-8 text", false;
    int iByte = -1;
    for (int b = 0; b < 256 && iByte < 0; ++b)
      if (CodePointOfByte(static_cast<unsigned char>(b), ANSI_CHARSET) == cp) iByte = b;
    if (iByte < 0) {
      char szCode[16];
      std::snprintf(szCode, sizeof szCode, "U+%04X", cp);
      csWhy = "cannot hold \"" + cs.substr(i, iLength) + "\" (" + szCode +
              "): only Windows-1252 characters can be stored";
      return false;
    }
    csBytes += static_cast<char>(iByte);
    i += iLength;
  }
  return true;
}

std::string Windows1252ToUtf8(const char* p, std::size_t n) {
  std::string cs;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned cp = CodePointOfByte(static_cast<unsigned char>(p[i]), ANSI_CHARSET);
    if (cp < 0x80) {
      cs += static_cast<char>(cp);
    } else if (cp < 0x800) {
      cs += static_cast<char>(0xC0 | (cp >> 6));
      cs += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      cs += static_cast<char>(0xE0 | (cp >> 12));
      cs += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      cs += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return cs;
}

const RadioOption* FindOption(const FieldDesc& f, const std::string& cs) {
  for (int k = 0; k < f.m_iOptions; ++k)
    if (EqualNoCase(cs, OptionName(f.m_aOptions[k]).c_str())) return &f.m_aOptions[k];
  return nullptr;
}

}  // namespace

int CFormRef::WizardIndex() const {
  for (std::size_t i = 0; i < m_iCount; ++i)
    if (Field(i).m_eKind == EField::Wizard) return static_cast<int>(i);
  return -1;
}

std::int32_t* CFormRef::WizardFlag(void* pRecord) const {
  const int i = WizardIndex();
  return i < 0 ? nullptr : static_cast<std::int32_t*>(Address(static_cast<std::size_t>(i), pRecord));
}

bool CFormRef::IsEnabled(std::size_t i, const void* pRecord, bool bSlider) const {
  const FieldDesc& f = Field(i);
  if (f.m_bWizardLocks && (!bSlider || f.m_bWizardLocksSlider)) {
    const std::int32_t* pWizard = WizardFlag(const_cast<void*>(pRecord));
    if (pWizard && *pWizard) return false;
  }
  return m_pfnRule(m_pFields, i, pRecord);
}

int CFormRef::Find(const std::string& csName, bool* pbFlag) const {
  std::string cs = csName;
  for (char& c : cs)
    if (c == '-') c = '_';
  for (std::size_t i = 0; i < m_iCount; ++i) {
    const FieldDesc& f = Field(i);
    if (!IsSettable(f.m_eKind)) continue;
    if (EqualNoCase(cs, f.m_szName)) {
      if (pbFlag) *pbFlag = false;
      return static_cast<int>(i);
    }
    if (EqualNoCase(cs, f.m_szFlagName)) {
      if (pbFlag) *pbFlag = true;
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string OptionName(const RadioOption& o) {
  if (o.m_szName) return o.m_szName;
  std::string cs;
  for (const char* p = o.m_szLabel ? o.m_szLabel : ""; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '&' || c == '.') continue;
    if (std::isspace(c)) {
      if (!cs.empty() && cs.back() != '-') cs += '-';
      continue;
    }
    cs += static_cast<char>(std::tolower(c));
  }
  while (!cs.empty() && cs.back() == '-') cs.pop_back();
  return cs;
}

bool SetFieldFromText(const CFormRef& form, void* pRecord, const std::string& csName,
                      const std::string& csRawValue, std::string& csError, bool bCheckRange) {
  bool bFlag = false;
  const int iField = form.Find(csName, &bFlag);
  if (iField < 0) {
    csError = "unknown parameter \"" + csName + "\"";
    return false;
  }
  const std::size_t i = static_cast<std::size_t>(iField);
  const FieldDesc& f = form.Field(i);
  const std::string csValue = f.m_eKind == EField::Text ? csRawValue : Trim(csRawValue);
  void* pData = form.Address(i, pRecord);
  const std::string csWhat = "\"" + csValue + "\" for " + csName;

  if (bFlag) {
    std::int32_t b;
    if (!ParseFlag(csValue, b)) return csError = "expected on or off, not " + csWhat, false;
    *form.FlagAddress(i, pRecord) = b;
    return true;
  }
  switch (f.m_eKind) {
    case EField::IntPair: {
      long v;
      if (!ParseLong(csValue, v)) return csError = "expected a whole number, not " + csWhat, false;
      if (bCheckRange ? (v < f.m_dMin || v > f.m_dMax) : (v < INT32_MIN || v > INT32_MAX))
        return csError = csName + " must lie in " + RangeText(f.m_dMin, f.m_dMax), false;
      *static_cast<std::int32_t*>(pData) = static_cast<std::int32_t>(v);
      return true;
    }
    case EField::RealPair: {
      double v;
      if (!ParseDouble(csValue, v)) return csError = "expected a number, not " + csWhat, false;
      if (bCheckRange && (v < f.m_dMin || v > f.m_dMax))
        return csError = csName + " must lie in " + RangeText(f.m_dMin, f.m_dMax), false;
      *static_cast<double*>(pData) = v;
      return true;
    }
    case EField::Radios:
    case EField::Choice: {
      if (const RadioOption* o = FindOption(f, csValue)) {
        *static_cast<std::int32_t*>(pData) = o->m_iId;
        return true;
      }
      long v;
      if (ParseLong(csValue, v)) {
        for (int k = 0; k < f.m_iOptions; ++k)
          if (f.m_aOptions[k].m_iId == v) return *static_cast<std::int32_t*>(pData) = v, true;
        // A recipe replays whatever code it stored, known or not.
        if (!bCheckRange && v >= INT32_MIN && v <= INT32_MAX)
          return *static_cast<std::int32_t*>(pData) = static_cast<std::int32_t>(v), true;
      }
      std::string csChoices;
      for (int k = 0; k < f.m_iOptions; ++k) {
        if (k) csChoices += ", ";
        csChoices += OptionName(f.m_aOptions[k]);
      }
      return csError = "unknown value " + csWhat + " (one of " + csChoices + ")", false;
    }
    case EField::RadioPair:
      // The name of either button, or the flag itself.
      if (const RadioOption* o = FindOption(f, csValue))
        return *static_cast<std::int32_t*>(pData) = o == &f.m_aOptions[1] ? 1 : 0, true;
      if (!ParseFlag(csValue, *static_cast<std::int32_t*>(pData)))
        return csError = "expected " + OptionName(f.m_aOptions[0]) + " or " +
                         OptionName(f.m_aOptions[1]) + ", not " + csWhat,
               false;
      return true;
    case EField::Check:
    case EField::Wizard:
      if (!ParseFlag(csValue, *static_cast<std::int32_t*>(pData)))
        return csError = "expected on or off, not " + csWhat, false;
      return true;
    case EField::HexColour: {
      // As typed into the hex edit: the stored value's own six digits.
      std::string cs = csValue;
      if (!cs.empty() && cs[0] == '#') cs.erase(0, 1);
      long v;
      if (!ParseLong(cs, v, 16) || v < 0 || v > 0xFFFFFF)
        return csError = "expected six hexadecimal digits, not " + csWhat, false;
      *static_cast<COLORREF*>(pData) = static_cast<COLORREF>(v);
      return true;
    }
    case EField::Colour:
    case EField::ColourChoice:
    case EField::Background: {
      COLORREF cr;
      if (!ParseColour(csValue, cr))
        return csError = "expected a colour #RRGGBB or R,G,B, not " + csWhat, false;
      if (f.m_eKind == EField::Background)
        static_cast<BackgroundSpec*>(pData)->m_crColour = cr;
      else
        *static_cast<COLORREF*>(pData) = cr;
      return true;
    }
    case EField::Text: {
      std::string csBytes, csWhy;
      if (!Utf8ToWindows1252(csValue, csBytes, csWhy)) return csError = csName + " " + csWhy, false;
      if (csBytes.size() + 1 > static_cast<std::size_t>(f.m_iSize) ||
          csBytes.find('\0') != std::string::npos)
        return csError = csName + " holds at most " + std::to_string(f.m_iSize - 1) + " characters",
               false;
      char* p = static_cast<char*>(pData);
      std::memset(p, 0, static_cast<std::size_t>(f.m_iSize));
      std::memcpy(p, csBytes.data(), csBytes.size());
      return true;
    }
    case EField::Font: {
      if (csValue.size() != static_cast<std::size_t>(f.m_iSize) * 2)
        return csError = csName + " must be " + std::to_string(f.m_iSize) + " bytes in hexadecimal",
               false;
      std::vector<unsigned char> aBytes(static_cast<std::size_t>(f.m_iSize));
      for (std::size_t k = 0; k < aBytes.size(); ++k) {
        long v;
        if (!ParseLong(csValue.substr(2 * k, 2), v, 16) || v < 0)
          return csError = "bad hexadecimal in " + csName, false;
        aBytes[k] = static_cast<unsigned char>(v);
      }
      std::memcpy(pData, aBytes.data(), aBytes.size());
      return true;
    }
    default:
      csError = "\"" + csName + "\" cannot be set";
      return false;
  }
}

std::string FieldText(const CFormRef& form, const void* pRecord, std::size_t i, bool bFlag) {
  const FieldDesc& f = form.Field(i);
  void* pRec = const_cast<void*>(pRecord);
  const void* pData = form.Address(i, pRecord);
  if (bFlag) return std::to_string(*form.FlagAddress(i, pRec));
  switch (f.m_eKind) {
    case EField::IntPair:
    case EField::Check:
    case EField::Wizard:
      return std::to_string(*static_cast<const std::int32_t*>(pData));
    case EField::RealPair:
      return NumberText(*static_cast<const double*>(pData));
    case EField::RadioPair:
      return OptionName(f.m_aOptions[*static_cast<const std::int32_t*>(pData) != 0 ? 1 : 0]);
    case EField::Radios:
    case EField::Choice: {
      const std::int32_t v = *static_cast<const std::int32_t*>(pData);
      for (int k = 0; k < f.m_iOptions; ++k)
        if (f.m_aOptions[k].m_iId == v) return OptionName(f.m_aOptions[k]);
      return std::to_string(v);
    }
    case EField::HexColour: {
      char sz[16];
      std::snprintf(sz, sizeof sz, "%06X", static_cast<unsigned>(*static_cast<const COLORREF*>(pData)));
      return sz;
    }
    case EField::Colour:
    case EField::ColourChoice:
      return ColourText(*static_cast<const COLORREF*>(pData));
    case EField::Background:
      return ColourText(static_cast<const BackgroundSpec*>(pData)->m_crColour);
    case EField::Text: {
      const char* p = static_cast<const char*>(pData);
      return Windows1252ToUtf8(p, strnlen(p, static_cast<std::size_t>(f.m_iSize)));
    }
    case EField::Font: {
      std::string cs;
      const unsigned char* p = static_cast<const unsigned char*>(pData);
      char sz[3];
      for (int k = 0; k < f.m_iSize; ++k) {
        std::snprintf(sz, sizeof sz, "%02x", p[k]);
        cs += sz;
      }
      return cs;
    }
    default:
      return "";
  }
}

std::vector<NamedValue> FormValues(const CFormRef& form, const void* pRecord) {
  std::vector<NamedValue> aValues;
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const FieldDesc& f = form.Field(i);
    if (!IsSettable(f.m_eKind)) continue;
    aValues.push_back({f.m_szName, FieldText(form, pRecord, i), f.m_eKind, false});
    if (f.m_szFlagName) aValues.push_back({f.m_szFlagName, FieldText(form, pRecord, i, true), f.m_eKind, true});
  }
  return aValues;
}

std::string DescribeForm(const CFormRef& form, const void* pDefaults) {
  std::string csOut;
  auto line = [&csOut](const std::string& csName, const std::string& csKind,
                       const std::string& csDefault, const char* szLabel) {
    char sz[512];
    std::snprintf(sz, sizeof sz, "  %-20s %-40s default %-10s %s\n", csName.c_str(), csKind.c_str(),
                  csDefault.c_str(), szLabel ? szLabel : "");
    csOut += sz;
  };
  auto strip = [](const char* sz) {
    std::string cs;
    for (; sz && *sz; ++sz)
      if (*sz != '&') cs += *sz;
    return cs;
  };
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const FieldDesc& f = form.Field(i);
    const std::string csLabel = strip(f.m_szLabel);
    const std::string csDefault = IsSettable(f.m_eKind) ? FieldText(form, pDefaults, i) : "";
    switch (f.m_eKind) {
      case EField::GroupBegin:
        csOut += csLabel + ":\n";
        break;
      case EField::IntPair:
        line(f.m_szName, "integer " + RangeText(f.m_dMin, f.m_dMax), csDefault, csLabel.c_str());
        break;
      case EField::RealPair:
        line(f.m_szName, "number " + RangeText(f.m_dMin, f.m_dMax), csDefault, csLabel.c_str());
        break;
      case EField::Radios:
      case EField::RadioPair:
      case EField::Choice: {
        std::string cs = "one of ";
        for (int k = 0; k < f.m_iOptions; ++k) {
          if (k) cs += '|';
          cs += OptionName(f.m_aOptions[k]);
        }
        line(f.m_szName, cs, csDefault, csLabel.c_str());
        break;
      }
      case EField::Check:
      case EField::Wizard:
        line(f.m_szName, "on|off", csDefault == "0" ? "off" : "on", csLabel.c_str());
        break;
      case EField::HexColour:
        line(f.m_szName, "six hex digits (the stored value)", csDefault, csLabel.c_str());
        break;
      case EField::Colour:
      case EField::ColourChoice:
      case EField::Background:
        line(f.m_szName, "colour #RRGGBB or R,G,B", csDefault, csLabel.c_str());
        if (f.m_szFlagName)
          line(f.m_szFlagName, "on|off", FieldText(form, pDefaults, i, true) == "0" ? "off" : "on",
               f.m_szFlagLabel ? strip(f.m_szFlagLabel).c_str()
                               : (f.m_eKind == EField::Background ? "use the picture" : ""));
        break;
      case EField::Text:
        line(f.m_szName, "text, at most " + std::to_string(f.m_iSize - 1) + " characters",
             "\"" + csDefault + "\"", csLabel.c_str());
        break;
      case EField::Font:
        line(f.m_szName, "font record, " + std::to_string(f.m_iSize) + " bytes in hex", "(built in)",
             csLabel.c_str());
        break;
      default:
        break;
    }
  }
  return csOut;
}

int ClampToForm(const CFormRef& form, void* pRecord) {
  int iChanged = 0;
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const FieldDesc& f = form.Field(i);
    void* pData = form.Address(i, pRecord);
    if (f.m_eKind == EField::IntPair) {
      std::int32_t& v = *static_cast<std::int32_t*>(pData);
      const std::int32_t iOld = v;
      if (v < f.m_dMin) v = static_cast<std::int32_t>(f.m_dMin);
      if (v > f.m_dMax) v = static_cast<std::int32_t>(f.m_dMax);
      iChanged += v != iOld;
    } else if (f.m_eKind == EField::RealPair) {
      double& v = *static_cast<double*>(pData);
      const double dOld = v;
      if (!(v >= f.m_dMin)) v = f.m_dMin;
      if (v > f.m_dMax) v = f.m_dMax;
      iChanged += !(v == dOld);
    } else if (f.m_eKind == EField::Radios || f.m_eKind == EField::Choice) {
      std::int32_t& v = *static_cast<std::int32_t*>(pData);
      bool bKnown = false;
      for (int k = 0; k < f.m_iOptions; ++k) bKnown |= f.m_aOptions[k].m_iId == v;
      if (!bKnown) {
        v = f.m_aOptions[0].m_iId;
        ++iChanged;
      }
    }
  }
  return iChanged;
}
