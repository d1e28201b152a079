#include "platform/gdi/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/data_dir.h"

struct CFace {
  FT_Face m_face = nullptr;
  std::string m_csFile;
  std::string m_csFamily;
  int m_iUnitsPerEm = 2048;
  int m_iWinAscent = 0;  // the cell of a positive font height, in font units
  int m_iWinDescent = 0;
};

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr LONG kDefaultCellHeight = 16;

// How a font record was resolved.
struct CMatch {
  std::shared_ptr<CFace> m_pFace;
  bool m_bEmbolden = false;
  bool m_bOblique = false;
};

// FreeType, fontconfig, the open faces and the resolved matches, shared by
// all threads under one lock. Lives for the whole run.
class CFontSystem {
 public:
  static CFontSystem& Get() {
    static CFontSystem* s_pSystem = new CFontSystem;  // never destroyed: fonts may outlive main
    return *s_pSystem;
  }

  std::mutex m_mutex;

  CMatch Resolve(const LOGFONT& lf) {
    const std::string csFamily = MapFontFamily(lf.lfFaceName);
    const int iWeight = lf.lfWeight <= 0 ? FW_NORMAL : static_cast<int>(lf.lfWeight);
    const bool bItalic = lf.lfItalic != 0;
    const std::string csKey = csFamily + '\n' + std::to_string(iWeight) + (bItalic ? "i" : "r");
    auto it = m_matches.find(csKey);
    if (it != m_matches.end()) return it->second;
    CMatch match;
    if (!m_pShipped) {
      m_pShipped = FcConfigCreate();
      // The checked files one by one, in list order: adding the folder would
      // make fontconfig look for a cache directory, which this configuration
      // deliberately has none of. When the check failed there are no files:
      // no match, so text fails rather than drawing in some other face.
      for (const std::string& csFile : ShippedFontFiles())
        if (m_pShipped)
          FcConfigAppFontAddFile(m_pShipped, reinterpret_cast<const FcChar8*>(csFile.c_str()));
    }
    // Only shipped families are drawn with, never one of the machine's: a
    // name that is neither shipped nor mapped draws with Liberation Sans on
    // every machine alike, and a shipped family is that family or nothing.
    if (m_pShipped) {
      const bool bShipped = strncasecmp(csFamily.c_str(), "Liberation ", 11) == 0;
      match = Match(m_pShipped, bShipped ? csFamily : "Liberation Sans", iWeight, bItalic, true);
    }
    if (match.m_pFace) m_matches[csKey] = match;
    return match;
  }

  void Reset() { m_matches.clear(); }

  // At exit: gives fontconfig's data back (the faces stay open; nothing may
  // draw text any more).
  void ReleaseConfigs() {
    std::lock_guard lock(m_mutex);
    Reset();
    if (m_pShipped) FcConfigDestroy(m_pShipped);
    m_pShipped = nullptr;
  }

 private:
  CFontSystem() {
    if (FT_Init_FreeType(&m_library) != 0) m_library = nullptr;
  }

