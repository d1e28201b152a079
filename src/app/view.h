// CVexmoView: the scrolling view inside each document's child window. It
// owns the drawing surface of the picture shown, paints it at a zoom of 25 to
// 200 %, keeps its child window as large as the zoomed picture within the
// workspace (a larger picture scrolls inside it), and carries the picture
// commands: zoom, copy to the clipboard, internal copy/paste, saving, and
// double-click for the Xform settings.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <memory>

#include "engine/document_base.h"

class CDADC;
class CMainFrame;
class CVexmoFilterDoc;
class QMdiSubWindow;

class CVexmoView final : public QAbstractScrollArea, public IDocumentView {
  Q_OBJECT

 public:
  static constexpr int kMinZoom = 25;
  static constexpr int kMaxZoom = 200;

  explicit CVexmoView(CMainFrame& frame, QWidget* pParent = nullptr);
  ~CVexmoView() override;

  void SetDocument(CVexmoFilterDoc* pDoc) { m_pDoc = pDoc; }
  CVexmoFilterDoc* Document() const { return m_pDoc; }

  // IDocumentView
  CDADC* DrawingSurface() override { return m_pDrawDC.get(); }
  int CreateViewBitmap(const CDADC& picture) override;
  void Invalidate(bool bErase) override;
  void SetTitle(const std::string& csTitle) override;
  bool SaveImage() override;

  // The surface's size; without a surface "GetWidth of NULL" and 1.
  int GetWidth() const;
  int GetHeight() const;
  int Zoom() const { return m_iZoom; }
  // Whether zooming is offered: no generation runs and the child window is
  // shown normally or maximised.
  bool CanZoom() const;
  // The zoom commands (25..200 %); each resizes the child window and repaints.
  void SetZoom(int iZoom);
  void ZoomIn() { SetZoom(std::min(m_iZoom + 10, kMaxZoom)); }
  void ZoomOut() { SetZoom(std::max(m_iZoom - 10, kMinZoom)); }
  // The largest zoom step (25, 30, 40, ... iLimit) at which the whole
  // picture fits the workspace; 25 when none does.
  int FitZoom(int iLimit = kMaxZoom) const;

  // Puts the picture shown on the clipboard as a 24-bit image.
  void OnEditCopy();
  // Sizes the child window so that its viewport holds width x height, kept
  // inside the workspace and at least as wide as its title bar needs.
  void SetViewSize(int iWidth, int iHeight);

  // While the worker writes the drawing surface, painting uses the last
  // picture taken from it instead of reading it.
  void SetSurfaceBusy(bool bBusy) { m_bSurfaceBusy = bBusy; }
  bool IsSurfaceBusy() const { return m_bSurfaceBusy; }
  // The picture painted (at 100 %), for tests and the screenshots.
  const QImage& ShownImage() const { return m_imgShown; }

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void resizeEvent(QResizeEvent* pEvent) override;
  void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
  void contextMenuEvent(QContextMenuEvent* pEvent) override;
  // Ctrl+wheel zooms; the plain wheel scrolls.
  void wheelEvent(QWheelEvent* pEvent) override;
  void scrollContentsBy(int iDx, int iDy) override;

 private:
  QMdiSubWindow* Frame() const;
  void UpdateScrollSizes();
  // The child window's width that shows its whole title bar.
  int TitleBarWidth() const;

  CMainFrame& m_Frame;
  CVexmoFilterDoc* m_pDoc = nullptr;
  std::unique_ptr<CDADC> m_pDrawDC;
  int m_iZoom = 100;
  bool m_bSurfaceBusy = false;
  int m_iWheelDelta = 0;
  QImage m_imgShown;
};
