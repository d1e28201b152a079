#include "xforms/form_ref.h"

#include <strings.h>

#include <climits>

namespace {

bool IsSettable(EField e) {
  return e != EField::GroupBegin && e != EField::GroupEnd && e != EField::Note;
}

bool EqualNoCase(const std::string& a, const char* b) {
  return b && strcasecmp(a.c_str(), b) == 0;
}

}  // namespace

bool CFormRef::ShowsFlag(std::size_t i) const {
  const FieldDesc& f = Field(i);
  if (f.m_eKind == EField::ColourChoice) return true;
  return f.m_eKind == EField::Background && (f.m_iId3 != 0 || f.m_iOptions == 2);
}

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

void CFormRef::HeldRange(std::size_t i, const void* pRecord, int& iLow, int& iHigh) const {
  void* p = const_cast<void*>(pRecord);
  const std::int32_t* pBelow = Member(i, p, EMember::Below);
  const std::int32_t* pAbove = Member(i, p, EMember::Above);
  iLow = pBelow ? *pBelow : INT_MIN;
  iHigh = pAbove ? *pAbove : INT_MAX;
}

bool CFormRef::IsColourEnabled(std::size_t i, const void* pRecord) const {
  if (!IsEnabled(i, pRecord)) return false;
  // A background's colour is only chosen while the background is a colour.
  if (Field(i).m_eKind == EField::Background)
    return *FlagAddress(i, const_cast<void*>(pRecord)) == 0;
  return true;
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
