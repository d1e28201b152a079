#include "xforms/form_text.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "xforms/form_kinds.h"

namespace {

bool IsSettable(EField e) { return KindOf(e).m_pfnParse != nullptr; }

bool EqualNoCase(const std::string& a, const char* b) {
  return b && strcasecmp(a.c_str(), b) == 0;
}

std::string WithoutMnemonic(const char* sz) {
  std::string cs;
  for (; sz && *sz; ++sz)
    if (*sz != '&') cs += *sz;
  return cs;
}

}  // namespace

// The default as describe shows it: switches as on/off, texts quoted.
static std::string DefaultText(const CFormRef& form, const void* pDefaults, std::size_t i,
                               bool bFlag) {
  const FieldDesc& f = form.Field(i);
  const std::string cs = FieldText(form, pDefaults, i, bFlag);
  if ((bFlag ? FlagKindOf(f) : KindOf(f.m_eKind)).m_eShape == EValueShape::Switch)
    return cs == "0" ? "off" : "on";
  return !bFlag && f.m_eKind == EField::Text ? "\"" + cs + "\"" : cs;
}

// ---- Values ------------------------------------------------------------------------

std::string Trimmed(const std::string& cs) {
  std::size_t b = 0, e = cs.size();
  while (b < e && std::isspace(static_cast<unsigned char>(cs[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(cs[e - 1]))) --e;
  return cs.substr(b, e - b);
}

std::string QuotedValue(const std::string& cs) {
  constexpr std::size_t kMaxShown = 40;
  std::string csShown;
  std::size_t i = 0;
  for (; i < cs.size() && i < kMaxShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(cs[i]);
    csShown += c < 0x20 || c == 0x7F ? '?' : cs[i];
  }
  if (i < cs.size()) {
    // Not in the middle of a UTF-8 sequence.
    while (!csShown.empty() && (static_cast<unsigned char>(csShown.back()) & 0xC0) == 0x80)
      csShown.pop_back();
    if (!csShown.empty() && static_cast<unsigned char>(csShown.back()) >= 0xC0) csShown.pop_back();
    csShown += "...";
  }
  return "\"" + csShown + "\"";
}

bool ParseLong(const std::string& cs, long& iValue, int iBase) {
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

// ---- Fonts -------------------------------------------------------------------------

namespace {

// The numeric fields of a LOGFONT by key, in record order.
struct FontNumber {
  const char* m_szKey;
  long m_iMin, m_iMax;
  long (*m_pfnGet)(const LOGFONT&);
  void (*m_pfnSet)(LOGFONT&, long);
};

#define VX_FONT_LONG(key, member)                                        \
  FontNumber {                                                          \
    key, INT32_MIN, INT32_MAX, [](const LOGFONT& lf) -> long { return lf.member; }, \
        [](LOGFONT& lf, long v) { lf.member = static_cast<LONG>(v); }   \
  }
#define VX_FONT_BYTE(key, member)                                       \
  FontNumber {                                                          \
    key, 0, 255, [](const LOGFONT& lf) -> long { return lf.member; },   \
        [](LOGFONT& lf, long v) { lf.member = static_cast<BYTE>(v); }   \
  }
const FontNumber kFontNumbers[] = {
    VX_FONT_LONG("height", lfHeight),          VX_FONT_LONG("width", lfWidth),
    VX_FONT_LONG("escapement", lfEscapement),  VX_FONT_LONG("orientation", lfOrientation),
    VX_FONT_LONG("weight", lfWeight),          VX_FONT_BYTE("italic", lfItalic),
    VX_FONT_BYTE("underline", lfUnderline),    VX_FONT_BYTE("strikeout", lfStrikeOut),
    VX_FONT_BYTE("charset", lfCharSet),        VX_FONT_BYTE("out_precision", lfOutPrecision),
    VX_FONT_BYTE("clip_precision", lfClipPrecision), VX_FONT_BYTE("quality", lfQuality),
    VX_FONT_BYTE("pitch_and_family", lfPitchAndFamily),
};
#undef VX_FONT_LONG
#undef VX_FONT_BYTE

// Switches written without a value: the field takes 1 (bold: 700).
const struct {
  const char* m_szWord;
  const char* m_szKey;
  long m_iValue;
} kFontWords[] = {{"bold", "weight", FW_BOLD},  {"normal", "weight", FW_NORMAL},
                  {"regular", "weight", FW_NORMAL}, {"italic", "italic", 1},
                  {"underline", "underline", 1}, {"strikeout", "strikeout", 1}};

LOGFONT PlainFont() {
  LOGFONT lf{};
  lf.lfWeight = FW_NORMAL;
  return lf;
}

// The spelling of a shipped face or of a name the program maps to one, or
// null when the face is neither.
const char* KnownFace(const std::string& csFace) {
  static const std::vector<std::string> aFaces = ShippedFontFaces();
  for (const std::string& cs : aFaces)
    if (strcasecmp(cs.c_str(), csFace.c_str()) == 0) return cs.c_str();
  return nullptr;
}

std::string UnknownFaceError(const std::string& csFace) {
  std::string csError = "unknown font face " + QuotedValue(csFace) + " (shipped faces: ";
  const std::vector<std::string> aFaces = ShippedFontFaces();
  for (std::size_t k = 0; k < aFaces.size(); ++k) csError += (k ? ", " : "") + aFaces[k];
  return csError + ")";
}

bool SetFace(LOGFONT& lf, const std::string& csFace, std::string& csError) {
  const char* szKnown = KnownFace(csFace);
  if (!szKnown) return csError = UnknownFaceError(csFace), false;
  std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
  std::strncpy(lf.lfFaceName, szKnown, sizeof lf.lfFaceName - 1);
  return true;
}

bool SetFontNumber(LOGFONT& lf, const std::string& csKey, const std::string& csValue,
                   std::string& csError) {
  for (const FontNumber& n : kFontNumbers) {
    if (!EqualNoCase(csKey, n.m_szKey)) continue;
    long v;
    if (!ParseLong(csValue, v) || v < n.m_iMin || v > n.m_iMax)
      return csError = "the font's " + csKey + " must be a whole number in " +
                       std::to_string(n.m_iMin) + " .. " + std::to_string(n.m_iMax) + ", not " +
                       QuotedValue(csValue),
             false;
    n.m_pfnSet(lf, v);
    return true;
  }
  return csError = "unknown font field " + QuotedValue(csKey), false;
}

bool FontFromHex(const std::string& cs, LOGFONT& lf) {
  if (cs.size() != 2 * sizeof(LOGFONT)) return false;
  unsigned char aBytes[sizeof(LOGFONT)];
  for (std::size_t k = 0; k < sizeof aBytes; ++k) {
    long v;
    if (!std::isxdigit(static_cast<unsigned char>(cs[2 * k])) ||
        !std::isxdigit(static_cast<unsigned char>(cs[2 * k + 1])) ||
        !ParseLong(cs.substr(2 * k, 2), v, 16))
      return false;
    aBytes[k] = static_cast<unsigned char>(v);
  }
  std::memcpy(&lf, aBytes, sizeof lf);
  return true;
}

}  // namespace

std::vector<std::string> ShippedFontFaces() {
  std::vector<std::string> aFaces = {"Liberation Sans", "Liberation Serif", "Liberation Mono"};
  // The names the drawing layer maps to those families.
  for (const char* sz : {"Arial", "Helvetica", "Times New Roman", "Times", "Courier New", "Courier"})
    if (MapFontFamily(sz) != sz) aFaces.push_back(sz);
  return aFaces;
}

bool FontFromText(const std::string& csText, LOGFONT& lfOut, std::string& csError) {
  const std::string cs = Trimmed(csText);
  LOGFONT lf = PlainFont();
  if (FontFromHex(cs, lf)) {
    // A face name filling all of its bytes would be read past its end.
    if (!std::memchr(lf.lfFaceName, 0, sizeof lf.lfFaceName))
      return csError = "the font record's face name has no terminating zero byte", false;
    // The record's bytes are kept as they are, but its face must be one the
    // program ships: another would draw differently from machine to machine.
    if (lf.lfFaceName[0] && !KnownFace(lf.lfFaceName))
      return csError = "the font record's face: " + UnknownFaceError(lf.lfFaceName), false;
    return lfOut = lf, true;
  }
  bool bFace = false;
  std::size_t iStart = 0;
  for (int iItem = 0; iStart <= cs.size(); ++iItem) {
    std::size_t iEnd = cs.find(',', iStart);
    if (iEnd == std::string::npos) iEnd = cs.size();
    const std::string csItem = Trimmed(cs.substr(iStart, iEnd - iStart));
    iStart = iEnd + 1;
    const std::size_t iEq = csItem.find('=');
    if (iEq != std::string::npos) {
      const std::string csKey = Trimmed(csItem.substr(0, iEq));
      const std::string csValue = Trimmed(csItem.substr(iEq + 1));
      if (EqualNoCase(csKey, "face")) {
        if (!SetFace(lf, csValue, csError)) return false;
        bFace = true;
      } else if (!SetFontNumber(lf, csKey, csValue, csError)) {
        return false;
      }
      continue;
    }
    if (iItem == 0) {
      if (!SetFace(lf, csItem, csError)) return false;
      bFace = true;
      continue;
    }
    long iHeight;
    if (ParseLong(csItem, iHeight) && iHeight >= INT32_MIN && iHeight <= INT32_MAX) {
      lf.lfHeight = static_cast<LONG>(iHeight);
      continue;
    }
    bool bWord = false;
    for (const auto& w : kFontWords)
      if (EqualNoCase(csItem, w.m_szWord))
        bWord = SetFontNumber(lf, w.m_szKey, std::to_string(w.m_iValue), csError);
    if (!bWord)
      return csError = "unknown font item " + QuotedValue(csItem) +
                       " (expected a height, bold, italic, underline, strikeout or key=value)",
             false;
  }
  if (!bFace) return csError = "the font names no face", false;
  lfOut = lf;
  return true;
}

bool IsReadableFont(const LOGFONT& lf) {
  const std::size_t n = strnlen(lf.lfFaceName, sizeof lf.lfFaceName);
  if (n == sizeof lf.lfFaceName) return false;
  for (std::size_t k = n; k < sizeof lf.lfFaceName; ++k)
    if (lf.lfFaceName[k] != 0) return false;
  const char* szKnown = KnownFace(lf.lfFaceName);
  return szKnown && std::strcmp(szKnown, lf.lfFaceName) == 0;
}

std::string FontText(const LOGFONT& lf) {
  if (!IsReadableFont(lf)) {
    std::string cs;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&lf);
    char sz[3];
    for (std::size_t k = 0; k < sizeof lf; ++k) {
      std::snprintf(sz, sizeof sz, "%02x", p[k]);
      cs += sz;
    }
    return cs;
  }
  // The face, then what differs from a plain font, shortest first.
  const LOGFONT plain = PlainFont();
  std::string cs = lf.lfFaceName;
  if (lf.lfWeight == FW_BOLD) cs += ",bold";
  if (lf.lfItalic == 1) cs += ",italic";
  if (lf.lfUnderline == 1) cs += ",underline";
  if (lf.lfStrikeOut == 1) cs += ",strikeout";
  // Appended piece by piece: GCC 12 misreads "," + std::to_string(...) here.
  if (lf.lfHeight != 0) (cs += ',') += std::to_string(lf.lfHeight);
  for (const FontNumber& n : kFontNumbers) {
    const long v = n.m_pfnGet(lf);
    const bool bSaid = (std::strcmp(n.m_szKey, "weight") == 0 && v == FW_BOLD) ||
                       (v == 1 && (std::strcmp(n.m_szKey, "italic") == 0 ||
                                   std::strcmp(n.m_szKey, "underline") == 0 ||
                                   std::strcmp(n.m_szKey, "strikeout") == 0)) ||
                       std::strcmp(n.m_szKey, "height") == 0;
    if (!bSaid && v != n.m_pfnGet(plain))
      (((cs += ',') += n.m_szKey) += '=') += std::to_string(v);
  }
  return cs;
}

std::vector<std::pair<std::string, std::string>> FontFields(const LOGFONT& lf) {
  std::vector<std::pair<std::string, std::string>> a;
  a.emplace_back("face", std::string(lf.lfFaceName, strnlen(lf.lfFaceName, sizeof lf.lfFaceName)));
  for (const FontNumber& n : kFontNumbers) a.emplace_back(n.m_szKey, std::to_string(n.m_pfnGet(lf)));
  return a;
}

// ---- Whole forms -------------------------------------------------------------------

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
    csError = "unknown parameter " + QuotedValue(csName);
    return false;
  }
  const std::size_t i = static_cast<std::size_t>(iField);
  const FieldDesc& f = form.Field(i);
  const FieldKind& kind = bFlag ? FlagKindOf(f) : KindOf(f.m_eKind);
  // A text keeps its spaces; every other value is read without the ones around it.
  const std::string csValue =
      !bFlag && f.m_eKind == EField::Text ? csRawValue : Trimmed(csRawValue);
  void* pValue = bFlag ? form.FlagAddress(i, pRecord) : form.Address(i, pRecord);
  if (!kind.m_pfnParse || !pValue) return csError = "\"" + csName + "\" cannot be set", false;
  return kind.m_pfnParse(f, pValue, csValue, bCheckRange, csName, csError);
}

