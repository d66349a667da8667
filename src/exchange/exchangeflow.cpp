#include "exchange/exchangeflow.h"

#include "exchange/backup.h"
#include "exchange/backupfiles.h"
#include "exchange/restore.h"
#include "items/postal.h"
#include "platform/paths.h"
#include "text/codec.h"

namespace mivora {

namespace fs = std::filesystem;

bool backupWithQuestions(Session& session, Prompter& person, const Progress& progress) {
    if (!person.chooseDigitCountRow("バックアップ方法を指定してください。"))
        return false;
    DigitCountRow row = readDigitCountRow(session.digitCounts);
    auto chosen = person.chooseFile(
        {true, "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙの指定",
         "ｴｯｸｽﾎﾟｰﾄﾌｧｲﾙ(*.CSV *.csv);;ｴｯｸｽﾎﾟｰﾄﾌｧｲﾙ(*.TXT *.txt);;全て(*)",
         toUtf8(proposedBackupName(session.settings.dataFolder, row, localToday()))});
    if (!chosen)
        return false;
    const fs::path programDir = session.settings.programDir;
    try {
        writeBackup(
            session.vehicles, session.digitCounts, row, pathOf({}, *chosen),
            [&](RecordValues& values, int mode) { PostRead(values[48], mode, values, programDir); },
            progress);
    } catch (const Cancelled&) {
        return false;
    }
    return true;
}

bool restoreWithQuestions(Session& session, Prompter& person, const Progress& progress) {
    auto chosen = person.chooseFile({false, "ｲﾝﾎﾟｰﾄﾌｧｲﾙの指定",
                                     "ｲﾝﾎﾟｰﾄﾌｧｲﾙ(*.TXT *.CSV *.txt *.csv);;全て(*)",
                                     toUtf8(session.settings.dataFolder)});
    if (!chosen)
        return false;
    FileName name = splitFileName(pathOf({}, *chosen));
    refuseAddressBook(name);
    finishStoppedBackups(name.directory); // a pair left half replaced is completed first
    try {
        if (name.isCsv()) {
            restoreCsv(session.vehicles, name.with(".CSV"), progress);
            return true;
        }
        std::optional<Widths> widths = readWidthFile(name.with(".TIF"));
        if (!widths) {
            if (!person.chooseDigitCountRow("リストア方法を指定してください。"))
                return false;
            widths = readDigitCountRow(session.digitCounts).counts;
        }
        restoreTxt(session.vehicles, name.with(".TXT"), *widths, progress);
    } catch (const Cancelled&) {
        return false;
    }
    return true;
}

} // namespace mivora
