// CStartupSplash: the picture shown at start-up over the main window. It
// closes after three seconds or at the first key or mouse press anywhere in
// the program (which it swallows), and then the tip of the day may open.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <functional>

class CStartupSplash final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 400;
  static constexpr int kHeight = 300;
  static constexpr int kShowMs = 3000;

  // Shows the splash over pOwner unless one is shown already; fnClosed runs
  // once when it goes.
  static void Show(QWidget* pOwner, std::function<void()> fnClosed);
  // The splash now shown, or null.
  static CStartupSplash* Current() { return s_pCurrent; }
  // Closes the splash now (as a key press would).
  void Dismiss();

  ~CStartupSplash() override;

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  bool eventFilter(QObject* pObject, QEvent* pEvent) override;

 private:
  CStartupSplash(QWidget* pOwner, std::function<void()> fnClosed);

  static CStartupSplash* s_pCurrent;
  QPixmap m_Picture;
  QTimer m_Timer;
  std::function<void()> m_fnClosed;
  bool m_bDismissed = false;
};

// The splash picture, drawn by the program.
QPixmap SplashPicture();
