// `mivora resolve`: the texts a layout prints for a vehicle, as the designer's
// preview shows them, for people who check a layout and for scripts.

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/unattendedprompter.h"
#include "items/menutextcheck.h"
#include "print/printdata.h"
#include "session/session.h"
#include "store/schema.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/sjis.h"

#include <ostream>

namespace mivora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "使い方: mivora resolve [--cardata DIR] [--layout N] [--record N] [--text ITEM]...";

struct ResolveRequest {
    CommandLine line;
    std::vector<std::string> itemTexts; // UTF-8, in the order given
};

// "--text" may be given any number of times; the other options once.
ResolveRequest parseResolveArguments(const Arguments& args) {
    ResolveRequest request;
    Arguments rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--text") {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size())
            throw Error("--text の後に項目名がありません。");
        request.itemTexts.push_back(args[++i]);
    }
    request.line = parseCommandLine(rest, {"--cardata", "--layout", "--record"});
    if (!request.line.words.empty())
        throw Error("「" + request.line.words.front() + "」は使えません。" + kUsage);
    return request;
}

void printLine(std::ostream& out, const std::string& itemText, const std::string& resolved) {
    out << toUtf8(itemText) << '\t' << toUtf8(resolved) << '\n';
}

} // namespace

int commandResolve(const Arguments& args, std::ostream& out, std::ostream& err) {
    const ResolveRequest request = parseResolveArguments(args);
    std::unique_ptr<Session> opened = openCommandSession(request.line, SettingsFiles::OfPrinting);
    Session& session = *opened;
    session.openDesignerTables();
    moveToRecord(session.layouts, request.line.number("--layout").value_or(1), "レイアウト");
    // Without --record the first vehicle, or an empty record where there is none, as
    // the designer's preview shows it.
    if (const auto record = request.line.number("--record"))
        moveToRecord(session.vehicles, *record, "車両のレコード");
    // With the sibling program a fee layout shows the record prepared as a start-up
    // request prepares it, every question answered no. A record that cannot be
    // priced is said on the error output, and its texts are shown all the same.
    bool cancelled = false;
    if (session.vehicles.recordCount() > 0) {
        UnattendedPrompter nobody(err, false);
        cancelled = prepareAsRequest(session, nobody);
    }

    ItemResolver resolver(session, nullptr);
    if (!request.itemTexts.empty()) {
        for (const std::string& utf8 : request.itemTexts) {
            const std::string itemText = fromUtf8(utf8);
            printLine(out, itemText,
                      resolver.MenuTextCheck(itemText, 1, ResolveMode::Preview).text);
        }
        return cancelled ? 1 : 0;
    }
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const std::string itemText = itemToPrint(session, slot);
        out << slot << '\t';
        printLine(out, itemText, resolver.MenuTextCheck(itemText, slot, ResolveMode::Preview).text);
    }
    return cancelled ? 1 : 0;
}

} // namespace mivora
