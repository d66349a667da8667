#include "app/oldinstallation.h"

#include "cli/programfolder.h"
#include "dialogs/progresswindow.h"
#include "import/paradoximport.h"
#include "session/prompter.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

namespace mivora {

namespace fs = std::filesystem;

fs::path importFolderBeside(const fs::path& program) {
    const std::string base =
        (program.filename().empty() ? "Mivora" : pathText(program.filename())) + "_Mivora";
    fs::path folder = pathOf(program.parent_path(), base);
    for (int number = 2; fs::exists(folder); ++number)
        folder = pathOf(program.parent_path(), base + std::to_string(number));
    return folder;
}

std::optional<StartFolders> foldersToStartOn(const StartFolders& given, Prompter& prompter,
                                             QWidget* parent) {
    if (!holdsParadoxTables(given.tables))
        return given;
    // The old program may still be in use there; its tables are never imported twice
    // without the person asking for it on the command line.
    if (const auto imported = importedFolderOf(given.tables)) {
        if (!prompter.askYesNo("このフォルダの旧形式のデータは既に取り込んであります。\n\n"
                               "旧形式 (Paradox) のテーブル: " +
                               pathText(given.tables) +
                               "\n取り込み先のフォルダ: " + pathText(*imported) +
                               "\n\n取り込み先のフォルダで起動しますか？\n"
                               "(メニューから起動すると取り込み先のフォルダで起動します。"
                               "取り込み直すには mivora import-paradox を使ってください)"))
            return std::nullopt;
        return StartFolders{*imported, findFile(*imported, "CARDATA")};
    }
    const fs::path target = importFolderBeside(given.program);
    if (!prompter.askYesNo("旧形式のデータが見つかりました。取り込みますか？\n\n"
                           "旧形式 (Paradox) のテーブル: " +
                           pathText(given.tables) +
                           "\n取り込み先の新しいフォルダ: " + pathText(target)))
        return std::nullopt;
    try {
        ProgressWindow progress(parent, QStringLiteral("旧形式のデータを取り込んでいます…"));
        importParadox({given.program, target, given.tables}, progress.report());
    } catch (const Cancelled&) {
        return std::nullopt;
    } catch (const Error& error) {
        prompter.showError(error.what());
        return std::nullopt;
    }
    rememberImport(given.tables, target);
    return StartFolders{target, target / "CARDATA"};
}

} // namespace mivora
