// A declared form seen without its record type: what the dialog builder, the
// command line, the recipes and the recipe's copy-back work with. Storage is
// reached through raw addresses; what lies there follows from the field's
// kind (form_kinds.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "xforms/form_decl.h"

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
        m_pfnMember(&MemberOf<P>),
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
  // The int members a field names besides its value: a flag list's two
  // flags, and the neighbours an int pair is held between; null when it
  // names none.
  enum class EMember { FirstFlag, SecondFlag, Below, Above };
  std::int32_t* Member(std::size_t i, void* pRecord, EMember e) const {
    return m_pfnMember(m_pFields, i, pRecord, e);
  }
  // The range an int pair is held within by its neighbours (INT_MIN / INT_MAX
  // where it has none).
  void HeldRange(std::size_t i, const void* pRecord, int& iLow, int& iHigh) const;
  // Whether the dialog shows the field's flag (a check box or two radios).
  bool ShowsFlag(std::size_t i) const;
  // The index of the wizard switch, or -1.
  int WizardIndex() const;
  // The record's wizard flag, or null when it has none.
  std::int32_t* WizardFlag(void* pRecord) const;
  // Whether the field's controls (with bSlider: a pair's slider) are enabled
  // for this record: not locked by a ticked wizard switch, and its own rule
  // (if any) holds.
  bool IsEnabled(std::size_t i, const void* pRecord, bool bSlider = false) const;
  // Whether the colour button of a colour field is enabled: as the field, and
  // for a background only while it is a colour (not the picture).
  bool IsColourEnabled(std::size_t i, const void* pRecord) const;
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
  // The member the declaration set; a colour choice's colour comes before
  // its flag.
  template <class P>
  static void* AddressOf(const void* pFields, std::size_t i, void* pRecord) {
    const FormField<P>& f = static_cast<const FormField<P>*>(pFields)[i];
    P& p = *static_cast<P*>(pRecord);
    // A note holds no value (a flag list reaches its flags through Member).
    if (f.m_eKind == EField::Note) return nullptr;
    if (f.m_pfnBytes) return f.m_pfnBytes(p);
    if (f.m_pBackground) return &(p.*f.m_pBackground);
    if (f.m_pColour) return &(p.*f.m_pColour);
    if (f.m_pReal) return &(p.*f.m_pReal);
    if (f.m_pInt) return &(p.*f.m_pInt);
    return nullptr;
  }
  template <class P>
  static std::int32_t* MemberOf(const void* pFields, std::size_t i, void* pRecord, EMember e) {
    const FormField<P>& f = static_cast<const FormField<P>*>(pFields)[i];
    P& p = *static_cast<P*>(pRecord);
    std::int32_t P::*pMember = e == EMember::FirstFlag    ? f.m_pInt
                               : e == EMember::SecondFlag ? f.m_pInt2
                               : e == EMember::Below      ? f.m_pBelow
                                                          : f.m_pAbove;
    return pMember ? &(p.*pMember) : nullptr;
  }
  template <class P>
  static std::int32_t* FlagOf(const void* pFields, std::size_t i, void* pRecord) {
    const FormField<P>& f = static_cast<const FormField<P>*>(pFields)[i];
    P& p = *static_cast<P*>(pRecord);
    if (f.m_pBackground) return &(p.*f.m_pBackground).m_bUsePicture;
    if (f.m_pColour && f.m_pInt) return &(p.*f.m_pInt);
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
  std::int32_t* (*m_pfnMember)(const void*, std::size_t, void*, EMember) = nullptr;
  const void* m_pForm = nullptr;
  const char* (*m_pfnCheck)(const void*, void*) = nullptr;
};
