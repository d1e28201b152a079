// Declared parameter forms. Each Xform declares the fields of its parameter
// record once, as typed constexpr data over pointers to members: name, kind,
// range, dialog controls (ids and labels) and enabling rules. From that one
// declaration come the generic settings dialog, the command line's --set and
// describe, the recipe's fields and plain range clamping.
//
//   constexpr auto kMosaicForm = MakeForm<MosaicParams>(
//       Group("Sizes", RealPair(&MosaicParams::m_dTileSize, "tile_size", 1091, 1031,
//                               "Tile size (% of x dimension)", 1.0, 7.0)),
//       Radios(&MosaicParams::m_iGeometry, "geometry", {{1028, "&Rectangular"}, ...}),
//       Colour(&MosaicParams::m_crHighLight, "highlight", 1035, 1036, "High Light Color")
//           .EnabledWhen([](const MosaicParams& p) { return p.m_iHighLight != 1100; }),
//       WizardSwitch(&MosaicParams::m_bWizard));
//
// The records keep the types the program stores (32-bit ints for flags and
// radio ids, doubles, COLORREF), so a whole recipe stays plain data.
//
// This header is the declaration; Xform headers include "xforms/form.h",
// which brings it together with the form seen without its record type
// (form_ref.h), what each kind of field means as storage and text
// (form_kinds.h) and the text views of the values (form_text.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "imaging/area_selection.h"
#include "imaging/xform_helpers.h"
#include "platform/gdi/font.h"
#include "platform/win_types.h"

// What a declared item is; the dialog picks its controls from it.
enum class EField : std::uint8_t {
  GroupBegin,    // a group box around the following items (label only)
  GroupEnd,
  Note,          // a static text
  IntPair,       // int32 with slider and edit
  RealPair,      // double with slider (0..10000) and edit
  Radios,        // int32 holding the id of the checked radio button
  RadioPair,     // int32 0/1 flag shown as two radio buttons (off first)
  Choice,        // int32 value of the chosen entry of a drop-down list (the entry's m_iId)
  Check,         // int32 0/1 check box
  Colour,        // COLORREF with "choose" button and swatch
  HexColour,     // colour stored as RRGGBB (red in bits 16-23, as typed), with hex edit,
                 // "Choose..." button and swatch
  ColourChoice,  // COLORREF plus an int32 flag (e.g. "random colour") with its own check box
                 // or two radio buttons
  Background,    // BackgroundSpec: colour button and swatch, use-picture flag (check box or
                 // two radio buttons); the button is disabled while the picture is chosen
  Font,          // a LOGFONT, edited by the font chooser
  Text,          // zero-terminated char array (Windows-1252 bytes) with an edit
  Selection,     // an AreaSelection the record keeps (no control: recipes and --set only)
  Wizard,        // the "&Wizard chooses" switch (control 1142)
};
constexpr int kFieldKinds = static_cast<int>(EField::Wizard) + 1;

// Special editors the generic dialog knows by name.
enum class EHint : std::uint8_t {
  None,
  Compass,   // nine radio buttons laid out as a 3 x 3 compass (row by row in m_aOptions)
  Vertical,  // vertical slider (top end is the maximum); neighbouring vertical
             // sliders stand side by side
  FlagList,  // (a note) a drop-down list whose entries set two int flags (FlagList)
  NextColumn,  // (a note) the following items start a new column of the dialog
};

constexpr int kWizardControlId = 1142;
constexpr int kMaxRadioOptions = 9;

struct RadioOption {
  int m_iId = 0;                   // control id, stored as the value
  const char* m_szLabel = nullptr;  // button text (with its & mnemonic)
  const char* m_szName = nullptr;   // name on the command line and in recipes; derived from
                                    // the label when null
  const char* m_szGroup = nullptr;  // radios: the title of a group box around this button
                                    // and the following ones of the same title
  const char* m_szOldName = nullptr;  // a name older recipes carry, still read
};

