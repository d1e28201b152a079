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
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "imaging/xform_helpers.h"
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
  HexColour,     // COLORREF with hex edit, "Choose..." button and swatch
  ColourChoice,  // COLORREF plus an int32 flag (e.g. "random colour") with its own check box
  Background,    // BackgroundSpec: colour button and swatch, use-picture flag
  Font,          // a logical font record, edited by the font chooser
  Text,          // zero-terminated char array (Windows-1252 bytes) with an edit
  Wizard,        // the "&Wizard chooses" switch (control 1142)
};

// Special editors the generic dialog knows by name.
enum class EHint : std::uint8_t {
  None,
  Compass,   // nine radio buttons laid out as a 3 x 3 compass (row by row in m_aOptions)
  Vertical,  // vertical slider (top end is the maximum)
};

constexpr int kWizardControlId = 1142;
constexpr int kMaxRadioOptions = 9;

struct RadioOption {
  int m_iId = 0;                   // control id, stored as the value
  const char* m_szLabel = nullptr;  // button text (with its & mnemonic)
  const char* m_szName = nullptr;   // name on the command line and in recipes; derived from
                                    // the label when null
};

// Everything about one declared item except where it lives in the record.
struct FieldDesc {
  EField m_eKind = EField::Note;
  const char* m_szName = nullptr;   // --set and recipe key (lower_snake_case)
  const char* m_szLabel = nullptr;  // dialog text of the item
  int m_iId = 0;                    // slider / button / check box / list / edit of a text
  int m_iId2 = 0;                   // edit of a pair / swatch / static showing a font's face
  int m_iId3 = 0;                   // hex edit / flag check box of a colour choice
  double m_dMin = 0.0;              // slider range (also the clamping range)
  double m_dMax = 0.0;
  double m_dHardMin = 0.0;          // what an edit accepts before clamping to the slider range
  double m_dHardMax = 0.0;
  int m_iEditChars = 12;            // at most this many characters typed into the edit
  const char* m_szFormat = "%6.2f"; // edit text of a real pair
  std::array<RadioOption, kMaxRadioOptions> m_aOptions{};
  int m_iOptions = 0;
  const char* m_szFlagName = nullptr;   // key of a colour choice's or background's flag
  const char* m_szFlagLabel = nullptr;  // its check box text
  EHint m_eHint = EHint::None;
  bool m_bWizardLocks = true;  // disabled while "&Wizard chooses" is ticked
  bool m_bWizardLocksSlider = true;  // a pair's slider too (else only its edit)
  int m_iSize = 0;             // Text: capacity in bytes; Font: record size
};

// A declared item of record P.
template <class P>
struct FormField : FieldDesc {
  std::int32_t P::*m_pInt = nullptr;        // IntPair, Radios, Choice, Check, Wizard,
                                            // the flag of a ColourChoice
  double P::*m_pReal = nullptr;             // RealPair
  COLORREF P::*m_pColour = nullptr;         // Colour, HexColour, ColourChoice
  BackgroundSpec P::*m_pBackground = nullptr;
  void* (*m_pfnBytes)(P&) = nullptr;        // Text and Font storage
  bool (*m_pfnEnabled)(const P&) = nullptr;  // extra enabling rule; null = always

