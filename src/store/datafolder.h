#pragma once
// The data folder: one SQLite file per table. The program itself never creates
// tables in an existing folder; only `mivora init` makes a new one.

#include "store/schema.h"

#include <filesystem>

namespace mivora {

std::filesystem::path tablePath(const std::filesystem::path& dataFolder, const TableDef& table);

// Creates the six table files, empty, with their indexes. Refuses (FileError) when
// any of them exists already, before writing anything. Indexes::Later leaves the
// indexes out, for filling many records at once: createIndexes then builds each
// index in one sort instead of placing every record in it as it comes.
enum class Indexes { Now, Later };
void createTables(const std::filesystem::path& dataFolder, Indexes indexes = Indexes::Now);
void createIndexes(const std::filesystem::path& dataFolder);

// Fills freshly created tables with fictional vehicles, digit-count rows, two
// layouts, their free contents and the fee tables.
void fillSampleData(const std::filesystem::path& dataFolder);

} // namespace mivora
