// `mivora recover --list` and `mivora recover NAME`: the safety copies of the
// vehicle table that a restore or the new-data button wrote before deleting.

#include "cli/commands.h"
#include "cli/options.h"
#include "session/session.h"
#include "store/datafolder.h"
#include "store/safetycopy.h"
#include "store/table.h"
#include "text/errors.h"
#include "text/lines.h"

#include <algorithm>
#include <ostream>

namespace mivora {

namespace {

void listCopies(const Table& vehicles, std::ostream& out) {
    std::vector<SafetyCopy> copies = listSafetyCopies(vehicles);
    if (copies.empty()) {
        out << "安全のためのコピーはありません。\n";
        return;
    }
    for (const SafetyCopy& copy : copies) {
        out << copy.name << "  " << copy.time << "  ";
        if (copy.records < 0)
            out << "(読めません)\n";
        else
            out << copy.records << " 件\n";
    }
}

} // namespace

int commandRecover(const Arguments& args, std::ostream& out, std::ostream&) {
    const char* usage = "recover --list | recover NAME [--cardata DIR]";
    Arguments rest = args;
    auto flag = std::find(rest.begin(), rest.end(), "--list");
    bool list = flag != rest.end();
    if (list)
        rest.erase(flag);
    CommandLine line = parseCommandLine(rest, {"--cardata"});
    if (list ? !line.words.empty() : line.words.size() != 1)
        throw Error(std::string("使い方: mivora ") + usage);
    // Not the session's tables: whatever a mistake left in the vehicle table (other
    // fields, no records, no order), listing and recovering must still work.
    Table vehicles(tablePath(
        resolveTableFolder(std::filesystem::current_path(), line.option("--cardata").value_or("")),
        vehicleTable()));
    if (list) {
        listCopies(vehicles, out);
        return 0;
    }
    vehicles.open();
    int records = recoverSafetyCopy(vehicles, line.words[0]);
    out << line.words[0] << " から " << records << " 件の車両を戻しました。\n";
    return 0;
}

} // namespace mivora
