#include "app/view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScrollBar>

#include "app/app.h"
#include "app/dialog_hooks.h"
#include "app/main_frame.h"
#include "dialogs/dialog_toolkit.h"
#include "engine/app_state.h"
#include "engine/document.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "platform/report.h"

namespace {

// A saved name longer than this keeps only 8 characters of its name part.
constexpr int kMaxSavedNameLength = 126;

}  // namespace

CVexmoView::CVexmoView(CMainFrame& frame, QWidget* pParent)
    : QAbstractScrollArea(pParent), m_Frame(frame) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setBackgroundRole(QPalette::Base);
  setMouseTracking(false);
}

CVexmoView::~CVexmoView() = default;

QMdiSubWindow* CVexmoView::Frame() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

int CVexmoView::GetWidth() const {
  if (!m_pDrawDC) {
    ReportError("GetWidth of NULL");
    return 1;
  }
  return m_pDrawDC->m_iWidth;
}

int CVexmoView::GetHeight() const {
  if (!m_pDrawDC) {
    ReportError("GetWidth of NULL");
    return 1;
  }
  return m_pDrawDC->m_iHeight;
}

int CVexmoView::CreateViewBitmap(const CGlobalBlock& hDib) {
  m_pDrawDC.reset();
  m_imgShown = QImage();
  std::unique_ptr<CDADC> pSurface = CDADC::CBC(hDib);
  if (!pSurface) return 0;
  m_pDrawDC = std::move(pSurface);
  m_imgShown = SurfaceToImage(*m_pDrawDC);
  SetViewSize(m_pDrawDC->m_iWidth, m_pDrawDC->m_iHeight);
  return 1;
}

void CVexmoView::Invalidate(bool /*bErase*/) {
  if (m_pDrawDC && !m_bSurfaceBusy) m_imgShown = SurfaceToImage(*m_pDrawDC);
  viewport()->update();
}

void CVexmoView::SetTitle(const std::string& csTitle) {
  const QString csNew = QString::fromStdString(csTitle);
  if (QMdiSubWindow* pFrame = Frame(); pFrame && pFrame->windowTitle() != csNew) {
    pFrame->setWindowTitle(csNew);
    m_Frame.UpdateTitle();
  }
}

bool CVexmoView::CanZoom() const {
  if (m_pDoc && m_pDoc->IsXforming()) return false;
  const QMdiSubWindow* pFrame = Frame();
  if (!pFrame) {
    ReportError("CDZ: could not get parent frame");
    return false;
  }
  return !pFrame->isMinimized();
}

void CVexmoView::SetZoom(int iZoom) {
  m_iZoom = std::clamp(iZoom, kMinZoom, kMaxZoom);
  if (m_pDrawDC) {
    if (m_iZoom == 100)
      SetViewSize(GetWidth(), GetHeight());
    else
      SetViewSize(m_iZoom * GetWidth() / 100, m_iZoom * GetHeight() / 100);
  }
  viewport()->update();
  if (m_pDoc && m_pDrawDC) m_pDoc->UpdateTitle(m_iZoom);
}

void CVexmoView::SetViewSize(int iWidth, int iHeight) {
  QMdiSubWindow* pFrame = Frame();
  if (!pFrame) {
    ReportError("SVS: could not get parent frame");
    return;
  }
  if (pFrame->isMinimized()) return;
  if (pFrame->isMaximized()) pFrame->showNormal();
  // The child window's frame and title bar around the view.
  const QMargins margins = pFrame->contentsMargins();
  pFrame->resize(iWidth + margins.left() + margins.right(),
                 iHeight + margins.top() + margins.bottom());
  UpdateScrollSizes();
}