// Everything about one declared item except where it lives in the record.
struct FieldDesc {
  EField m_eKind = EField::Note;
  const char* m_szName = nullptr;   // --set and recipe key (lower_snake_case)
  const char* m_szLabel = nullptr;  // dialog text of the item
  int m_iId = 0;                    // slider / button / check box / list / edit of a text
  int m_iId2 = 0;                   // edit of a pair / swatch / static showing a font's face
  int m_iId3 = 0;                   // hex edit / flag check box of a colour choice or background
  double m_dMin = 0.0;              // slider range (also the clamping range)
  double m_dMax = 0.0;
  double m_dHardMin = 0.0;          // what an edit accepts before clamping to the slider range
  double m_dHardMax = 0.0;
  double m_dWizardMin = 0.0;        // what the wizard may choose beyond the slider range
  double m_dWizardMax = 0.0;
  int m_iEditChars = 12;            // at most this many characters typed into the edit
  const char* m_szFormat = "%6.2f"; // edit text of a real pair
  int m_iSliderSteps = 10000;       // a real pair's slider positions (0 .. this)
  int m_iPercentOf = 0;             // an int pair showing "%d%%" of value * 100 / this in a
                                    // static (id m_iId2) instead of an edit; 0: an edit
  const char* m_szMinLabel = nullptr;  // texts at the slider's two ends (e.g. "Min", "Max")
  const char* m_szMaxLabel = nullptr;
  // Radios and lists: the options. A radio pair, and the flag of a colour
  // choice or background shown as radios: off (0) first, then on (1).
  std::array<RadioOption, kMaxRadioOptions> m_aOptions{};
  int m_iOptions = 0;
  const char* m_szFlagName = nullptr;   // key of a colour choice's or background's flag
  const char* m_szFlagLabel = nullptr;  // its check box text
  EHint m_eHint = EHint::None;
  bool m_bWizardLocks = true;  // disabled while "&Wizard chooses" is ticked
  bool m_bWizardLocksSlider = true;  // a pair's slider too (else only its edit)
  int m_iSize = 0;             // Text: capacity in bytes; Font: record size
  bool m_bInDialog = true;     // false: a stored value with no control (recipes and --set only)
};

// A declared item of record P.
template <class P>
struct FormField : FieldDesc {
  // Where the value lives: the one member pointer the declaration sets (a
  // colour choice sets m_pColour and its flag m_pInt).
  std::int32_t P::*m_pInt = nullptr;        // IntPair, Radios, RadioPair, Choice, Check, Wizard,
                                            // the flag of a ColourChoice
  double P::*m_pReal = nullptr;             // RealPair
  COLORREF P::*m_pColour = nullptr;         // Colour, HexColour, ColourChoice
  BackgroundSpec P::*m_pBackground = nullptr;
  void* (*m_pfnBytes)(P&) = nullptr;        // Text, Font and Selection storage
  bool (*m_pfnEnabled)(const P&) = nullptr;  // extra enabling rule; null = always
  std::int32_t P::*m_pInt2 = nullptr;       // FlagList: the second flag
  // An int pair held between two other members: its slider stops at them.
  std::int32_t P::*m_pBelow = nullptr;
  std::int32_t P::*m_pAbove = nullptr;

