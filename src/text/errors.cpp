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

std::string sentenceFor(const std::filesystem::path& path, FileAction action, int errorNumber) {
    const std::string file = pathText(path);
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
        // The folder tells the clerk which disk to make room on.
        return "ディスクがいっぱいのため、フォルダ " + pathText(path.parent_path()) +
               " にファイル " + pathText(path.filename()) + " を書き込めません";
    case EFBIG:
        return "ファイル " + file + " はこれ以上大きくできないため、書き込めません";
    case EIO:
        return failedAction(file, action) + "。ディスクか接続先の装置が読み書きに失敗しました";
    case EISDIR:
        return file + " はフォルダです。ファイルとして使えません";
    default:
        return failedAction(file, action);
    }
}

} // namespace

FileError fileFailure(const std::filesystem::path& file, FileAction action, int errorNumber) {
    std::string message = sentenceFor(file, action, errorNumber);
    if (errorNumber != 0)
        message += std::string(" (") + std::strerror(errorNumber) + ")";
    return FileError(message + "。");
}

} // namespace mivora
