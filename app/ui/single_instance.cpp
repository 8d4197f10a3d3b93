#include "single_instance.h"

#include <QDir>
#include <QStandardPaths>

std::unique_ptr<QLockFile> TakeInstanceLock() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  auto lock = std::make_unique<QLockFile>(folder + "/" + kInstanceLockName + ".lock");
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) return nullptr;
  return lock;
}
