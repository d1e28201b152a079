#include "dialogs/document_dialogs.h"

#include "dialogs/mix_dialog.h"
#include "dialogs/overview_dialog.h"
#include "dialogs/small_dialogs.h"
#include "dialogs/xform_dialog.h"

namespace {

IDocumentDialogs::EClose Close(EDialogEnd eEnd) {
  switch (eEnd) {
    case EDialogEnd::Set:
      return IDocumentDialogs::EClose::Ok;
    case EDialogEnd::ApplyNow:
      return IDocumentDialogs::EClose::ApplyNow;
    case EDialogEnd::Cancel:
      break;
  }
  return IDocumentDialogs::EClose::Cancel;
}

}  // namespace

bool CDocumentDialogs::ChooseXform(CFilSpec& spec, const std::int32_t* aUsage) {
  return RunChooseXformDialog(m_pParent, spec, aUsage);
}

int CDocumentDialogs::XformSettings(CFilSpec& spec) { return OCP(m_pParent, spec); }

IDocumentDialogs::EClose CDocumentDialogs::Mix(MixSettings& mix, const CDADC* pOriginal) {
  return Close(RunMixDialog(m_pParent, mix, pOriginal));
}

IDocumentDialogs::EClose CDocumentDialogs::AdvancedSelection(AreaSelection& select,
                                                             const CDADC* pOriginal) {
  return Close(RunAreaSelectionDialog(m_pParent, select, pOriginal));
}

IDocumentDialogs::EClose CDocumentDialogs::ImageQuality(int& iLevel) {
  return Close(RunImageQualityDialog(m_pParent, iLevel));
}

bool CDocumentDialogs::Overview(COverview& overview) {
  return RunOverviewDialog(m_pParent, overview);
}

void CDocumentDialogs::ImageProperties(const CImageProperties& props) {
  RunImagePropertiesDialog(m_pParent, props);
}
