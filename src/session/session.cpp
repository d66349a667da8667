#include "session/session.h"

#include "platform/paths.h"
#include "platform/process.h"
#include "store/datafolder.h"
#include "store/postgres.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/sjis.h"

#include <cstdlib>

namespace mivora {

namespace fs = std::filesystem;

fs::path resolveTableFolder(const fs::path& programDir, const std::string& option) {
    if (!option.empty())
        return fs::absolute(pathOf({}, option));
    if (const std::string variable = environmentText("CARDATA"); !variable.empty())
        return fs::absolute(pathOf({}, variable));
    return findFile(programDir, "CARDATA");
}

namespace {

std::vector<std::string> cp932Names(const std::vector<std::string>& utf8) {
    std::vector<std::string> names;
    for (const std::string& name : utf8)
        names.push_back(sj(name));
    return names;
}

} // namespace

Session::Session(ProgramSettings settingsIn, fs::path tableFolderIn)
    : settings(std::move(settingsIn)), tableFolder(std::move(tableFolderIn)),
      vehicles(tablePath(tableFolder, vehicleTable())),
      digitCounts(tablePath(tableFolder, digitCountTable())),
      layouts(tablePath(tableFolder, layoutTable())),
      freeData(tablePath(tableFolder, freeDataTable())),
      expense(tablePath(tableFolder, expenseTable())),
      weightTax(tablePath(tableFolder, weightTaxTable())) {
    vehicles.setIndexFieldNames(cp932Names(vehicleOrderFields()));
}

// Each table opens on its own, so that a missing INDATA.db still leaves the
// digit counts usable, and the message names every file that failed. A server
// that cannot be reached is told once, without waiting for it again.
void Session::openMainTables() {
    std::string failures;
    for (Table* table : {&vehicles, &digitCounts}) {
        try {
            table->open();
        } catch (const ConnectionError& error) {
            failures += (failures.empty() ? "" : "\n") + std::string(error.what());
            break;
        } catch (const DatabaseError& error) {
            failures += (failures.empty() ? "" : "\n") + std::string(error.what());
        }
    }
    if (!failures.empty())
        throw DatabaseError(failures);
}

bool Session::tablesOnServer() const {
    try {
        return serverOf(tableFolder).has_value();
    } catch (const Error&) {
        return true; // an unreadable pointer: opening the tables tells why
    }
}

void Session::openDesignerTables() {
    layouts.open();
    freeData.open();
}

void Session::openFeeTables() {
    expense.open();
    weightTax.open();
}

void Session::applyRequestOrder(const StartupRequest& request) {
    vehicles.setIndexName(request.indexName);
    vehicles.setFiltered(request.filtered);
    vehicles.setFilter(request.filter);
}

} // namespace mivora
