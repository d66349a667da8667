#pragma once
// Safety copies of a table, written before the program deletes records by the
// thousand (a restore, the new-data button), so that a wrong file or a wrong
// click can be undone. A copy is a SQLite file with every record (of a table
// file, its online backup), in the folder "safety" of the data folder, named
// after the table and the local time: safety/INDATA-20261207-153000.db (a second
// copy within the same second gets "-2", "-3"...). The newest ten are kept. A copy
// is written as NAME.part, created by one process only, so that two copies started
// in the same second take different names; a part that a killed run left is
// removed by a later copy. The copies of a table on a server are tables beside it
// of the same names, seen by every PC of the office, written under the table's
// lock; a restore of the whole table keeps the old table itself as the copy.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace mivora {

class Table;

constexpr int kSafetyCopiesKept = 10;

struct SafetyCopy {
    std::string name;           // file name, e.g. "INDATA-20261207-153000.db"
    std::filesystem::path file; // on a server: the copy's table, as a name without folder
    std::string time;           // "2026-12-07 15:30:00", local time
    long long records = -1;     // -1 when the copy cannot be read
};

// Writes a copy of the open table's file and removes the oldest beyond ten.
// A FileError naming the copy when it cannot be written: the caller then must
// not delete anything.
std::filesystem::path writeSafetyCopy(Table& table);

// Deletes every record of the view and runs load, which adds records with
// insertRecord, after a safety copy, in one transaction in which the table still
// holds what the copy holds, whatever other PCs and programs commit meanwhile:
// every record deleted is in the copy. Nothing is replaced when the copy cannot
// be written. The records added are not yet in the view (Table::refresh).
void replaceViewAfterSafetyCopy(Table& table, const std::function<void()>& load);

// The table's copies, newest first.
std::vector<SafetyCopy> listSafetyCopies(const Table& table);

// Puts the copy of that name (with or without ".db") back into the open table,
// after a safety copy of the present state; a FileError for an unknown name and
// for a copy whose fields are not those of the table, before anything changes.
// Returns the number of records the table then holds.
int recoverSafetyCopy(Table& table, const std::string& name);

} // namespace mivora
