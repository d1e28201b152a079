// The dialogs a document opens, for the desktop shell: every entry of the
// document's dialog interface except the open-file dialog, which belongs to
// the shell's file handling (a shell class derives from this one and adds
// OpenImagePath). The dialogs are parented to the widget given.
#pragma once

#include <QPointer>
#include <QWidget>

#include "engine/document.h"

class CDocumentDialogs : public IDocumentDialogs {
 public:
  explicit CDocumentDialogs(QWidget* pParent = nullptr) : m_pParent(pParent) {}
  void SetParent(QWidget* pParent) { m_pParent = pParent; }
  QWidget* Parent() const { return m_pParent; }

  bool ChooseXform(CFilSpec& spec, const std::int32_t* aUsage) override;
  int XformSettings(CFilSpec& spec) override;
  EClose Mix(MixSettings& mix, const CDADC* pOriginal) override;
  EClose AdvancedSelection(AreaSelection& select, const CDADC* pOriginal) override;
  EClose ImageQuality(int& iLevel) override;
  bool Overview(COverview& overview) override;
  void ImageProperties(const CImageProperties& props) override;

 private:
  QPointer<QWidget> m_pParent;
};
