#include "app/singleinstance.h"

#include <QDir>

namespace mivora {

SingleInstance::SingleInstance(const QString& lockPath) : lock_(lockPath) {
    // A lock whose process is gone counts as stale at once, whatever its age.
    lock_.setStaleLockTime(0);
}

QString SingleInstance::defaultLockPath() {
    return QDir::temp().filePath(QStringLiteral("EX_Mivora.lock"));
}

bool SingleInstance::acquire() {
    return lock_.tryLock(0);
}

} // namespace mivora
