// `mivora backup FILE --row N` and `mivora restore FILE [--row N]`: the toolbar's
// backup and restore without windows; the row replaces the digit-count window.

#include "cli/commands.h"
#include "cli/options.h"
#include "exchange/backup.h"
#include "exchange/backupfiles.h"
#include "exchange/restore.h"
#include "items/postal.h"
#include "platform/paths.h"
#include "session/session.h"
#include "store/onethread.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"

#include <ostream>

namespace mivora {

namespace fs = std::filesystem;

namespace {

fs::path fileArgument(const CommandLine& line, const char* usage) {
    if (line.words.size() != 1)
        throw Error(std::string("使い方: mivora ") + usage);
    return fs::absolute(pathOf({}, line.words[0]));
}

} // namespace

int commandBackup(const Arguments& args, std::ostream& out, std::ostream&) {
    useTablesFromOneThread();
    const char* usage = "backup FILE --row N [--cardata DIR]";
    CommandLine line = parseCommandLine(args, {"--row", "--cardata"});
    fs::path file = fileArgument(line, usage);
    auto row = line.number("--row");
    if (!row)
        throw Error(std::string("桁数の行を --row N で指定してください。使い方: mivora ") + usage);
    auto session = openCommandSession(line, SettingsFiles::None);
    moveToRecord(session->digitCounts, *row, "桁数の行");
    DigitCountRow counts = readDigitCountRow(session->digitCounts);
    // The postal list is looked up once, not again for every vehicle.
    const auto postalList = postalListIn(session->settings.programDir);
    const int lines = writeBackup(session->vehicles, session->digitCounts, counts, file,
                                  [&](RecordValues& values, int mode) {
                                      if (postalList)
                                          PostRead(values[48], mode, values, *postalList);
                                  },
                                  {});
    FileName name = splitFileName(file);
    out << lines
        << " 行をバックアップしました: " << pathText(name.with(name.isCsv() ? ".CSV" : ".TXT"))
        << "\n";
    return 0;
}

int commandRestore(const Arguments& args, std::ostream& out, std::ostream&) {
    useTablesFromOneThread();
    CommandLine line = parseCommandLine(args, {"--row", "--cardata"});
    FileName name = splitFileName(fileArgument(line, "restore FILE [--row N] [--cardata DIR]"));
    refuseAddressBook(name);
    finishStoppedBackups(name.directory); // a pair left half replaced is completed first
    auto session = openCommandSession(line, SettingsFiles::None, Vehicles::Unread);
    int restored = 0;
    if (name.isCsv()) {
        restored = restoreCsv(session->vehicles, name.with(".CSV"), {});
    } else {
        std::optional<Widths> widths = readWidthFile(name.with(".TIF"));
        if (!widths) {
            auto row = line.number("--row");
            if (!row)
                throw Error("幅ファイル " + pathText(name.with(".TIF")) +
                            " がありません。桁数の行を --row N で指定してください。");
            session->digitCounts.open();
            moveToRecord(session->digitCounts, *row, "桁数の行");
            widths = readDigitCountRow(session->digitCounts).counts;
        }
        restored = restoreTxt(session->vehicles, name.with(".TXT"), *widths, {});
    }
    out << restored << " 件の車両をリストアしました。\n";
    return 0;
}

} // namespace mivora