EValueShape ValueShapeOf(const CFormRef& form, const std::string& csName) {
  bool bFlag = false;
  const int iField = form.Find(csName, &bFlag);
  if (iField < 0) return EValueShape::None;
  const FieldDesc& f = form.Field(static_cast<std::size_t>(iField));
  return (bFlag ? FlagKindOf(f) : KindOf(f.m_eKind)).m_eShape;
}

std::string FieldText(const CFormRef& form, const void* pRecord, std::size_t i, bool bFlag) {
  const FieldDesc& f = form.Field(i);
  const FieldKind& kind = bFlag ? FlagKindOf(f) : KindOf(f.m_eKind);
  const void* pValue = bFlag ? form.FlagAddress(i, const_cast<void*>(pRecord)) : form.Address(i, pRecord);
  return kind.m_pfnFormat && pValue ? kind.m_pfnFormat(f, pValue) : "";
}

std::vector<NamedValue> FormValues(const CFormRef& form, const void* pRecord) {
  std::vector<NamedValue> aValues;
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const FieldDesc& f = form.Field(i);
    if (!IsSettable(f.m_eKind)) continue;
    aValues.push_back(
        {f.m_szName, FieldText(form, pRecord, i), f.m_eKind, false, KindOf(f.m_eKind).m_eShape});
    if (f.m_szFlagName)
      aValues.push_back({f.m_szFlagName, FieldText(form, pRecord, i, true), f.m_eKind, true,
                         FlagKindOf(f).m_eShape});
  }
  return aValues;
}