  CMatch Match(FcConfig* pConfig, const std::string& csFamily, int iWeight, bool bItalic,
               bool bExactFamily) {
    CMatch match;
    if (!m_library) return match;
    FcPattern* pPattern = FcPatternCreate();
    FcPatternAddString(pPattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(csFamily.c_str()));
    FcPatternAddInteger(pPattern, FC_WEIGHT, FcWeightFromOpenType(iWeight));
    FcPatternAddInteger(pPattern, FC_SLANT, bItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pPattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(pConfig, pPattern, FcMatchPattern);
    FcDefaultSubstitute(pPattern);
    FcResult result = FcResultNoMatch;
    FcPattern* pFound = FcFontMatch(pConfig, pPattern, &result);
    FcPatternDestroy(pPattern);
    if (!pFound) return match;
    FcChar8* szFile = nullptr;
    FcChar8* szFamily = nullptr;
    int iIndex = 0, iFoundWeight = FC_WEIGHT_REGULAR, iFoundSlant = FC_SLANT_ROMAN;
    FcPatternGetString(pFound, FC_FILE, 0, &szFile);
    FcPatternGetString(pFound, FC_FAMILY, 0, &szFamily);
    FcPatternGetInteger(pFound, FC_INDEX, 0, &iIndex);
    FcPatternGetInteger(pFound, FC_WEIGHT, 0, &iFoundWeight);
    FcPatternGetInteger(pFound, FC_SLANT, 0, &iFoundSlant);
    const bool bFamilyOk =
        szFamily && strcasecmp(reinterpret_cast<const char*>(szFamily), csFamily.c_str()) == 0;
    if (szFile && (bFamilyOk || !bExactFamily)) {
      match.m_pFace = OpenFace(reinterpret_cast<const char*>(szFile), iIndex,
                               szFamily ? reinterpret_cast<const char*>(szFamily) : "");
      match.m_bEmbolden = iWeight >= 600 && iFoundWeight < FC_WEIGHT_DEMIBOLD;
      match.m_bOblique = bItalic && iFoundSlant == FC_SLANT_ROMAN;
    }
    FcPatternDestroy(pFound);
    return match;
  }

  std::shared_ptr<CFace> OpenFace(const char* szFile, int iIndex, const char* szFamily) {
    const std::string csKey = std::string(szFile) + '#' + std::to_string(iIndex);
    auto it = m_faces.find(csKey);
    if (it != m_faces.end()) return it->second;
    auto pFace = std::make_shared<CFace>();
    if (FT_New_Face(m_library, szFile, iIndex, &pFace->m_face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(pFace->m_face)) {
      FT_Done_Face(pFace->m_face);
      return nullptr;
    }
    pFace->m_csFile = szFile;
    pFace->m_csFamily = szFamily;
    pFace->m_iUnitsPerEm = pFace->m_face->units_per_EM;
    const auto* pOs2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(pFace->m_face, FT_SFNT_OS2));
    if (pOs2 && pOs2->version != 0xFFFF && pOs2->usWinAscent + pOs2->usWinDescent > 0) {
      pFace->m_iWinAscent = pOs2->usWinAscent;
      pFace->m_iWinDescent = pOs2->usWinDescent;
    } else {
      pFace->m_iWinAscent = pFace->m_face->ascender;
      pFace->m_iWinDescent = -pFace->m_face->descender;
    }
    if (pFace->m_iUnitsPerEm <= 0 || pFace->m_iWinAscent + pFace->m_iWinDescent <= 0)
      return nullptr;
    m_faces[csKey] = pFace;
    return pFace;
  }

  FT_Library m_library = nullptr;
  FcConfig* m_pShipped = nullptr;
  std::map<std::string, std::shared_ptr<CFace>> m_faces;  // faces stay open for the run
  std::map<std::string, CMatch> m_matches;
};

struct CFontConfigRelease {
  ~CFontConfigRelease() { CFontSystem::Get().ReleaseConfigs(); }
} s_fontConfigRelease;

// Windows-1252 bytes 0x80..0x9F; the rest equal their code point.
constexpr unsigned short kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

unsigned CodePointOfByte(unsigned char c, BYTE iCharSet) {
  if (iCharSet == SYMBOL_CHARSET) return 0xF000u + c;
  if (c >= 0x80 && c < 0xA0) return kCp1252High[c - 0x80];
  return c;
}

std::string MapFontFamily(const char* szFace) {
  static const struct {
    const char* szFrom;
    const char* szTo;
  } kMap[] = {{"", "Liberation Sans"},
              {"Arial", "Liberation Sans"},
              {"Helvetica", "Liberation Sans"},
              {"Times New Roman", "Liberation Serif"},
              {"Times", "Liberation Serif"},
              {"Courier New", "Liberation Mono"},
              {"Courier", "Liberation Mono"}};
  const std::string csFace = szFace ? szFace : "";
  for (const auto& entry : kMap)
    if (strcasecmp(csFace.c_str(), entry.szFrom) == 0) return entry.szTo;
  return csFace;
}

void ResetFontCache() {
  CFontSystem& fs = CFontSystem::Get();
  std::lock_guard lock(fs.m_mutex);
  fs.Reset();
}

CFont::CFont(const LOGFONT& lf, std::shared_ptr<CFace> pFace, double dPixelSize, int iAscent,
             int iDescent, bool bEmbolden, bool bOblique)
    : m_lf(lf),
      m_pFace(std::move(pFace)),
      m_dPixelSize(dPixelSize),
      m_iAscent(iAscent),
      m_iDescent(iDescent),
      m_dAngle(static_cast<double>(lf.lfEscapement % 3600) * kPi / 1800.0),
      m_bEmbolden(bEmbolden),
      m_bOblique(bOblique) {}

CFont::~CFont() {
  std::lock_guard lock(CFontSystem::Get().m_mutex);
  m_cache.clear();
}

const std::string& CFont::FamilyName() const { return m_pFace->m_csFamily; }
const std::string& CFont::FileName() const { return m_pFace->m_csFile; }

const CGlyph& CFont::Glyph(unsigned char c) const {
  std::lock_guard lock(CFontSystem::Get().m_mutex);
  auto it = m_cache.find(c);
  if (it != m_cache.end()) return *it->second;
  auto pGlyph = std::make_unique<CGlyph>();
  FT_Face face = m_pFace->m_face;
  // The size is set on every use: fonts of many sizes share one face.
  FT_Set_Transform(face, nullptr, nullptr);
  if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::llround(m_dPixelSize * 64)), 72,
                       72) == 0) {
    FT_UInt iGlyph = FT_Get_Char_Index(face, CodePointOfByte(c, m_lf.lfCharSet));
    if (iGlyph == 0 && m_lf.lfCharSet == SYMBOL_CHARSET) iGlyph = FT_Get_Char_Index(face, c);
    if (FT_Load_Glyph(face, iGlyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
        face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_GlyphSlot slot = face->glyph;
      pGlyph->m_dAdvance = static_cast<double>(slot->linearHoriAdvance) / 65536.0;
      if (m_bEmbolden) FT_GlyphSlot_Embolden(slot);
      if (m_bOblique) FT_GlyphSlot_Oblique(slot);
      if (m_lf.lfEscapement % 3600 != 0) {
        // Counter-clockwise on the screen is counter-clockwise in FreeType's
        // y-up space too.
        const double co = std::cos(m_dAngle), si = std::sin(m_dAngle);
        FT_Matrix m;
        m.xx = static_cast<FT_Fixed>(std::llround(co * 65536));
        m.xy = static_cast<FT_Fixed>(std::llround(-si * 65536));
        m.yx = static_cast<FT_Fixed>(std::llround(si * 65536));
        m.yy = m.xx;
        FT_Outline_Transform(&slot->outline, &m);
      }
      if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0 &&
          slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        // The 1-bit rows (most significant bit first) become runs.
        const FT_Bitmap& bm = slot->bitmap;
        for (unsigned y = 0; y < bm.rows; ++y) {
          const unsigned char* pRow =
              bm.pitch >= 0 ? bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch
                            : bm.buffer + static_cast<std::ptrdiff_t>(bm.rows - 1 - y) * -bm.pitch;
          auto bit = [pRow](unsigned x) { return (pRow[x >> 3] >> (7 - (x & 7))) & 1; };
          for (unsigned x = 0; x < bm.width;) {
            if (!bit(x)) {
              x = (x & 7) == 0 && pRow[x >> 3] == 0 ? x + 8 : x + 1;
              continue;
            }
            unsigned end = x + 1;
            while (end < bm.width && bit(end)) ++end;
            pGlyph->m_aRuns.push_back({static_cast<int>(y) - slot->bitmap_top,
                                       static_cast<int>(x) + slot->bitmap_left,
                                       static_cast<int>(end) + slot->bitmap_left});
            x = end;
          }
        }
      }
    }
  }
  if (!pGlyph->m_aRuns.empty()) {
    CGlyph& g = *pGlyph;
    g.m_iLeft = g.m_iTop = INT32_MAX;
    g.m_iRight = g.m_iBottom = INT32_MIN;
    for (const CGlyph::Run& run : g.m_aRuns) {
      g.m_iLeft = std::min(g.m_iLeft, run.x0);
      g.m_iRight = std::max(g.m_iRight, run.x1);
      g.m_iTop = std::min(g.m_iTop, run.y);
      g.m_iBottom = std::max(g.m_iBottom, run.y + 1);
    }
  }
  const CGlyph& glyph = *pGlyph;
  m_cache.emplace(c, std::move(pGlyph));
  return glyph;
}

