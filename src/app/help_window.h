// The help window: HTML topics shipped with the program, each addressed by
// the command id that asks for it.
#pragma once

#include <QTextBrowser>

class CHelpWindow final : public QTextBrowser {
  Q_OBJECT

 public:
  explicit CHelpWindow(QWidget* pParent = nullptr);
  // Shows the topic of a help command (the contents for any other id).
  void ShowTopic(int iCommand);
  // The resource path of a command's topic.
  static QString TopicFor(int iCommand);
};
