#pragma once
// Everything the running program holds outside its windows: the settings read at
// start, the open tables and the shared value array. The windows own one Session
// and hand it to the core's operations.

#include "session/preparationstate.h"
#include "session/settings.h"
#include "store/table.h"

#include <array>
#include <filesystem>
#include <string>

namespace mivora {

// The folder of the tables: the --cardata option, else the environment variable
// CARDATA, else CARDATA/ in the program directory.
std::filesystem::path resolveTableFolder(const std::filesystem::path& programDir,
                                         const std::string& option);

class Session {
  public:
    Session(ProgramSettings settings, std::filesystem::path tableFolder);

    ProgramSettings settings;
    const std::filesystem::path tableFolder;

    // The main window's tables.
    Table vehicles;    // INDATA.db, ordered by the fourteen fields
    Table digitCounts; // INDTLEN.db
    // The designer's tables.
    Table layouts;   // PrtData.DB
    Table freeData;  // PrtFreeData.DB
    Table expense;   // Expense.DB, opened on demand
    Table weightTax; // WeightTax.DB, opened on demand

    // Slot 0 scratch, 1-47 the columns of one vehicle, 48 a postal code (CP932).
    std::array<std::string, 49> recordValues;

    // The state of print data preparation and the fee calculation in a print run.
    PreparationState preparation;

    void openMainTables();
    // Whether the tables stand on a database server, which may take seconds to answer.
    bool tablesOnServer() const;
    void openDesignerTables();
    void openFeeTables();

    // Applies the index name and filter of a start-up request to the vehicles.
    // An unknown index or a filter that does not parse throws DatabaseError after
    // leaving the primary order or no filter.
    void applyRequestOrder(const StartupRequest& request);
};

} // namespace mivora
