#include "engine/document_base.h"

#include "imaging/dadc.h"
#include "platform/report.h"
#include "platform/win_types.h"

int CIdeaSequenceDoc::CSavedAs::SetData(const std::string& csName, int iAALevel) {
  if (iAALevel != 1 && iAALevel != 2 && iAALevel != 4) {
    ReportError("SetData: Bad iAALevel : %d", iAALevel);
    return 0;
  }
  if (csName.empty() || csName.size() > kMaxSavedName) {
    ReportError("SetData: Bad csName");
    return 0;
  }
  m_csName = csName;
  m_iAALevel = iAALevel;
  return 1;
}

IDocumentView* CIdeaSequenceDoc::GetView() const {
  if (!m_pView) ReportError("GV:Cannot get primage view");
  return m_pView;
}

std::string CIdeaSequenceDoc::Title(int iZoomPercent) const {
  std::string csTitle;
  const CSavedAs saved = GetSavedAs(m_iCurrent);
  if (m_iCurrent > 0 && !saved.m_csName.empty())
    csTitle = FormatMessageText("%s, (%s), saved as:", m_szName.c_str(), ShownXformName().c_str()) +
              "\"" + saved.m_csName + "\"";
  else if (m_iCurrent > 0)
    csTitle = FormatMessageText("%s, (%s), #%d of %d", m_szName.c_str(), ShownXformName().c_str(),
                                m_iCurrent, SequenceSize() - 1);
  else
    csTitle = FormatMessageText("%s, (Original)", m_szName.c_str());
  if (iZoomPercent != 100) csTitle += FormatMessageText("[%d%%]", iZoomPercent);
  return csTitle;
}

void CIdeaSequenceDoc::UpdateTitle(int iZoomPercent) {
  if (IDocumentView* pView = GetView()) pView->SetTitle(Title(iZoomPercent));
}

bool CIdeaSequenceDoc::CanGoBack() const {
  return !IsXforming() && SequenceSize() >= 2 && m_iCurrent > 0;
}
bool CIdeaSequenceDoc::CanGoForward() const {
  return !IsXforming() && SequenceSize() >= 2 && m_iCurrent + 1 != SequenceSize();
}
bool CIdeaSequenceDoc::CanGoToFirst() const {
  return !IsXforming() && SequenceSize() > 0 && m_iCurrent > 0;
}
bool CIdeaSequenceDoc::CanGoToLast() const {
  return !IsXforming() && SequenceSize() > 0 && m_iCurrent + 1 != SequenceSize();
}

void CIdeaSequenceDoc::MoveTo(int iPosition) {
  m_iPrevious = m_iCurrent;
  m_iCurrent = iPosition;
  SetSpecFromSequence();
  m_iGenMode = GEN_SEQUENCE;
  ShowCurrent();
}

void CIdeaSequenceDoc::OnToFirst() {
  if (!CanGoToFirst()) {
    ReportError("OnToFirst, but nothing in buffer!");
    return;
  }
  MoveTo(0);
}

void CIdeaSequenceDoc::OnToLast() {
  if (!CanGoToLast()) {
    ReportError("OnToLast failed");
    return;
  }
  MoveTo(SequenceSize() - 1);
}

void CIdeaSequenceDoc::OnGoForward() {
  const int iSize = SequenceSize();
  if (!CanGoForward()) {
    ReportError("OGF (%d)\nI just can't go on...", iSize);
    return;
  }
  if (m_iCurrent + 1 >= iSize) {
    ReportError("OGF (%d)\nReally odd...", iSize);
    return;
  }
  MoveTo(m_iCurrent + 1);
}

void CIdeaSequenceDoc::OnGoBack() {
  if (!CanGoBack()) return;
  if (m_iCurrent - 1 < 0) {
    ReportError("OGB: Can't go back");
    m_iCurrent = 0;
    return;
  }
  MoveTo(m_iCurrent - 1);
}

void CIdeaSequenceDoc::GoTo(int iPosition) {
  if (iPosition < 0 || iPosition >= SequenceSize()) return;
  MoveTo(iPosition);
}

int CIdeaSequenceDoc::SetSavedAs(int iPosition, const std::string& csName, int iAALevel) {
  if (iPosition < 0) return 0;
  CSavedAs record = GetSavedAs(iPosition);
  if (record.m_csName.empty()) record.m_iAALevel = 1;
  if (!record.SetData(csName, iAALevel)) return 0;
  if (static_cast<std::size_t>(iPosition) >= m_aSavedAs.size())
    m_aSavedAs.resize(static_cast<std::size_t>(iPosition) + 1);
  m_aSavedAs[static_cast<std::size_t>(iPosition)] = record;
  return 1;
}

CIdeaSequenceDoc::CSavedAs CIdeaSequenceDoc::GetSavedAs(int iPosition) const {
  if (iPosition < 0 || static_cast<std::size_t>(iPosition) >= m_aSavedAs.size() ||
      m_aSavedAs[static_cast<std::size_t>(iPosition)].m_csName.empty())
    return {"", 0};
  return m_aSavedAs[static_cast<std::size_t>(iPosition)];
}

std::string CIdeaSequenceDoc::GetSaveName() const {
  if (m_iCurrent <= 0) return m_szName;
  const CSavedAs saved = GetSavedAs(m_iCurrent);
  if (!saved.m_csName.empty()) return saved.m_csName;
  return m_szName + std::to_string(m_iCurrent);
}

CImageProperties CIdeaSequenceDoc::GetImageProperties() const {
  CImageProperties props;
  props.m_csOriginal = m_szName;
  props.m_csXform = m_iCurrent > 0 ? ShownXformName() : std::string("(none)");
  const CSavedAs saved = GetSavedAs(m_iCurrent);
  props.m_csSavedAs = saved.m_csName.empty() ? std::string("(unsaved)") : saved.m_csName;
  props.m_csPosition = m_iCurrent == 0
                           ? std::string("This is the original image")
                           : FormatMessageText("Image #%d in the sequence", m_iCurrent);
  const CDADC* pSurface = m_pView ? m_pView->DrawingSurface() : nullptr;
  const int iWidth = pSurface ? pSurface->m_iWidth : 0;
  const int iHeight = pSurface ? pSurface->m_iHeight : 0;
  props.m_csPixels = FormatMessageText("%d by %d", iWidth, iHeight);
  props.m_csBytes = FormatMessageText(
      "%dKbytes", static_cast<int>(static_cast<long long>(iWidth) * iHeight * 3 / 1024));
  return props;
}

bool CIdeaSequenceDoc::CanCloseFrame() const {
  if (IsXforming()) {
    ReportError("%s", kStillCreatingImage);
    return false;
  }
  return true;
}

bool CIdeaSequenceDoc::SaveModified() {
  switch (AskUser("Save this image:\n%s?", Title(100).c_str())) {
    case IDYES: {
      IDocumentView* pView = GetView();
      return pView && pView->SaveImage();
    }
    case IDNO:
      return true;
    default:
      return false;
  }
}
