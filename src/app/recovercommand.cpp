// `mivora recover --list` and `mivora recover NAME`: the safety copies of the
// vehicle table that a restore or the new-data button wrote before deleting.

#include "app/commands.h"
#include "app/options.h"
#include "store/safetycopy.h"
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
    auto session = openCommandSession(line, SettingsFiles::None);
    if (list) {
        listCopies(session->vehicles, out);
        return 0;
    }
    int records = recoverSafetyCopy(session->vehicles, line.words[0]);
    out << line.words[0] << " から " << records << " 件の車両を戻しました。\n";
    return 0;
}

} // namespace mivora