  // Enabled only while pfn says so (and, unless told otherwise, while the
  // wizard switch is clear).
  constexpr FormField EnabledWhen(bool (*pfn)(const P&)) const {
    FormField f = *this;
    f.m_pfnEnabled = pfn;
    return f;
  }
  // A value the Xform keeps (Autochoose draws it, Apply reads it) that its
  // dialog has no control for: recipes and --set carry it, the dialog shows
  // nothing. Declare it with control ids 0 and outside any group.
  constexpr FormField WithoutControl() const {
    FormField f = *this;
    f.m_bInDialog = false;
    return f;
  }
  // Stays editable while "&Wizard chooses" is ticked.
  constexpr FormField NotLockedByWizard() const {
    FormField f = *this;
    f.m_bWizardLocks = false;
    return f;
  }
  // The wizard switch locks a pair's edit but leaves its slider movable.
  constexpr FormField SliderFreeOfWizard() const {
    FormField f = *this;
    f.m_bWizardLocksSlider = false;
    return f;
  }
  // Range an edit accepts before the value is clamped to the slider range.
  constexpr FormField EditAccepts(double dMin, double dMax) const {
    FormField f = *this;
    f.m_dHardMin = dMin;
    f.m_dHardMax = dMax;
    return f;
  }
  // Range the Xform's Autochoose draws from where it reaches past the
  // slider's: recipes, which replay what the wizard chose, accept it too.
  constexpr FormField WizardChooses(double dMin, double dMax) const {
    FormField f = *this;
    f.m_dWizardMin = dMin;
    f.m_dWizardMax = dMax;
    return f;
  }
  // An int pair whose value stays within [p.*pBelow, p.*pAbove] (null: no
  // such neighbour): moving its slider past a neighbour stops it there.
  constexpr FormField HeldBetween(std::int32_t P::*pBelow, std::int32_t P::*pAbove) const {
    FormField f = *this;
    f.m_pBelow = pBelow;
    f.m_pAbove = pAbove;
    return f;
  }
  // An int pair whose second control is a static showing the value as a
  // percentage of iFull ("%d%%" of value * 100 / iFull) instead of an edit.
  constexpr FormField ShownAsPercentOf(int iFull) const {
    FormField f = *this;
    f.m_iPercentOf = iFull;
    return f;
  }
  // Texts at the two ends of a pair's slider.
  constexpr FormField EndLabels(const char* szMin, const char* szMax) const {
    FormField f = *this;
    f.m_szMinLabel = szMin;
    f.m_szMaxLabel = szMax;
    return f;
  }
  // A real pair's slider runs 0 .. iSteps instead of 0 .. 10000.
  constexpr FormField SliderSteps(int iSteps) const {
    FormField f = *this;
    f.m_iSliderSteps = iSteps;
    return f;
  }
  constexpr FormField Hint(EHint eHint) const {
    FormField f = *this;
    f.m_eHint = eHint;
    return f;
  }
  constexpr FormField EditChars(int n) const {
    FormField f = *this;
    f.m_iEditChars = n;
    return f;
  }
  constexpr FormField Format(const char* szFormat) const {
    FormField f = *this;
    f.m_szFormat = szFormat;
    return f;
  }
  // The flag of a colour choice or background as two radio buttons, off (0:
  // the colour) first, e.g. {1086, "Solid color"}, {1087, "Image"}.
  constexpr FormField FlagRadios(RadioOption off, RadioOption on) const {
    FormField f = *this;
    f.m_aOptions[0] = off;
    f.m_aOptions[1] = on;
    f.m_iOptions = 2;
    return f;
  }
};

// A run of items (what Group makes); MakeForm flattens them.
template <class P, std::size_t N>
struct FieldList {
  std::array<FormField<P>, N> m_a{};
};

namespace form_detail {
template <class T>
struct Owner;
template <class P>
struct Owner<FormField<P>> {
  using Type = P;
};
template <class P, std::size_t N>
struct Owner<FieldList<P, N>> {
  using Type = P;
};

template <class T>
struct MemberOwner;
template <class C, class M>
struct MemberOwner<M C::*> {
  using Type = C;
};

template <class P>
constexpr FieldList<P, 1> AsList(const FormField<P>& f) {
  FieldList<P, 1> l;
  l.m_a[0] = f;
  return l;
}
template <class P, std::size_t N>
constexpr FieldList<P, N> AsList(const FieldList<P, N>& l) {
  return l;
}
template <class P, std::size_t... N>
constexpr FieldList<P, (N + ... + 0)> Concat(const FieldList<P, N>&... lists) {
  FieldList<P, (N + ... + 0)> r;
  std::size_t i = 0;
  (
      [&] {
        for (const auto& f : lists.m_a) r.m_a[i++] = f;
      }(),
      ...);
  return r;
}

template <class P>
constexpr FormField<P> Make(EField eKind, const char* szName, const char* szLabel, int iId,
                            int iId2 = 0) {
  FormField<P> f;
  f.m_eKind = eKind;
  f.m_szName = szName;
  f.m_szLabel = szLabel;
  f.m_iId = iId;
  f.m_iId2 = iId2;
  return f;
}
}  // namespace form_detail

