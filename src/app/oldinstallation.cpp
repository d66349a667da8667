#include "app/oldinstallation.h"

#include "dialogs/progresswindow.h"
#include "import/paradoximport.h"
#include "session/prompter.h"
#include "text/errors.h"
#include "text/lines.h"

namespace mivora {

namespace fs = std::filesystem;

fs::path importFolderBeside(const fs::path& program) {
    const std::string base =
        (program.filename().empty() ? "Mivora" : program.filename().string()) + "_Mivora";
    fs::path folder = program.parent_path() / base;
    for (int number = 2; fs::exists(folder); ++number)
        folder = program.parent_path() / (base + std::to_string(number));
    return folder;
}

std::optional<StartFolders> foldersToStartOn(const StartFolders& given, Prompter& prompter,
                                             QWidget* parent) {
    if (!holdsParadoxTables(given.tables))
        return given;
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
    return StartFolders{target, target / "CARDATA"};
}

} // namespace mivora