int CFont::Advance(unsigned char c) const {
  return static_cast<int>(std::lround(Glyph(c).m_dAdvance));
}

HFONT CreateFontIndirect(const LOGFONT& lf) {
  if (std::memchr(lf.lfFaceName, 0, LF_FACESIZE) == nullptr) return nullptr;
  CFontSystem& fs = CFontSystem::Get();
  std::lock_guard lock(fs.m_mutex);
  const CMatch match = fs.Resolve(lf);
  if (!match.m_pFace) return nullptr;
  const CFace& face = *match.m_pFace;
  // A positive height is the cell (ascent + descent of the face's Windows
  // metrics); a negative one the em size; 0 a default cell.
  const double dCell = face.m_iWinAscent + face.m_iWinDescent;
  const LONG iHeight = lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight;
  const double dPixelSize = iHeight > 0 ? iHeight * face.m_iUnitsPerEm / dCell
                                        : -static_cast<double>(iHeight);
  const int iAscent =
      static_cast<int>(std::lround(face.m_iWinAscent * dPixelSize / face.m_iUnitsPerEm));
  const int iDescent =
      static_cast<int>(std::lround(face.m_iWinDescent * dPixelSize / face.m_iUnitsPerEm));
  return std::make_shared<CFont>(lf, match.m_pFace, dPixelSize, iAscent, iDescent,
                                 match.m_bEmbolden, match.m_bOblique);
}

HFONT GetStockFont(int iObject) {
  if (iObject != SYSTEM_FONT && iObject != DEFAULT_GUI_FONT) return nullptr;
  static const HFONT s_hSystem = [] {
    LOGFONT lf{};
    lf.lfHeight = kDefaultCellHeight;
    lf.lfWeight = FW_BOLD;
    std::strcpy(lf.lfFaceName, "Arial");
    HFONT h = CreateFontIndirect(lf);
    return h ? MakeStockObject(h) : h;
  }();
  return s_hSystem;
}
