// What each kind of declared field means outside its dialog: how many bytes
// of the record it holds, how its value reads from and writes to text (the
// command line, recipes, describe), what describe says it accepts, and how a
// stored value is brought into range. One row per kind (form_kinds.cpp); a
// new kind of field is one new row here and its controls in the dialog.
#pragma once

#include <cstddef>
#include <string>

#include "xforms/form_decl.h"

// How a value appears in a recipe's JSON.
enum class EValueShape : std::uint8_t {
  None,    // groups and notes: no value
  Number,  // a JSON number
  Switch,  // a JSON boolean
  Word,    // a JSON string (option names, colours, texts)
  Font,    // a JSON object of the font's fields (or the old hex string)
};

struct FieldKind {
  EValueShape m_eShape = EValueShape::None;
  // Bytes of the record the value occupies (a background: its colour; the
  // flag is reached separately). 0: no value.
  std::size_t (*m_pfnSize)(const FieldDesc& f) = nullptr;
  // Reads csText into pValue, refusing unknown option codes and numbers
  // outside the slider range (bCheckRange: the command line) or outside
  // the slider range and what the wizard may choose beyond it (recipes,
  // which replay the wizard's choices). False with the reason in csError
  // (csName names the value in it); the value is then unchanged.
  bool (*m_pfnParse)(const FieldDesc& f, void* pValue, const std::string& csText, bool bCheckRange,
                     const std::string& csName, std::string& csError) = nullptr;
  // The text m_pfnParse reads back to the same bytes.
  std::string (*m_pfnFormat)(const FieldDesc& f, const void* pValue) = nullptr;
  // What the value accepts, for describe ("integer 10 .. 90").
  std::string (*m_pfnDescribe)(const FieldDesc& f) = nullptr;
  // Brings a stored value into its range; true when it changed. Null: any
  // value is kept.
  bool (*m_pfnClamp)(const FieldDesc& f, void* pValue) = nullptr;
};

const FieldKind& KindOf(EField eKind);
// The kind that reads and writes the flag of a colour choice or background:
// a radio pair when the form shows it as two radios, else a check box.
const FieldKind& FlagKindOf(const FieldDesc& f);