std::string DescribeForm(const CFormRef& form, const void* pDefaults) {
  std::string csOut;
  auto line = [&csOut](const std::string& csName, const std::string& csAccepts,
                       const std::string& csDefault, const std::string& csLabel) {
    char sz[512];
    std::snprintf(sz, sizeof sz, "  %-20s %-40s default %-12s %s\n", csName.c_str(),
                  csAccepts.c_str(), csDefault.c_str(), csLabel.c_str());
    csOut += sz;
  };
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const FieldDesc& f = form.Field(i);
    if (f.m_eKind == EField::GroupBegin) csOut += WithoutMnemonic(f.m_szLabel) + ":\n";
    if (!IsSettable(f.m_eKind)) continue;
    line(f.m_szName, KindOf(f.m_eKind).m_pfnDescribe(f), DefaultText(form, pDefaults, i, false),
         f.m_bInDialog ? WithoutMnemonic(f.m_szLabel) : "(no control in the dialog)");
    if (f.m_szFlagName) {
      const char* szLabel = f.m_szFlagLabel ? f.m_szFlagLabel
                            : f.m_eKind == EField::Background ? "use the picture"
                                                              : "";
      line(f.m_szFlagName, FlagKindOf(f).m_pfnDescribe(f), DefaultText(form, pDefaults, i, true),
           WithoutMnemonic(szLabel));
    }
  }
  return csOut;
}

int ClampToForm(const CFormRef& form, void* pRecord) {
  int iChanged = 0;
  for (std::size_t i = 0; i < form.Count(); ++i) {
    const FieldDesc& f = form.Field(i);
    const FieldKind& kind = KindOf(f.m_eKind);
    if (kind.m_pfnClamp && kind.m_pfnClamp(f, form.Address(i, pRecord))) ++iChanged;
  }
  return iChanged;
}
