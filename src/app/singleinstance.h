#pragma once
// One copy of the program per user and program folder: a lock file in the
// user's own runtime folder, named after "EX_Mivora" and the program folder.
// A folder everyone shares (/tmp) would let one user's copy, or the lock it left
// behind when killed, keep every other user out. The lock is the system's own
// lock on the open file, which the system lets go of when the process ends however
// it ends: a copy that crashed or was killed never keeps the next start out, and
// no process number is trusted (Windows and wine give the same one again).

#include "platform/files.h"

#include <QString>

#include <filesystem>
#include <memory>

class QWidget;

namespace mivora {

class SingleInstance {
  public:
    explicit SingleInstance(const QString& lockPath);
    // False when another running copy holds the lock, or the lock file cannot be made.
    bool acquire();
    bool heldByAnother() const { return heldByAnother_; }

    // The same folder, however it is spelled, gives the same lock.
    static QString lockPathFor(const std::filesystem::path& programFolder);

  private:
    QString path_;
    OpenFile file_;
    bool heldByAnother_ = false;
};

// The held lock of the program folder; nothing, after a message box that says
// why, when another copy of this user already runs there. A lock file that
// cannot be made at all does not keep the program from starting.
std::unique_ptr<SingleInstance> lockProgramFolder(const std::filesystem::path& programFolder,
                                                  QWidget* parent = nullptr);

} // namespace mivora