// A group box labelled szLabel around the items.
template <class First, class... Rest>
constexpr auto Group(const char* szLabel, const First& first, const Rest&... rest) {
  using P = typename form_detail::Owner<First>::Type;
  FormField<P> begin = form_detail::Make<P>(EField::GroupBegin, nullptr, szLabel, 0);
  FormField<P> end = form_detail::Make<P>(EField::GroupEnd, nullptr, szLabel, 0);
  return form_detail::Concat(form_detail::AsList(begin), form_detail::AsList(first),
                             form_detail::AsList(rest)..., form_detail::AsList(end));
}

// A static text, e.g. Note<MosaicParams>("F1 for help with mosaics").
template <class P>
constexpr FormField<P> Note(const char* szText, int iId = 0) {
  return form_detail::Make<P>(EField::Note, nullptr, szText, iId);
}

// An int with slider iSlider and edit iEdit over iMin..iMax.
template <class P>
constexpr FormField<P> IntPair(std::int32_t P::*pMember, const char* szName, int iSlider,
                               int iEdit, const char* szLabel, int iMin, int iMax) {
  FormField<P> f = form_detail::Make<P>(EField::IntPair, szName, szLabel, iSlider, iEdit);
  f.m_pInt = pMember;
  f.m_dMin = f.m_dHardMin = f.m_dWizardMin = iMin;
  f.m_dMax = f.m_dHardMax = f.m_dWizardMax = iMax;
  return f;
}

// A double with slider iSlider (positions 0..10000) and edit iEdit over dMin..dMax.
template <class P>
constexpr FormField<P> RealPair(double P::*pMember, const char* szName, int iSlider, int iEdit,
                                const char* szLabel, double dMin, double dMax) {
  FormField<P> f = form_detail::Make<P>(EField::RealPair, szName, szLabel, iSlider, iEdit);
  f.m_pReal = pMember;
  f.m_dMin = f.m_dHardMin = f.m_dWizardMin = dMin;
  f.m_dMax = f.m_dHardMax = f.m_dWizardMax = dMax;
  return f;
}

// Radio buttons; the checked button's id is stored.
template <class P>
constexpr FormField<P> Radios(std::int32_t P::*pMember, const char* szName, const char* szLabel,
                              std::initializer_list<RadioOption> options) {
  FormField<P> f = form_detail::Make<P>(EField::Radios, szName, szLabel, 0);
  f.m_pInt = pMember;
  for (const RadioOption& o : options) f.m_aOptions[f.m_iOptions++] = o;
  f.m_iId = f.m_aOptions[0].m_iId;
  return f;
}

// A flag shown as two radio buttons: off (0) checks the first, on (1) the
// second. The dialog lays the two out in the order of their ids, so a pair
// whose first button means "on" is declared as ({id2, "Image"}, {id1, "Solid color"}).
template <class P>
constexpr FormField<P> RadioPair(std::int32_t P::*pMember, const char* szName,
                                 const char* szLabel, RadioOption off, RadioOption on) {
  FormField<P> f = form_detail::Make<P>(EField::RadioPair, szName, szLabel, off.m_iId);
  f.m_pInt = pMember;
  f.m_aOptions[0] = off;
  f.m_aOptions[1] = on;
  f.m_iOptions = 2;
  f.m_dMin = 0;
  f.m_dMax = 1;
  return f;
}

// A drop-down list iList; the value of the chosen entry (its m_iId, e.g.
// {{0, "Circle"}, {1, "Square"}, {4, "None"}}) is stored.
template <class P>
constexpr FormField<P> Choice(std::int32_t P::*pMember, const char* szName, int iList,
                              const char* szLabel, std::initializer_list<RadioOption> options) {
  FormField<P> f = form_detail::Make<P>(EField::Choice, szName, szLabel, iList);
  f.m_pInt = pMember;
  for (const RadioOption& o : options) f.m_aOptions[f.m_iOptions++] = o;
  f.m_dMin = 0;
  f.m_dMax = f.m_iOptions - 1;
  return f;
}

