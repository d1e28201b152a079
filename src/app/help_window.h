// The help window: HTML topics shipped with the program, each addressed by
// the command id that asks for it or by its page name (a dialog's F1). It
// has Back, Forward and Contents, closes with Esc or Ctrl+W, and always
// opens wholly on screen, beside the dialog that asked for it.
#pragma once

#include <QWidget>

class QAction;
class QTextBrowser;

class CHelpWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit CHelpWindow(QWidget* pParent = nullptr);
  // Shows the topic of a help command (the contents for any other id).
  void ShowTopic(int iCommand);
  // Shows a page by its path under the help folder ("mix.html").
  void ShowPage(const QString& csPage);
  // The resource path of a command's topic.
  static QString TopicFor(int iCommand);
  static QString PageUrl(const QString& csPage);

  QTextBrowser* Browser() const { return m_pBrowser; }
  QAction* BackAction() const { return m_pBack; }
  QAction* ContentsAction() const { return m_pContents; }

 protected:
  void keyPressEvent(QKeyEvent* pEvent) override;

 private:
  void Present(const QString& csUrl);
  // Sized and moved so that the whole window is on its screen.
  void KeepOnScreen();

  QTextBrowser* m_pBrowser;
  QAction* m_pBack;
  QAction* m_pForward;
  QAction* m_pContents;
};
