#pragma once
// Moving in from an existing installation: the six Paradox tables of the old
// data folder become the six tables of a new program folder, and the old
// program folder's settings files, choice files and form images are copied into
// it, with the sibling program and the postal list. The old folder is only read.
// The new folder appears whole or not at all.

#include "exchange/exchange.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mivora {

struct TableImport {
    std::string file; // the table's file name, e.g. "INDATA.db"
    int read = 0;
    int written = 0;
    std::vector<std::string> skippedFields; // UTF-8: in the old table, unknown here
    std::vector<std::string> emptyFields;   // UTF-8: needed here, lacking in the old table
};

struct ImportReport {
    std::vector<TableImport> tables;      // in the order of the six tables
    std::vector<std::string> copiedFiles; // UTF-8 names, sorted
};

struct ImportFolders {
    std::filesystem::path oldProgram;
    std::filesystem::path newProgram;
    std::filesystem::path paradox; // the old tables; empty for CARDATA in the old program folder
};

// Imports everything or nothing. Throws FileError for a table that cannot be read
// (naming the file and why), for a target that already holds tables, is a file
// or lies inside the old folders; Cancelled when progress says so. What a killed
// run left beside the target is removed first, or, when it was already moving
// into an existing target, its moves are finished.
ImportReport importParadox(const ImportFolders& folders, const Progress& progress = {});

// The report as lines for a person (UTF-8).
std::vector<std::string> reportLines(const ImportReport& report);

// Whether the data folder holds the vehicle table of the old database instead of
// this program's.
bool holdsParadoxTables(const std::filesystem::path& dataFolder);

} // namespace mivora
