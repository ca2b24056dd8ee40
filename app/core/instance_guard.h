// One copy of the utility per user and machine. The window title names the instance; the first
// copy listens on a local socket named after it, and a second copy that reaches it asks it to
// restore its window (the tray menu's "&Restore") and ends. A crashed copy leaves no lock behind:
// a socket nobody answers on is taken over.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

namespace core {

class InstanceGuard : public QObject {
 public:
  // The socket's name for this title on this machine and for this user.
  static QString ServerName(const QString& title, const std::string& machineGuid);

  explicit InstanceGuard(QString serverName);

  // True when this is the only copy: it now listens for later ones, and onRestore runs when
  // one starts. False when another copy answered; it has been asked to restore.
  bool TryBecomeInstance(std::function<void()> onRestore);

 private:
  bool AskRunningCopyToRestore();

  const QString serverName_;
  QLocalServer server_;
  std::function<void()> onRestore_;
};

}  // namespace core
