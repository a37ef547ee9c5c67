#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace wendalore {

// One running program per user: the first start listens on a local socket,
// and a later start hands its wish for the window to that one and stops,
// so two processes never share the store.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Claim {
    // This process is the one that runs.
    running,
    // Another process runs and was asked to bring its window to the front.
    forwarded,
    // Neither: the socket can be neither reached nor made (see errorString).
    unavailable,
  };

  explicit SingleInstance(QString socketPath, QObject* parent = nullptr);

  // In the user's runtime directory, which only that user can enter.
  static QString defaultSocketPath();

  Claim claim();
  QString errorString() const { return server_.errorString(); }

 signals:
  void activationRequested();

 private:
  bool forwardActivation();
  void acceptConnection();

  QString socketPath_;
  QLocalServer server_;
};

}  // namespace wendalore