void CVexmoView::UpdateScrollSizes() {
  const int iWidth = m_pDrawDC ? m_iZoom * m_pDrawDC->m_iWidth / 100 : 0;
  const int iHeight = m_pDrawDC ? m_iZoom * m_pDrawDC->m_iHeight / 100 : 0;
  // A picture that fits the whole area needs no scroll bars, even when the
  // bars shown now make the viewport smaller.
  const QSize avail = maximumViewportSize();
  const QSize size = iWidth <= avail.width() && iHeight <= avail.height() ? avail : viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, iWidth - size.width()));
  verticalScrollBar()->setRange(0, std::max(0, iHeight - size.height()));
  horizontalScrollBar()->setSingleStep((iWidth / 100) | 1);
  verticalScrollBar()->setSingleStep((iHeight / 100) | 1);
  horizontalScrollBar()->setPageStep(std::max(1, iWidth / 10));
  verticalScrollBar()->setPageStep(std::max(1, iHeight / 10));
}

void CVexmoView::resizeEvent(QResizeEvent* pEvent) {
  QAbstractScrollArea::resizeEvent(pEvent);
  UpdateScrollSizes();
}

void CVexmoView::scrollContentsBy(int, int) { viewport()->update(); }

void CVexmoView::paintEvent(QPaintEvent*) {
  if (!m_pDrawDC || m_imgShown.isNull()) return;
  QPainter painter(viewport());
  const QPoint ptOrigin(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
  if (m_iZoom == 100) {
    painter.drawImage(ptOrigin, m_imgShown);
  } else {
    // Plain pixel dropping, as a stretch without smoothing does.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(ptOrigin, QSize(m_iZoom * m_imgShown.width() / 100,
                                            m_iZoom * m_imgShown.height() / 100)),
                      m_imgShown);
  }
  if (m_pDoc) m_pDoc->UpdateTitle(m_iZoom);
}

void CVexmoView::mouseDoubleClickEvent(QMouseEvent*) {
  if (!m_pDoc) return;
  if (m_pDoc->IsXforming()) {
    ReportError("%s", kStillCreatingImage);
    return;
  }
  if (m_pDoc->m_iCurrent > 0) m_Frame.OnCommand(ID_XFORM_SETTINGS);
}

void CVexmoView::contextMenuEvent(QContextMenuEvent* pEvent) {
  if (QMdiSubWindow* pFrame = Frame()) {
    if (QMdiArea* pArea = pFrame->mdiArea()) pArea->setActiveSubWindow(pFrame);
  }
  m_Frame.PopupContextMenu(pEvent->globalPos());
}

void CVexmoView::OnEditCopy() {
  if (!m_pDrawDC) return;
  CWaitCursor wait;
  const QImage image = SurfaceToImage(*m_pDrawDC);
  if (image.isNull()) {
    ReportError("Vic32, OnEditCopy,\nallocimage() error: %d", 0);
    return;
  }
  QClipboard* pClipboard = QApplication::clipboard();
  if (!pClipboard) {
    ReportError("Could not open clipboard");
    return;
  }
  pClipboard->setImage(image);
}

bool CVexmoView::SaveImage() {
  if (!m_pDrawDC || !m_pDoc) return false;
  CAppState& state = m_Frame.App().State();
  const int iType = std::clamp(state.m_iSaveExt, 0, kImageFilterCount - 1);
  const std::string csPath = m_Frame.App().Dialogs().SaveImagePath(
      m_pDoc->GetSaveName(), iType + 1, kImageDefaultExtensions[iType] + 2, state.m_csInitialDir);
  if (csPath.empty()) return false;
  {
    CWaitCursor wait;
    if (!m_pDrawDC->WriteImageFile(csPath.c_str())) {
      ReportError("Could not write image file:\n<%s>", csPath.c_str());
      return false;
    }
  }
  const QFileInfo info(QString::fromStdString(csPath));
  std::string csSaved = info.fileName().toStdString();
  if (static_cast<int>(csSaved.size()) > kMaxSavedNameLength) {
    const std::string csSuffix = info.suffix().isEmpty() ? "" : "." + info.suffix().toStdString();
    csSaved = info.completeBaseName().left(8).toStdString() + csSuffix;
  }
  m_pDoc->SetSavedAs(m_pDoc->m_iCurrent, csSaved, m_pDoc->m_iAALevel);
  m_pDoc->UpdateTitle(m_iZoom);
  state.NoteImageSaved(csPath.c_str());
  return true;
}