  // Enabled only while pfn says so (and, unless told otherwise, while the
  // wizard switch is clear).
  constexpr FormField EnabledWhen(bool (*pfn)(const P&)) const {
    FormField f = *this;
    f.m_pfnEnabled = pfn;
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
  f.m_dMin = f.m_dHardMin = iMin;
  f.m_dMax = f.m_dHardMax = iMax;
  return f;
}

// A double with slider iSlider (positions 0..10000) and edit iEdit over dMin..dMax.
template <class P>
constexpr FormField<P> RealPair(double P::*pMember, const char* szName, int iSlider, int iEdit,
                                const char* szLabel, double dMin, double dMax) {
  FormField<P> f = form_detail::Make<P>(EField::RealPair, szName, szLabel, iSlider, iEdit);
  f.m_pReal = pMember;
  f.m_dMin = f.m_dHardMin = dMin;
  f.m_dMax = f.m_dHardMax = dMax;
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

// A flag shown as two radio buttons: off (0) checks the first, on (1) the second.
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

// A colour typed as hexadecimal into edit iEdit ("%06X" of the stored value),
// with a "Choose..." button and a swatch.
template <class P>
constexpr FormField<P> HexColour(COLORREF P::*pMember, const char* szName, int iButton,
                                 int iSwatch, int iEdit, const char* szLabel) {
  FormField<P> f = form_detail::Make<P>(EField::HexColour, szName, szLabel, iButton, iSwatch);
  f.m_pColour = pMember;
  f.m_iId3 = iEdit;
  f.m_iEditChars = 8;
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

// A logical font record chosen with button iButton; iStatic shows its face.
template <auto pMember, class P = typename form_detail::MemberOwner<decltype(pMember)>::Type>
constexpr FormField<P> Font(const char* szName, int iButton, int iStatic, const char* szLabel) {
  FormField<P> f = form_detail::Make<P>(EField::Font, szName, szLabel, iButton, iStatic);
  f.m_pfnBytes = [](P& p) -> void* { return &(p.*pMember); };
  f.m_iSize = static_cast<int>(sizeof(std::declval<P&>().*pMember));
  return f;
}

// The "&Wizard chooses" switch (control 1142).
template <class P>
constexpr FormField<P> WizardSwitch(std::int32_t P::*pMember) {
  FormField<P> f =
      form_detail::Make<P>(EField::Wizard, "wizard", "&Wizard chooses", kWizardControlId);
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

// A form seen without its record type: what the dialog builder, the command
// line and the recipes work with. Storage is reached through raw addresses
// whose type follows from the field's kind (int32, double, COLORREF,
// BackgroundSpec, char array, font record).
class CFormRef {
 public:
  constexpr CFormRef() = default;
  template <class P, std::size_t N>
  constexpr explicit CFormRef(const Form<P, N>& form)
      : m_pFields(form.m_aFields.data()),
        m_iCount(N),
        m_iDialogId(form.m_iDialogId),
        m_szCaption(form.m_szCaption),
        m_iRecordSize(sizeof(P)),
        m_pfnDesc(&DescOf<P>),
        m_pfnAddress(&AddressOf<P>),
        m_pfnFlag(&FlagOf<P>),
        m_pfnRule(&RuleOf<P>),
        m_pForm(&form),
        m_pfnCheck(&CheckOf<P, N>) {}

  bool IsEmpty() const { return m_iCount == 0; }
  std::size_t Count() const { return m_iCount; }
  int DialogId() const { return m_iDialogId; }
  const char* Caption() const { return m_szCaption; }
  std::size_t RecordSize() const { return m_iRecordSize; }
  const FieldDesc& Field(std::size_t i) const { return m_pfnDesc(m_pFields, i); }
  // The field's storage in the record (null for groups and notes).
  void* Address(std::size_t i, void* pRecord) const { return m_pfnAddress(m_pFields, i, pRecord); }
  const void* Address(std::size_t i, const void* pRecord) const {
    return m_pfnAddress(m_pFields, i, const_cast<void*>(pRecord));
  }
  // The int32 flag of a colour choice or background (use-picture), else null.
  std::int32_t* FlagAddress(std::size_t i, void* pRecord) const {
    return m_pfnFlag(m_pFields, i, pRecord);
  }
  // The index of the wizard switch, or -1.
  int WizardIndex() const;
  // The record's wizard flag, or null when it has none.
  std::int32_t* WizardFlag(void* pRecord) const;
  // Whether the field's controls (with bSlider: a pair's slider) are enabled
  // for this record: not locked by a ticked wizard switch, and its own rule
  // (if any) holds.
  bool IsEnabled(std::size_t i, const void* pRecord, bool bSlider = false) const;
  // Index of the field (or flag) with this name, -1 when none; *pbFlag tells
  // whether the name was a flag's.
  int Find(const std::string& csName, bool* pbFlag = nullptr) const;
  // The Xform's own check on OK (see Form::CheckedBy): a message, or null
  // when the record may be accepted (also when the form has no check).
  const char* CheckOnOk(void* pRecord) const {
    return m_pForm && pRecord ? m_pfnCheck(m_pForm, pRecord) : nullptr;
  }

 private:
  template <class P>
  static const FieldDesc& DescOf(const void* pFields, std::size_t i) {
    return static_cast<const FormField<P>*>(pFields)[i];
  }
  template <class P>
  static void* AddressOf(const void* pFields, std::size_t i, void* pRecord) {
    const FormField<P>& f = static_cast<const FormField<P>*>(pFields)[i];
    P& p = *static_cast<P*>(pRecord);
    switch (f.m_eKind) {
      case EField::IntPair:
      case EField::Radios:
      case EField::RadioPair:
      case EField::Choice:
      case EField::Check:
      case EField::Wizard:
        return &(p.*f.m_pInt);
      case EField::RealPair:
        return &(p.*f.m_pReal);
      case EField::Colour:
      case EField::HexColour:
      case EField::ColourChoice:
        return &(p.*f.m_pColour);
      case EField::Background:
        return &(p.*f.m_pBackground);
      case EField::Text:
      case EField::Font:
        return f.m_pfnBytes(p);
      default:
        return nullptr;
    }
  }
  template <class P>
  static std::int32_t* FlagOf(const void* pFields, std::size_t i, void* pRecord) {
    const FormField<P>& f = static_cast<const FormField<P>*>(pFields)[i];
    P& p = *static_cast<P*>(pRecord);
    if (f.m_eKind == EField::ColourChoice) return &(p.*f.m_pInt);
    if (f.m_eKind == EField::Background) return &(p.*f.m_pBackground).m_bUsePicture;
    return nullptr;
  }
  template <class P>
  static bool RuleOf(const void* pFields, std::size_t i, const void* pRecord) {
    const FormField<P>& f = static_cast<const FormField<P>*>(pFields)[i];
    return !f.m_pfnEnabled || f.m_pfnEnabled(*static_cast<const P*>(pRecord));
  }
  template <class P, std::size_t N>
  static const char* CheckOf(const void* pForm, void* pRecord) {
    const auto pfnCheck = static_cast<const Form<P, N>*>(pForm)->m_pfnCheck;
    return pfnCheck ? pfnCheck(*static_cast<P*>(pRecord)) : nullptr;
  }

  const void* m_pFields = nullptr;
  std::size_t m_iCount = 0;
  int m_iDialogId = 0;
  const char* m_szCaption = nullptr;
  std::size_t m_iRecordSize = 0;
  const FieldDesc& (*m_pfnDesc)(const void*, std::size_t) = nullptr;
  void* (*m_pfnAddress)(const void*, std::size_t, void*) = nullptr;
  std::int32_t* (*m_pfnFlag)(const void*, std::size_t, void*) = nullptr;
  bool (*m_pfnRule)(const void*, std::size_t, const void*) = nullptr;
  const void* m_pForm = nullptr;
  const char* (*m_pfnCheck)(const void*, void*) = nullptr;
};

// ---- Text views of the values (command line, recipes, describe) ----------

// The name of a radio or list option: its own name, else its label without
// "&" and ".", lower case, spaces as "-" ("Rect. &and Circle" -> "rect-and-circle").
std::string OptionName(const RadioOption& o);

// Sets a field (or a colour choice's or background's flag, by its flag name)
// from text: numbers for pairs (clamped to the slider range), an option name
// or id for radios and lists, 0/1/on/off/yes/no/true/false for flags,
// "#RRGGBB" (red first) or "R,G,B" for colours, UTF-8 text for texts (stored
// as Windows-1252 bytes; a character outside that set is refused), a
// hexadecimal byte string for fonts. Pairs outside their slider range are
// refused when bCheckRange is set (the command line); recipes replay any
// stored number. False with a reason in csError when the text does not fit.
bool SetFieldFromText(const CFormRef& form, void* pRecord, const std::string& csName,
                      const std::string& csValue, std::string& csError, bool bCheckRange = true);
// The value in the form SetFieldFromText reads; reals with 17 significant
// digits, texts as UTF-8.
std::string FieldText(const CFormRef& form, const void* pRecord, std::size_t i, bool bFlag = false);
// Every settable name with its value as text, in declaration order.
struct NamedValue {
  std::string m_csName;
  std::string m_csValue;
  EField m_eKind;
  bool m_bFlag;
};
std::vector<NamedValue> FormValues(const CFormRef& form, const void* pRecord);
// One line per settable name: kind, range or options, and the default taken
// from pDefaults.
std::string DescribeForm(const CFormRef& form, const void* pDefaults);
// Clamps every int and real pair into its slider range; radio fields holding
// no declared id get the first option. Returns the number of values changed.
int ClampToForm(const CFormRef& form, void* pRecord);