template <class P>
constexpr FormField<P> Check(std::int32_t P::*pMember, const char* szName, int iId,
                             const char* szLabel) {
  FormField<P> f = form_detail::Make<P>(EField::Check, szName, szLabel, iId);
  f.m_pInt = pMember;
  return f;
}

// A colour with its chooser button iButton and swatch iSwatch.
template <class P>
constexpr FormField<P> Colour(COLORREF P::*pMember, const char* szName, int iButton, int iSwatch,
                              const char* szLabel) {
  FormField<P> f = form_detail::Make<P>(EField::Colour, szName, szLabel, iButton, iSwatch);
  f.m_pColour = pMember;
  return f;
}

// A colour stored as RRGGBB (red in bits 16-23), typed as those six hex
// digits into edit iEdit, with a "Choose..." button and a swatch. The chooser
// and the swatch see it as the colour it names; on the command line and in
// recipes it is "#RRGGBB" like every other colour.
template <class P>
constexpr FormField<P> HexColour(COLORREF P::*pMember, const char* szName, int iButton,
                                 int iSwatch, int iEdit, const char* szLabel) {
  FormField<P> f = form_detail::Make<P>(EField::HexColour, szName, szLabel, iButton, iSwatch);
  f.m_pColour = pMember;
  f.m_iId3 = iEdit;
  // Room for a spaced entry such as "# ff 00 00" (white space is removed
  // before the digits are read).
  f.m_iEditChars = 16;
  return f;
}

// A colour plus a flag with its own check box (e.g. "random colour"); with
// .FlagRadios the flag is shown as two radio buttons instead.
template <class P>
constexpr FormField<P> ColourChoice(COLORREF P::*pColour, std::int32_t P::*pFlag,
                                    const char* szName, int iButton, int iSwatch,
                                    const char* szLabel, const char* szFlagName, int iFlagCheck,
                                    const char* szFlagLabel) {
  FormField<P> f = form_detail::Make<P>(EField::ColourChoice, szName, szLabel, iButton, iSwatch);
  f.m_pColour = pColour;
  f.m_pInt = pFlag;
  f.m_szFlagName = szFlagName;
  f.m_iId3 = iFlagCheck;
  f.m_szFlagLabel = szFlagLabel;
  return f;
}

// A background: colour button and swatch; iPictureCheck (0 = none in the
// dialog) edits the use-picture flag, named szName + "_picture".
template <class P>
constexpr FormField<P> Background(BackgroundSpec P::*pMember, const char* szName, int iButton,
                                  int iSwatch, const char* szLabel, const char* szFlagName,
                                  int iPictureCheck = 0, const char* szFlagLabel = nullptr) {
  FormField<P> f = form_detail::Make<P>(EField::Background, szName, szLabel, iButton, iSwatch);
  f.m_pBackground = pMember;
  f.m_szFlagName = szFlagName;
  f.m_iId3 = iPictureCheck;
  f.m_szFlagLabel = szFlagLabel;
  return f;
}

// A zero-terminated text member (a char array) edited in iEdit.
template <auto pMember, class P = typename form_detail::MemberOwner<decltype(pMember)>::Type>
constexpr FormField<P> Text(const char* szName, int iEdit, const char* szLabel, int iEditChars) {
  FormField<P> f = form_detail::Make<P>(EField::Text, szName, szLabel, iEdit);
  f.m_pfnBytes = [](P& p) -> void* { return &(p.*pMember)[0]; };
  f.m_iSize = static_cast<int>(sizeof(std::declval<P&>().*pMember));
  f.m_iEditChars = iEditChars;
  return f;
}

