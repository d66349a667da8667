#include "cli/programfolder.h"

#include "dialogs/restorepos.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>

namespace mivora {

namespace fs = std::filesystem;

namespace {

const QString kRememberedKey = QStringLiteral("ProgramFolder");

// Kept beside the window positions of the main window.
std::unique_ptr<QSettings> openStartKey() {
    return openPositionKey(QStringLiteral("Mivora"));
}

std::optional<fs::path> rememberedFolder() {
    const QString text = openStartKey()->value(kRememberedKey).toString();
    if (text.isEmpty())
        return std::nullopt;
    return pathOf({}, text.toStdString());
}

const QString kImportedFromKey = QStringLiteral("ImportedFrom");
const QString kImportedIntoKey = QStringLiteral("ImportedInto");

QString keyText(const fs::path& dir) {
    std::error_code ignored;
    return QString::fromStdString(pathText(fs::weakly_canonical(fs::absolute(dir), ignored)));
}

} // namespace

void rememberProgramFolder(const fs::path& dir) {
    openStartKey()->setValue(kRememberedKey, keyText(dir));
}

void rememberImport(const fs::path& oldTables, const fs::path& newFolder) {
    const auto key = openStartKey();
    key->setValue(kImportedFromKey, keyText(oldTables));
    key->setValue(kImportedIntoKey, keyText(newFolder));
    key->setValue(kRememberedKey, keyText(newFolder));
}

std::optional<fs::path> importedFolderOf(const fs::path& oldTables) {
    const auto key = openStartKey();
    if (key->value(kImportedFromKey).toString() != keyText(oldTables))
        return std::nullopt;
    const fs::path into = pathOf({}, key->value(kImportedIntoKey).toString().toStdString());
    if (!isProgramFolder(into))
        return std::nullopt;
    return into;
}

bool isProgramFolder(const fs::path& dir) {
    std::error_code ignored;
    // Its data folder holds the tables, or the pointer to the server that does.
    const fs::path tables = findFile(dir, "CARDATA");
    return fs::is_regular_file(findFile(tables, "INDATA.db"), ignored) ||
           fs::is_regular_file(findFile(tables, "CARDATA.conn"), ignored);
}

std::optional<fs::path> findProgramFolder(const StartFolderOptions& options,
                                          const FolderOffer& offer) {
    std::error_code error;
    if (!options.folder.empty()) {
        if (!fs::is_directory(options.folder, error))
            throw FileError("プログラムフォルダ " + pathText(options.folder) + " がありません。");
        return fs::absolute(options.folder);
    }
    if (options.tablesNamedElsewhere || isProgramFolder(options.current))
        return options.current;
    if (const auto remembered = rememberedFolder(); remembered && isProgramFolder(*remembered))
        return remembered;
    const auto content = offer(options.proposed);
    if (!content)
        return std::nullopt;
    try {
        createProgramFolder(options.proposed, *content);
    } catch (const fs::filesystem_error& failure) {
        throw FileError("プログラムフォルダ " + pathText(options.proposed) + " を作成できません（" +
                        systemReason(failure.code()) + "）。");
    }
    rememberProgramFolder(options.proposed);
    return options.proposed;
}

std::optional<FolderContent> offerProgramFolder(const fs::path& proposed, QWidget* parent) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Mivora For Win32"),
                    QStringLiteral("プログラムフォルダがありません。\n%1 に作成しますか？\n"
                                   "次からはこのフォルダで起動します。")
                        .arg(QString::fromStdString(pathText(proposed))),
                    QMessageBox::NoButton, parent);
    QPushButton* sample =
        box.addButton(QStringLiteral("サンプルデータ入りで作成"), QMessageBox::AcceptRole);
    QPushButton* empty = box.addButton(QStringLiteral("空の表で作成"), QMessageBox::AcceptRole);
    QPushButton* quit = box.addButton(QStringLiteral("終了"), QMessageBox::RejectRole);
    box.setDefaultButton(sample);
    box.setEscapeButton(quit);
    box.exec();
    if (box.clickedButton() == sample)
        return FolderContent::Sample;
    if (box.clickedButton() == empty)
        return FolderContent::Empty;
    return std::nullopt;
}

fs::path proposedProgramFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return pathOf({}, documents.toStdString()) / "Mivora";
}

} // namespace mivora
