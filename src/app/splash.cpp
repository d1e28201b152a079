#include "app/splash.h"

#include <QApplication>
#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>

CStartupSplash* CStartupSplash::s_pCurrent = nullptr;

QPixmap SplashPicture() {
  QPixmap picture(CStartupSplash::kWidth, CStartupSplash::kHeight);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, CStartupSplash::kHeight);
  sky.setColorAt(0, QColor(18, 24, 64));
  sky.setColorAt(1, QColor(120, 40, 90));
  painter.fillRect(picture.rect(), sky);
  // A few overlapping discs, as an idea grows out of a picture.
  const QColor aColours[] = {QColor(250, 200, 60, 170), QColor(80, 200, 220, 150),
                             QColor(240, 90, 120, 150), QColor(140, 230, 120, 140)};
  for (int i = 0; i < 4; ++i) {
    QRadialGradient disc(QPointF(90 + 70 * i, 110 + 25 * (i % 2)), 70);
    disc.setColorAt(0, aColours[i]);
    disc.setColorAt(1, Qt::transparent);
    painter.setBrush(disc);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(90 + 70 * i, 110 + 25 * (i % 2)), 70, 70);
  }
  painter.setPen(Qt::white);
  QFont title(QStringLiteral("Liberation Sans"), 34, QFont::Bold);
  painter.setFont(title);
  painter.drawText(QRect(0, 190, CStartupSplash::kWidth, 50), Qt::AlignCenter,
                   QStringLiteral("Vexmora 4"));
  painter.setFont(QFont(QStringLiteral("Liberation Sans"), 12));
  painter.drawText(QRect(0, 240, CStartupSplash::kWidth, 30), Qt::AlignCenter,
                   QStringLiteral("Image ideas from your pictures"));
  return picture;
}

void CStartupSplash::Show(QWidget* pOwner, std::function<void()> fnClosed) {
  if (s_pCurrent) return;
  new CStartupSplash(pOwner, std::move(fnClosed));
}

CStartupSplash::CStartupSplash(QWidget* pOwner, std::function<void()> fnClosed)
    : QWidget(pOwner, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_Picture(SplashPicture()),
      m_fnClosed(std::move(fnClosed)) {
  s_pCurrent = this;
  setAttribute(Qt::WA_DeleteOnClose);
  setCursor(Qt::ArrowCursor);
  setFixedSize(m_Picture.size());
  // The centre of the screen: a window manager may still move the main
  // window when the splash appears, so its geometry is no guide.
  QScreen* pScreen = pOwner ? pOwner->screen() : screen();
  const QRect rcArea = pScreen ? pScreen->availableGeometry() : QRect(0, 0, kWidth, kHeight);
  move(rcArea.center() - rect().center());
  m_Timer.setSingleShot(true);
  connect(&m_Timer, &QTimer::timeout, this, &CStartupSplash::Dismiss);
  m_Timer.start(kShowMs);
  qApp->installEventFilter(this);
  show();
}

CStartupSplash::~CStartupSplash() {
  if (s_pCurrent == this) s_pCurrent = nullptr;
}

void CStartupSplash::Dismiss() {
  if (m_bDismissed) return;
  m_bDismissed = true;
  m_Timer.stop();
  qApp->removeEventFilter(this);
  s_pCurrent = nullptr;
  close();
  if (QWidget* pOwner = parentWidget()) pOwner->update();
  if (m_fnClosed) {
    // After this event has been swallowed, not inside it.
    QTimer::singleShot(0, qApp, std::move(m_fnClosed));
  }
}

void CStartupSplash::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, m_Picture);
}

bool CStartupSplash::eventFilter(QObject* pObject, QEvent* pEvent) {
  switch (pEvent->type()) {
    case QEvent::ShortcutOverride:
      // Claim the key, so that it arrives as a key press (swallowed below)
      // instead of running a command.
      pEvent->accept();
      return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
      Dismiss();
      return true;
    default:
      return QWidget::eventFilter(pObject, pEvent);
  }
}
