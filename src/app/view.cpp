#include "app/view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

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

int CVexmoView::CreateViewBitmap(const CDADC& picture) {
  m_pDrawDC.reset();
  m_imgShown = QImage();
  std::unique_ptr<CDADC> pSurface = CDADC::Copy(picture);
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
    // A longer title widens a normal window that would cut it.
    if (!pFrame->isMaximized() && !pFrame->isMinimized() && pFrame->width() < TitleBarWidth()) {
      const QMdiArea* pArea = pFrame->mdiArea();
      const int iWidth = pArea ? std::min(TitleBarWidth(), pArea->viewport()->width())
                               : TitleBarWidth();
      if (iWidth > pFrame->width()) pFrame->resize(iWidth, pFrame->height());
    }
    m_Frame.UpdateTitle();
  }
}

int CVexmoView::TitleBarWidth() const {
  const QMdiSubWindow* pFrame = Frame();
  if (!pFrame) return 0;
  // The buttons and icon (the frame's minimum) plus the text.
  return pFrame->minimumSizeHint().width() +
         pFrame->fontMetrics().horizontalAdvance(pFrame->windowTitle()) + 16;
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
  QSize size(iWidth + margins.left() + margins.right(), iHeight + margins.top() + margins.bottom());
  size = size.expandedTo(QSize(TitleBarWidth(), pFrame->minimumSizeHint().height()));
  if (const QMdiArea* pArea = pFrame->mdiArea()) {
    // Inside the workspace, moved back into it where it would stick out.
    const QSize area = pArea->viewport()->size();
    if (area.isValid() && !area.isEmpty()) {
      size = size.boundedTo(area);
      QPoint ptPos = pFrame->pos();
      ptPos.setX(std::clamp(ptPos.x(), 0, area.width() - size.width()));
      ptPos.setY(std::clamp(ptPos.y(), 0, area.height() - size.height()));
      if (ptPos != pFrame->pos()) pFrame->move(ptPos);
    }
  }
  pFrame->resize(size);
  UpdateScrollSizes();
}

int CVexmoView::FitZoom(int iLimit) const {
  const QMdiSubWindow* pFrame = Frame();
  const QMdiArea* pArea = pFrame ? pFrame->mdiArea() : nullptr;
  if (!m_pDrawDC || !pArea) return std::min(100, iLimit);
  const QMargins margins = pFrame->contentsMargins();
  const int iRoomX = pArea->viewport()->width() - margins.left() - margins.right();
  const int iRoomY = pArea->viewport()->height() - margins.top() - margins.bottom();
  const auto fits = [&](int iZoom) {
    return iZoom * m_pDrawDC->m_iWidth / 100 <= iRoomX &&
           iZoom * m_pDrawDC->m_iHeight / 100 <= iRoomY;
  };
  // The steps that Zoom In and Zoom Out walk from 100 %.
  for (int iZoom = std::min(iLimit, kMaxZoom) / 10 * 10; iZoom >= 30; iZoom -= 10)
    if (fits(iZoom)) return iZoom;
  return kMinZoom;
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

void CVexmoView::wheelEvent(QWheelEvent* pEvent) {
  if (!(pEvent->modifiers() & Qt::ControlModifier)) {
    QAbstractScrollArea::wheelEvent(pEvent);
    return;
  }
  pEvent->accept();
  // One step per notch; fine-grained wheels add up to a notch first.
  constexpr int kNotch = 120;
  m_iWheelDelta += pEvent->angleDelta().y();
  while (std::abs(m_iWheelDelta) >= kNotch) {
    const bool bIn = m_iWheelDelta > 0;
    m_iWheelDelta += bIn ? -kNotch : kNotch;
    m_Frame.OnCommand(bIn ? ID_VIEW_ZOOM_IN : ID_VIEW_ZOOM_OUT);
  }
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
