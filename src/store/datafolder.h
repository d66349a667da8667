#pragma once
// The data folder: one SQLite file per table. The program itself never creates
// tables in an existing folder; only `mivora init` makes a new one.

#include "store/schema.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mivora {

std::filesystem::path tablePath(const std::filesystem::path& dataFolder, const TableDef& table);

// Creates the six table files, empty, with their indexes. Refuses (FileError) when
// any of them exists already, before writing anything. Indexes::Later leaves the
// indexes out, for filling many records at once: createIndexes then builds each
// index in one sort instead of placing every record in it as it comes.
enum class Indexes { Now, Later };
void createTables(const std::filesystem::path& dataFolder, Indexes indexes = Indexes::Now);
void createIndexes(const std::filesystem::path& dataFolder);

// Copies the six tables of one data folder into another, which may hold its
// tables in files or on a server (its CARDATA.conn), whole or not at all: the
// target's tables must not exist yet (FileError otherwise, before anything is
// written). A copy into files that was killed before it ended is finished (its
// tables were complete) or dropped by the next copy into the same folder, which
// then stops with a FileError saying so. Returns the number of records of each
// table, in table order.
struct CopiedTable {
    std::string name; // e.g. "INDATA"
    long long records;
};
std::vector<CopiedTable> copyDataFolder(const std::filesystem::path& from,
                                        const std::filesystem::path& to);

// Fills freshly created tables with fictional vehicles, digit-count rows, two
// layouts, their free contents and the fee tables.
void fillSampleData(const std::filesystem::path& dataFolder);

} // namespace mivora
