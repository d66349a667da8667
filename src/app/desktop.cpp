#include "app/desktop.h"

#include "app/mivoraptnform.h"
#include "app/oldinstallation.h"
#include "app/prversiondlg.h"
#include "app/singleinstance.h"
#include "app/translations.h"
#include "app/windowprinthost.h"
#include "cli/commands.h"
#include "cli/programfolder.h"
#include "designer/mivoraform.h"
#include "dialogs/dateselectdlg.h"
#include "dialogs/forms.h"
#include "dialogs/indtlform.h"
#include "dialogs/messageboxprompter.h"
#include "dialogs/msgchkdlg.h"
#include "dialogs/prfreeeditform.h"
#include "dialogs/tooleditform.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "print/printfont.h"
#include "session/session.h"
#include "text/errors.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace mivora {

namespace {

std::string optionValue(int argc, char** argv, const std::string& name) {
    const std::vector<std::string> arguments = utf8Arguments(argc, argv);
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == name)
            return arguments[i + 1];
    return {};
}

bool hasDisplay() {
#ifdef Q_OS_LINUX
    return !environmentText("DISPLAY").empty() || !environmentText("WAYLAND_DISPLAY").empty() ||
           !environmentText("QT_QPA_PLATFORM").empty();
#else
    return true;
#endif
}

StartFolderOptions startFolderOptions(int argc, char** argv) {
    StartFolderOptions options;
    options.folder = pathOf({}, optionValue(argc, argv, "--folder"));
    options.tablesNamedElsewhere =
        !optionValue(argc, argv, "--cardata").empty() || !environmentText("CARDATA").empty();
    options.current = std::filesystem::current_path();
    options.proposed = proposedProgramFolder();
    return options;
}

// Settings files, form images and the postal list are looked up in the current
// directory, so the program moves there.
std::optional<std::filesystem::path> enterProgramFolder(int argc, char** argv) {
    const auto folder = findProgramFolder(
        startFolderOptions(argc, argv),
        [](const std::filesystem::path& proposed) { return offerProgramFolder(proposed); });
    if (folder)
        std::filesystem::current_path(*folder);
    return folder;
}

} // namespace

int runDesktop(int argc, char** argv) {
    if (!hasDisplay()) {
        std::cerr << "画面 (DISPLAY) がないためデスクトッププログラムを起動できません。"
                     "画面なしで使えるコマンドは次のとおりです。\n";
        runCommand({"--help"}, std::cerr, std::cerr);
        return 1;
    }
    auto japanese = std::make_unique<JapaneseSystemLocale>();
    QApplication app(argc, argv);
    japanese.reset();
    QApplication::setApplicationName(QStringLiteral("Mivora　For　Win32"));
    // The icon and menu entry that the package installs.
    QApplication::setDesktopFileName(QStringLiteral("jp.varnel.Mivora"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("jp.varnel.Mivora")));
    registerJapaneseFontSubstitutes();
    loadFrameworkTranslations(app);
    std::optional<std::filesystem::path> programDir;
    try {
        programDir = enterProgramFolder(argc, argv);
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("エラー"), QString::fromUtf8(error.what()));
        return 1;
    }
    if (!programDir)
        return 0;
    // Taken before an import of old tables, so that two copies never import at once.
    const auto instance = lockProgramFolder(*programDir);
    if (!instance)
        return 1;

    MessageBoxPrompter prompter;
    const std::filesystem::path here = *programDir;
    auto start = foldersToStartOn(
        {here, resolveTableFolder(here, optionValue(argc, argv, "--cardata"))}, prompter, nullptr);
    if (!start)
        return 0;
    std::unique_ptr<SingleInstance> importedInstance;
    if (start->program != here && !(importedInstance = lockProgramFolder(start->program)))
        return 1;
    std::filesystem::current_path(start->program);
    ProgramSettings settings;
    settings.programDir = start->program;
    Session session(settings, start->tables);
    Forms forms;
    forms.prompter = &prompter;

    TMivoraPtnForm mainForm(session, forms);
    forms.main = &mainForm;
    prompter.setParent(&mainForm);
    TMivoraForm designer(session, forms, &mainForm);
    forms.designer = &designer;
    TPrVersionDlg version(&mainForm);
    forms.version = &version;
    TInDTLForm digitCounts(session.digitCounts, *mainForm.T3Label, &mainForm);
    forms.digitCounts = &digitCounts;
    prompter.setDigitCountWindow(&digitCounts);
    TToolEditForm toolEdit(session.settings.programDir, &mainForm);
    forms.toolEdit = &toolEdit;
    toolEdit.printCalibrationSheet = [&mainForm](const AdjustmentGroup& group, int number) {
        return mainForm.printHost().printCalibrationSheet(group, number);
    };
    toolEdit.expectedCalibrationSheet = [&mainForm](const AdjustmentGroup& group) {
        return mainForm.printHost().expectedCalibrationSheet(group);
    };
    TPrFreeEditForm freeEdit(designer.freeChoices(), &mainForm);
    forms.freeEdit = &freeEdit;
    TDateSelectDlg dateSelect(session.settings.programDir, &mainForm);
    forms.dateSelect = &dateSelect;
    prompter.setDateWindow(&dateSelect);
    TMsgChkDlg confirmation(&mainForm);
    forms.confirmation = &confirmation;
    prompter.setConfirmationWindow(&confirmation);

    mainForm.start();
    return app.exec();
}

} // namespace mivora
