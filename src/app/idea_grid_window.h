// The Variations and Wizard grids: a window beside a document showing 2 x 2
// to 5 x 5 new ideas at once, each the idea F8 (Variations) or F7 (Wizard
// chooses all) would make, drawn on all cores by the core's CIdeaBatch. A
// cell fills in as its idea ends and shows its own progress and status text
// until then; STOP (Escape) stops the whole grid and keeps what is made.
// Clicking a cell (or Enter on the focused cell) hands its recipe and
// picture to the document, which adds it as the next idea without drawing it
// again; a double-click does that and closes the grid. "More" replaces the
// grid with new ideas from what the document shows then.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "engine/catalogue.h"
#include "engine/filspec.h"

class CDADC;
class CIdeaBatch;
class CIdeaGridWindow;
class QComboBox;
class QLabel;
class QPushButton;
class QGridLayout;

// What a grid's ideas are made from: the document's working recipe, a copy
// of its original, its Xform usage counts and its image quality.
struct CIdeaSource {
  CFilSpec m_Spec;
  std::unique_ptr<CDADC> m_pOriginal;
  std::array<std::int32_t, kXformCount> m_aUsage{};
  int m_iQuality = 1;
};

// One cell of the grid: the idea's picture once made, its progress and
// status text before, its Xform's name as tool tip.
class CIdeaGridCell final : public QWidget {
  Q_OBJECT

 public:
  CIdeaGridCell(CIdeaGridWindow& grid, int iIndex);
  int Index() const { return m_iIndex; }
  // Takes the idea's current state from the grid's batch.
  void Refresh();
  // Marks the cell as added to the sequence (at that position).
  void SetAdded(int iPosition);
  int AddedAs() const { return m_iAddedAs; }
  bool HasPicture() const { return !m_image.isNull(); }

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void mouseReleaseEvent(QMouseEvent* pEvent) override;
  void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;

 private:
  CIdeaGridWindow& m_Grid;
  int m_iIndex;
  QImage m_image;  // the picture (at most 800 pixels a side), once made
  int m_iAddedAs = 0;
};

class CIdeaGridWindow final : public QWidget {
  Q_OBJECT

 public:
  enum class EKind { Variations, Wizard };
  static constexpr int kMinSize = 2;
  static constexpr int kMaxSize = 5;
  static constexpr int kDefaultSize = 3;

  // Fills the source from the document; false when no grid can be made now
  // (the reason has been reported).
  using SourceFn = std::function<bool(CIdeaSource&)>;
  // Adds a made idea (its recipe, its picture at the original's size, the
  // quality it was made at) to the document as the next idea and shows it:
  // the position it took, or 0 when refused (reported).
  using AddFn = std::function<int(const CFilSpec&, const CDADC&, int)>;

  CIdeaGridWindow(EKind eKind, SourceFn fnSource, AddFn fnAdd, QWidget* pParent = nullptr);
  ~CIdeaGridWindow() override;

  EKind Kind() const { return m_eKind; }
  // Columns and rows (2..5); changing it makes a new grid, and when the
  // document refuses one the size stays.
  int GridSize() const { return m_iSize; }
  void SetGridSize(int iSize);
  // New ideas from the document's current idea, in place of the grid.
  // False when the document offers none now (the grid stays as it was).
  bool More();
  // STOP: running ideas end, waiting ones never start; made ones stay.
  void Stop();
  // Whether ideas are still being made.
  bool IsRunning() const;
  // The batch behind the cells (null before the first grid).
  const CIdeaBatch* Batch() const { return m_pBatch.get(); }
  // How many run at once.
  int AtOnce() const;
  CIdeaGridCell* Cell(int i) const { return m_aCells[static_cast<std::size_t>(i)]; }
  int CellCount() const { return static_cast<int>(m_aCells.size()); }

  // Click / Enter: adds the cell's idea when it is made; false otherwise.
  bool Pick(int iCell);
  // Double-click: adds it (unless already added) and closes the grid.
  void Open(int iCell);

 signals:
  // A cell's idea joined the document's sequence.
  void ideaAdded();

 protected:
  void keyPressEvent(QKeyEvent* pEvent) override;
  void closeEvent(QCloseEvent* pEvent) override;

 private:
  void Refresh();
  void RebuildCells(int iCount);

  EKind m_eKind;
  SourceFn m_fnSource;
  AddFn m_fnAdd;
  int m_iSize = kDefaultSize;
  // The batch reads the original: it goes first.
  std::unique_ptr<CDADC> m_pOriginal;
  std::unique_ptr<CIdeaBatch> m_pBatch;
  std::vector<CIdeaGridCell*> m_aCells;
  QGridLayout* m_pCells = nullptr;
  QComboBox* m_pSize = nullptr;
  QPushButton* m_pMore = nullptr;
  QPushButton* m_pStop = nullptr;
  QLabel* m_pSummary = nullptr;
  QTimer m_Timer;
};
