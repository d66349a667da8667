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

std::string systemReason(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return "ファイルまたはフォルダがありません";
    case EACCES:
    case EPERM:
        return "アクセスが拒否されました";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "ディスクに空きがありません";
    case EROFS:
        return "読み取り専用のディスクです";
    case EBUSY:
    case ETXTBSY:
        return "他のプログラムが使用中です";
    case EIO:
        return "ディスクの読み書きに失敗しました";
    case ENAMETOOLONG:
        return "名前が長すぎます";
    case EEXIST:
        return "同じ名前のファイルが既にあります";
    case ENOTDIR:
        return "フォルダではありません";
    case EISDIR:
        return "フォルダです";
    default:
        return std::strerror(errorNumber);
    }
}

std::string systemReason(const std::error_code& error) {
    // A Windows error number has its errno twin in the generic condition.
    const std::error_condition condition = error.default_error_condition();
    if (condition.category() == std::generic_category())
        return systemReason(condition.value());
    return error.message();
}

FileError fileFailure(const std::filesystem::path& file, FileAction action, int errorNumber) {
    std::string message = sentenceFor(file, action, errorNumber);
    if (errorNumber != 0)
        message += " (" + systemReason(errorNumber) + ")";
    return FileError(message + "。");
}

} // namespace mivora
