// Text views of declared values: the command line's --set, recipes and
// describe. Each kind of field reads and writes its text through its row in
// form_kinds.h; the conversions they share (numbers, colours, Windows-1252
// texts, fonts) are here too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/font.h"
#include "platform/win_types.h"
#include "xforms/form_ref.h"

enum class EValueShape : std::uint8_t;

// ---- Whole forms -------------------------------------------------------------------

// The name of a radio or list option: its own name, else its label without
// "&" and ".", lower case, spaces as "-" ("Rect. &and Circle" -> "rect-and-circle").
std::string OptionName(const RadioOption& o);

// Sets a field (or a colour choice's or background's flag, by its flag name)
// from text: numbers for pairs (clamped to the slider range), an option name
// or id for radios and lists, a button's name (or 0/1) for radio pairs and
// flags shown as radios, 0/1/on/off/yes/no/true/false for other flags,
// "#RRGGBB" (red first) or "R,G,B" for colours, UTF-8 text for texts (stored
// as Windows-1252 bytes; a character outside that set is refused), a font as
// FontFromText reads it. Pairs outside their slider range are refused when
// bCheckRange is set (the command line); recipes also take what the wizard
// may choose beyond it (FormField::WizardChooses), and nothing else.
// False with a reason in csError when the text does not fit.
bool SetFieldFromText(const CFormRef& form, void* pRecord, const std::string& csName,
                      const std::string& csValue, std::string& csError, bool bCheckRange = true);
// How a recipe writes the value of that name (EValueShape::None for a name
// the form does not have).
EValueShape ValueShapeOf(const CFormRef& form, const std::string& csName);
// The value in the form SetFieldFromText reads; reals with up to 17
// significant digits, texts as UTF-8.
std::string FieldText(const CFormRef& form, const void* pRecord, std::size_t i, bool bFlag = false);
// Every settable name with its value as text, in declaration order.
struct NamedValue {
  std::string m_csName;
  std::string m_csValue;
  EField m_eKind;
  bool m_bFlag;
  EValueShape m_eShape;  // how a recipe writes it
};
std::vector<NamedValue> FormValues(const CFormRef& form, const void* pRecord);
// One line per settable name: what it accepts (range, options, list entries,
// font syntax), and the default taken from pDefaults.
std::string DescribeForm(const CFormRef& form, const void* pDefaults);
// Clamps every int and real pair into its slider range; radio and list
// fields holding no declared id get the first option. Returns the number of
// values changed.
int ClampToForm(const CFormRef& form, void* pRecord);

// ---- Values ------------------------------------------------------------------------

bool ParseLong(const std::string& cs, long& iValue, int iBase = 10);
// A finite number.
bool ParseDouble(const std::string& cs, double& dValue);
// 0/1, on/off, yes/no, true/false.
bool ParseFlag(const std::string& cs, std::int32_t& bValue);
// "#RRGGBB" (red first) or "R,G,B" into a COLORREF.
bool ParseColour(const std::string& cs, COLORREF& cr);
// "#RRGGBB" of a COLORREF.
std::string ColourText(COLORREF cr);
// The shortest text that reads back as the same double ("0.3", "5").
std::string NumberText(double d);
std::string Trimmed(const std::string& cs);
// A value quoted for a message: in double quotes, cut after 40 characters
// with "..." (a recipe's value can be megabytes long), control characters
// as "?".
std::string QuotedValue(const std::string& cs);

// Texts are stored as Windows-1252 bytes, as the text drawing decodes them;
// their text form is UTF-8. False with the reason (to follow the value's
// name) when the text is not UTF-8 or holds a character without a byte.
bool Utf8ToWindows1252(const std::string& cs, std::string& csBytes, std::string& csWhy);
std::string Windows1252ToUtf8(const char* p, std::size_t n);

// ---- Fonts -------------------------------------------------------------------------
//
// A font reads as "Face[,bold][,italic][,underline][,strikeout][,height]"
// followed by key=value items for any other field, e.g. "Liberation
// Serif,bold,italic,-24" or "Arial,weight=600,charset=2". The items after the
// face come in any order; every field may be given as key=value with the
// keys of FontFields ("face=Arial" too). Fields not given are those of a
// plain font: height 0, weight 400, everything else 0. The face must be one
// the program ships (or a name it maps to one, like "Arial"); the old form,
// the 60 bytes of the record in hexadecimal, is read as it is, and its face
// must be one of those too (or empty, for Liberation Sans). Any other face
// is refused, naming the face.

bool FontFromText(const std::string& csText, LOGFONT& lf, std::string& csError);
// The readable text of the font when it gives back the record byte for byte
// (a shipped face, nothing after its terminator), else the hexadecimal bytes.
std::string FontText(const LOGFONT& lf);
bool IsReadableFont(const LOGFONT& lf);
// Every field by its key, in record order: face, height, width, escapement,
// orientation, weight, italic, underline, strikeout, charset, out_precision,
// clip_precision, quality, pitch_and_family; numbers as decimal text.
std::vector<std::pair<std::string, std::string>> FontFields(const LOGFONT& lf);
// The face names a font may have, shipped families first.
std::vector<std::string> ShippedFontFaces();
