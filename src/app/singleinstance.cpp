#include "app/singleinstance.h"

#include "platform/paths.h"
#include "text/lines.h"

#include <QCryptographicHash>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

#include <cstdio>

namespace mivora {

namespace fs = std::filesystem;

namespace {

QString lockFolder() {
#ifdef Q_OS_WIN
    // %TEMP% lies in the user's own profile.
    return QDir::tempPath();
#else
    // XDG_RUNTIME_DIR: private to the user, emptied at logout.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QDir().mkpath(folder);
    }
    return folder;
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString& lockPath) : path_(lockPath) {}

QString SingleInstance::lockPathFor(const fs::path& programFolder) {
    std::error_code ignored;
    fs::path folder = fs::weakly_canonical(fs::absolute(programFolder), ignored);
    if (folder.empty())
        folder = fs::absolute(programFolder).lexically_normal();
    QString key = QString::fromStdString(pathText(folder));
    while (key.size() > 1 && (key.endsWith(QLatin1Char('/')) || key.endsWith(QLatin1Char('\\'))))
        key.chop(1);
#ifdef Q_OS_WIN
    key = key.toCaseFolded(); // Windows compares folder names blind to case
#endif
    const QByteArray digest =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(lockFolder())
        .filePath(QStringLiteral("EX_Mivora-%1.lock").arg(QString::fromLatin1(digest)));
}

bool SingleInstance::acquire() {
    file_ = OpenFile(pathOf({}, path_.toStdString()), OpenFile::Mode::Keep);
    if (!file_.isOpen())
        return false;
    heldByAnother_ = !file_.tryLock();
    return !heldByAnother_;
}

std::unique_ptr<SingleInstance> lockProgramFolder(const fs::path& programFolder, QWidget* parent) {
    auto instance = std::make_unique<SingleInstance>(SingleInstance::lockPathFor(programFolder));
    if (instance->acquire())
        return instance;
    if (!instance->heldByAnother()) {
        std::fprintf(stderr, "Mivora: ロックファイル %s を作成できません。\n",
                     qUtf8Printable(SingleInstance::lockPathFor(programFolder)));
        return instance;
    }
    QMessageBox::warning(parent, QStringLiteral("Mivora For Win32"),
                         QStringLiteral("Mivora は既にこのプログラムフォルダで起動しています。\n"
                                        "フォルダ: %1")
                             .arg(QString::fromStdString(pathText(programFolder))));
    return nullptr;
}

} // namespace mivora
