// "Sequence Overview": a strip of five thumbnails around the selected
// picture of a document's sequence, with buttons to move through it. A
// double-click on a picture selects it and closes the dialog with OK. The
// thumbnails, the selection, the layout of the strip and the mapping of a
// double-click belong to the document's COverview; the dialog shows them.
#pragma once

#include <QDialog>
#include <QFrame>

#include <array>

class COverview;
class QLabel;

// The framed strip (control 1150).
class CThumbStrip : public QFrame {
  Q_OBJECT
 public:
  explicit CThumbStrip(COverview& overview, QWidget* pParent = nullptr);
  // The picture of the strip as it is painted now.
  QImage Render() const;

 signals:
  // A double-click hit a picture, which is now selected.
  void PictureChosen();

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void mouseDoubleClickEvent(QMouseEvent* pEvent) override;

 private:
  COverview& m_Overview;
};

class COvDlg : public QDialog {
  Q_OBJECT
 public:
  explicit COvDlg(COverview& overview, QWidget* pParent = nullptr);
  CThumbStrip* Strip() const { return m_pStrip; }

 private:
  // Relabels the cells and repaints the strip after a move.
  void Refresh();

  COverview& m_Overview;
  CThumbStrip* m_pStrip = nullptr;
  std::array<QLabel*, 5> m_apAbove{};
  std::array<QLabel*, 5> m_apBelow{};
};

// Runs the overview; true when it ended with OK (the overview's selection is
// then the picture to go to).
bool RunOverviewDialog(QWidget* pParent, COverview& overview);
