#pragma once
// One copy of the program per user: a lock file named after "EX_Mivora" in the
// temp folder. The lock of a copy that crashed is taken over.

#include <QLockFile>
#include <QString>

namespace mivora {

class SingleInstance {
  public:
    explicit SingleInstance(const QString& lockPath = defaultLockPath());
    // False when another running copy holds the lock.
    bool acquire();

    static QString defaultLockPath();

  private:
    QLockFile lock_;
};

} // namespace mivora