// A LOGFONT member chosen with button iButton; iStatic shows its face.
template <auto pMember, class P = typename form_detail::MemberOwner<decltype(pMember)>::Type>
constexpr FormField<P> Font(const char* szName, int iButton, int iStatic, const char* szLabel) {
  static_assert(std::is_same_v<std::remove_cvref_t<decltype(std::declval<P&>().*pMember)>, LOGFONT>,
                "a font field is a LOGFONT");
  FormField<P> f = form_detail::Make<P>(EField::Font, szName, szLabel, iButton, iStatic);
  f.m_pfnBytes = [](P& p) -> void* { return &(p.*pMember); };
  f.m_iSize = static_cast<int>(sizeof(std::declval<P&>().*pMember));
  return f;
}

// An area selection kept in the record (e.g. one Autochoose chose): written
// "hue,saturation,value,invert,smoothness". It has no control in the dialog.
template <auto pMember, class P = typename form_detail::MemberOwner<decltype(pMember)>::Type>
constexpr FormField<P> Selection(const char* szName, const char* szLabel) {
  static_assert(
      std::is_same_v<std::remove_cvref_t<decltype(std::declval<P&>().*pMember)>, AreaSelection>,
      "a selection field is an AreaSelection");
  FormField<P> f = form_detail::Make<P>(EField::Selection, szName, szLabel, 0);
  f.m_pfnBytes = [](P& p) -> void* { return &(p.*pMember); };
  f.m_iSize = static_cast<int>(sizeof(AreaSelection));
  f.m_bInDialog = false;
  return f;
}

// A drop-down list iList over two int flags of the record, shown only in the
// dialog (the flags themselves are declared as fields for recipes and the
// command line). An entry's id says what it sets: bit 0 the first flag,
// bit 1 the second, e.g. {{0, "No contours"}, {1, "Contours"}, {3, "Numbered
// Contours"}}. A record whose flags match no entry shows the entry of its
// first flag alone.
template <class P>
constexpr FormField<P> FlagList(std::int32_t P::*pFirst, std::int32_t P::*pSecond, int iList,
                                const char* szLabel, std::initializer_list<RadioOption> options) {
  FormField<P> f = form_detail::Make<P>(EField::Note, nullptr, szLabel, iList);
  f.m_eHint = EHint::FlagList;
  f.m_pInt = pFirst;
  f.m_pInt2 = pSecond;
  for (const RadioOption& o : options) f.m_aOptions[f.m_iOptions++] = o;
  return f;
}

// The items after this one fill a new column of the dialog (outside groups).
template <class P>
constexpr FormField<P> NextColumn() {
  FormField<P> f = form_detail::Make<P>(EField::Note, nullptr, nullptr, 0);
  f.m_eHint = EHint::NextColumn;
  return f;
}

// The wizard switch (control 1142), labelled "&Wizard chooses" unless the
// dialog spells it otherwise (e.g. "&Wizard Chooses").
template <class P>
constexpr FormField<P> WizardSwitch(std::int32_t P::*pMember,
                                    const char* szLabel = "&Wizard chooses") {
  FormField<P> f = form_detail::Make<P>(EField::Wizard, "wizard", szLabel, kWizardControlId);
  f.m_pInt = pMember;
  f.m_bWizardLocks = false;
  return f;
}

// The whole declaration of one Xform's record.
template <class P, std::size_t N>
struct Form {
  using Record = P;
  std::array<FormField<P>, N> m_aFields{};
  int m_iDialogId = 0;
  const char* m_szCaption = nullptr;
  // The Xform's own check when its dialog is closed with OK: the message to
  // show (the dialog then stays open), or null when it may close. It may tidy
  // the record (e.g. cut a text to its field).
  const char* (*m_pfnCheck)(P&) = nullptr;

  constexpr Form CheckedBy(const char* (*pfnCheck)(P&)) const {
    Form f = *this;
    f.m_pfnCheck = pfnCheck;
    return f;
  }
};

template <class P, class... Items>
constexpr auto MakeForm(int iDialogId, const char* szCaption, const Items&... items) {
  auto list = form_detail::Concat(form_detail::AsList(items)...);
  Form<P, list.m_a.size()> form;
  form.m_aFields = list.m_a;
  form.m_iDialogId = iDialogId;
  form.m_szCaption = szCaption;
  return form;
}
