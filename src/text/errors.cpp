#include "text/errors.h"

#include "text/lines.h"

#include <cerrno>
#include <cstring>

namespace mivora {

namespace {

std::string failedAction(const std::string& file, FileAction action) {
    switch (action) {
    case FileAction::Read:
        return "ファイル " + file + " を読み込めません";
    case FileAction::Write:
        return "ファイル " + file + " に書き込めません";
    case FileAction::Create:
        break;
    }
    return "ファイル " + file + " を作成できません";
}

std::string sentenceFor(const std::string& file, FileAction action, int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return action == FileAction::Read ? "ファイル " + file + " が見つかりません"
                                          : "ファイル " + file + " のフォルダが見つかりません";
    case EACCES:
    case EPERM:
    case EROFS:
        return failedAction(file, action) + "。アクセスする権限がありません";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "ディスクがいっぱいのため、ファイル " + file + " に書き込めません";
    case EISDIR:
        return file + " はフォルダです。ファイルとして使えません";
    default:
        return failedAction(file, action);
    }
}

} // namespace

FileError fileFailure(const std::filesystem::path& file, FileAction action, int errorNumber) {
    std::string message = sentenceFor(pathText(file), action, errorNumber);
    if (errorNumber != 0)
        message += std::string(" (") + std::strerror(errorNumber) + ")";
    return FileError(message + "。");
}

} // namespace mivora
