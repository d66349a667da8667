#pragma once
// The format of a table file, recorded in the file itself (PRAGMA user_version)
// so that a later version knows what it opens. Version 1: nothing in the file
// needs more than a stock SQLite; earlier files declared their text indexes with
// the collation CP932, which only this program knows.

#include <filesystem>

namespace mivora {

class SqliteDatabase;

constexpr int kTableFormatVersion = 1;

// Marks a freshly created file as being of the current format.
void markCurrentFormat(SqliteDatabase& db);

// Brings an older file to the current format in one transaction, keeping every
// record and every index name; a file of the current format is left alone.
void bringToCurrentFormat(SqliteDatabase& db, const std::filesystem::path& file);

} // namespace mivora
