// One instance per user: the first instance listens on a local socket named
// after its window class; a later start connects, asks it to raise its
// window and exits without touching the settings or the cache.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

class CSingleInstance final : public QObject {
  Q_OBJECT

 public:
  // "Vexmora4" and the user's id, so that users on one machine do not meet.
  static QString DefaultName();

  explicit CSingleInstance(QString csName = DefaultName());
  // When another instance answers, asks it to raise its window and returns
  // true. Otherwise starts listening (this is the first instance) and
  // returns false.
  bool HandOver();
  // This instance is the one that listens.
  bool IsFirst() const { return m_Server.isListening(); }

 signals:
  // A later start asked this instance to show its window.
  void RaiseRequested();

 private:
  void OnConnection();

  QString m_csName;
  QLocalServer m_Server;
};
