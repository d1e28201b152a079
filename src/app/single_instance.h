// One instance per user: the first instance listens on a local socket named
// after its window class; a later start connects, hands over the files it
// was given (to be opened as documents there), asks it to raise its window
// and exits without touching the settings or the cache.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

class CSingleInstance final : public QObject {
  Q_OBJECT

 public:
  // "Vexmora4" and the user's id, so that users on one machine do not meet.
  static QString DefaultName();
  // The files among the program's arguments (after the program name), as
  // absolute paths: every argument that is not an option ("-..."), and
  // everything after "--". file: URLs become their local paths.
  static QStringList FileArguments(const QStringList& aArguments);

  explicit CSingleInstance(QString csName = DefaultName());
  // When another instance answers, hands it the files, asks it to raise its
  // window and returns true. Otherwise starts listening (this is the first
  // instance) and returns false; starts at the same moment take turns at this
  // decision, so that only one of them listens. When listening fails, it
  // still returns false and IsFirst() tells.
  bool HandOver(const QStringList& aFiles = {});
  // This instance is the one that listens.
  bool IsFirst() const { return m_Server.isListening(); }

 signals:
  // A later start was given these files (absolute paths, in order).
  void FilesRequested(const QStringList& aFiles);
  // A later start asked this instance to show its window.
  void RaiseRequested();

 private:
  void OnConnection();

  QString m_csName;
  QLocalServer m_Server;
};
