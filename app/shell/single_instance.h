// One running Vandro per user. The first start listens on a local socket
// named after the user; a later start finds it, asks it to come to the front
// (handing over the project file it was given, if any) and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace vandro {

class TSingleInstance final : public QObject {
  Q_OBJECT
public:
  // serverName: empty for the user's own name (DefaultServerName()).
  explicit TSingleInstance(QString serverName = {}, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // True when another instance runs and took the request to come to the
  // front (with projectPath to open, which may be empty): this one ends.
  bool ActivateRunning(const QString& projectPath) const;

  // Becomes the running instance. A socket left by an instance that crashed
  // is taken over. False when another instance began listening meanwhile
  // (ActivateRunning then reaches it) or when it cannot listen at all (the
  // program then runs without the guard).
  bool Listen();

  static QString DefaultServerName();

signals:
  // Another start asked this instance to come to the front.
  void activationRequested(const QString& projectPath);

private:
  void ReadRequest();

  QString name_;
  QLocalServer* server_ = nullptr;
};

} // namespace vandro
