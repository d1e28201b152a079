// Fonts: a LOGFONT record resolved to a shipped font file through fontconfig,
// rendered by FreeType into monochrome glyph bitmaps.
//
// Determinism rules: faces come only from the program's own font folder
// (resources/fonts, the Liberation families), and only from the files its
// SHA256SUMS lists and that match it (ShippedFontFiles, platform/data_dir.h),
// matched in a private fontconfig configuration that reads no system or user
// configuration, so no machine setting (anti-aliasing, hinting, LCD filter,
// aliases) and no machine font reaches the rasteriser. "Arial" (and an empty
// or unknown name) resolves to Liberation Sans, "Times New Roman" to
// Liberation Serif, "Courier New" to Liberation Mono; a font record in text
// form may only name those (form_text.h). When the shipped fonts are missing
// or damaged no font is made at all.
// Glyphs: unhinted outlines, rendered aliased (FT_RENDER_MODE_MONO); advances
// rounded to whole pixels from the unhinted advance.
//
// Threads: faces, fontconfig and FreeType are shared and guarded by one lock;
// glyph bitmaps are cached per font object under the same lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/win_types.h"

constexpr int LF_FACESIZE = 32;
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;

// The 60-byte font record, field for field as stored in parameter records.
struct LOGFONT {
  LONG lfHeight;  // > 0: cell height (ascent + descent); < 0: em size; 0: default
  LONG lfWidth;
  LONG lfEscapement;  // tenths of a degree, counter-clockwise on the screen
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONT) == 60);
using LogFont = LOGFONT;

// One rendered glyph as runs of set pixels, relative to the glyph's origin
// on the baseline (x right, y down), row by row.
struct CGlyph {
  struct Run {
    int y;
    int x0;
    int x1;  // excluded
  };
  std::vector<Run> m_aRuns;
  double m_dAdvance = 0;  // unhinted advance in pixels
  // The box of the runs: m_iLeft <= x < m_iRight, m_iTop <= y < m_iBottom
  // (all 0 when there are none).
  int m_iLeft = 0, m_iTop = 0, m_iRight = 0, m_iBottom = 0;
};

struct CFace;

class CFont final : public CGdiObject {
 public:
  CFont(const LOGFONT& lf, std::shared_ptr<CFace> pFace, double dPixelSize, int iAscent,
        int iDescent, bool bEmbolden, bool bOblique);
  ~CFont() override;

  const LOGFONT& GetLogFont() const { return m_lf; }
  // The family and file that render this font.
  const std::string& FamilyName() const;
  const std::string& FileName() const;
  double PixelSize() const { return m_dPixelSize; }
  int Ascent() const { return m_iAscent; }
  int Descent() const { return m_iDescent; }
  int Height() const { return m_iAscent + m_iDescent; }
  // Escapement in radians, counter-clockwise on the screen.
  double Angle() const { return m_dAngle; }
  // The glyph of one character byte (Windows-1252, or symbol-font code),
  // rotated by the escapement. The pointer stays valid while the font lives.
  const CGlyph& Glyph(unsigned char c) const;
  // The advance of one byte in whole pixels.
  int Advance(unsigned char c) const;

 private:
  LOGFONT m_lf;
  std::shared_ptr<CFace> m_pFace;
  double m_dPixelSize;
  int m_iAscent;
  int m_iDescent;
  double m_dAngle;
  bool m_bEmbolden;
  bool m_bOblique;
  mutable std::unordered_map<unsigned, std::unique_ptr<CGlyph>> m_cache;  // under the font lock
};

// The font nearest to the record; nullptr when the shipped fonts failed
// their check (or lf's face name is not terminated within its 32 bytes).
HFONT CreateFontIndirect(const LOGFONT& lf);
// SYSTEM_FONT / DEFAULT_GUI_FONT: the DC's default font, bold Liberation Sans
// of cell height 16. Shared by all threads.
HFONT GetStockFont(int iObject);
// The shipped family a face name renders with ("Arial" -> "Liberation Sans");
// names that are not mapped come back unchanged.
std::string MapFontFamily(const char* szFace);
// The Unicode code point of a character byte in the given character set.
unsigned CodePointOfByte(unsigned char c, BYTE iCharSet);
// Forgets the fontconfig state and matches (fonts already made stay usable).
// For tests that change the environment; call while no font is being made.
void ResetFontCache();
