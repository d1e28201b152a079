#include "app/help_window.h"

#include <QAction>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/commands.h"

namespace {

constexpr const char* kContents = "qrc:/help/index.html";
constexpr int kWidth = 600;
constexpr int kHeight = 560;

}  // namespace

CHelpWindow::CHelpWindow(QWidget* pParent)
    : QWidget(pParent, Qt::Window), m_pBrowser(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Vexmora Help"));
  auto* pBar = new QToolBar(this);
  pBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  m_pBack = pBar->addAction(QStringLiteral("< &Back"));
  m_pForward = pBar->addAction(QStringLiteral("&Forward >"));
  m_pContents = pBar->addAction(QStringLiteral("&Contents"));
  m_pBack->setShortcut(QKeySequence::Back);
  m_pForward->setShortcut(QKeySequence::Forward);
  m_pBack->setEnabled(false);
  m_pForward->setEnabled(false);
  connect(m_pBack, &QAction::triggered, m_pBrowser, &QTextBrowser::backward);
  connect(m_pForward, &QAction::triggered, m_pBrowser, &QTextBrowser::forward);
  connect(m_pContents, &QAction::triggered, this, [this] { m_pBrowser->setSource(QUrl(kContents)); });
  connect(m_pBrowser, &QTextBrowser::backwardAvailable, m_pBack, &QAction::setEnabled);
  connect(m_pBrowser, &QTextBrowser::forwardAvailable, m_pForward, &QAction::setEnabled);
  m_pBrowser->setOpenLinks(true);
  m_pBrowser->setOpenExternalLinks(true);
  m_pBrowser->setSearchPaths({QStringLiteral(":/help")});
  auto* pLayout = new QVBoxLayout(this);
  pLayout->setContentsMargins(0, 0, 0, 0);
  pLayout->setSpacing(0);
  pLayout->addWidget(pBar);
  pLayout->addWidget(m_pBrowser);
  resize(kWidth, kHeight);
}

void CHelpWindow::keyPressEvent(QKeyEvent* pEvent) {
  // Esc and Ctrl+W close the help window (and only it: it is a window of its
  // own, so the main window's Esc and Ctrl+W are not reached from here).
  const Qt::KeyboardModifiers mods = pEvent->modifiers() & ~Qt::KeypadModifier;
  if ((pEvent->key() == Qt::Key_Escape && mods == Qt::NoModifier) ||
      (pEvent->key() == Qt::Key_W && mods == Qt::ControlModifier)) {
    pEvent->accept();
    close();
    return;
  }
  QWidget::keyPressEvent(pEvent);
}

QString CHelpWindow::TopicFor(int iCommand) {
  switch (iCommand) {
    case ID_HELP_WHAT_IS:
      return QStringLiteral("qrc:/help/what_is.html");
    case ID_HELP_NEW:
      return QStringLiteral("qrc:/help/new_in_4.html");
    case ID_HELP_TUTORIAL:
      return QStringLiteral("qrc:/help/tutorial.html");
    case ID_HELP_CREDITS:
      return QStringLiteral("qrc:/help/credits.html");
    default:
      return QString::fromLatin1(kContents);
  }
}

QString CHelpWindow::PageUrl(const QString& csPage) {
  return QStringLiteral("qrc:/help/") + csPage;
}

void CHelpWindow::ShowTopic(int iCommand) { Present(TopicFor(iCommand)); }

void CHelpWindow::ShowPage(const QString& csPage) { Present(PageUrl(csPage)); }

void CHelpWindow::Present(const QString& csUrl) {
  m_pBrowser->setSource(QUrl(csUrl));
  const bool bFirst = !isVisible();
  show();
  if (bFirst) KeepOnScreen();
  raise();
  activateWindow();
}

void CHelpWindow::KeepOnScreen() {
  const QWidget* pOwner = parentWidget() ? parentWidget()->window() : nullptr;
  QScreen* pScreen = pOwner ? pOwner->screen() : screen();
  if (!pScreen) pScreen = QGuiApplication::primaryScreen();
  if (!pScreen) return;
  const QRect avail = pScreen->availableGeometry();
  // The frame the window manager adds is outside the widget's own size.
  const QSize extra = frameGeometry().size() - size();
  const QSize size = QSize(kWidth, kHeight).boundedTo(avail.size() - extra);
  resize(size);
  QRect frame(QPoint(), size + extra);
  // Over the main window's centre (or the screen's), but beside a dialog:
  // right of it, else left of it, so that the dialog stays in view.
  frame.moveCenter(pOwner ? pOwner->frameGeometry().center() : avail.center());
  if (qobject_cast<const QDialog*>(pOwner)) {
    const QRect owner = pOwner->frameGeometry();
    frame.moveTop(owner.top());
    if (owner.right() + frame.width() <= avail.right())
      frame.moveLeft(owner.right() + 1);
    else if (owner.left() - frame.width() >= avail.left())
      frame.moveRight(owner.left() - 1);
  }
  frame.moveLeft(std::clamp(frame.left(), avail.left(), avail.right() + 1 - frame.width()));
  frame.moveTop(std::clamp(frame.top(), avail.top(), avail.bottom() + 1 - frame.height()));
  move(frame.topLeft());
}
