#include "store/tableformat.h"

#include "store/sqlite.h"
#include "text/errors.h"
#include "text/lines.h"

#include <string>
#include <utility>
#include <vector>

namespace mivora {

namespace {

int formatVersion(SqliteDatabase& db) {
    Statement version = db.prepare("PRAGMA user_version");
    return version.step() ? static_cast<int>(version.columnInt(0)) : 0;
}

// The index's own statement without the collation: the same name, columns and
// options, ordered by plain bytes (the program keeps the Shift-JIS order itself).
std::string withoutCp932(std::string sql) {
    static const std::string collation = " COLLATE CP932";
    for (std::size_t at = sql.find(collation); at != std::string::npos;
         at = sql.find(collation, at))
        sql.erase(at, collation.size());
    return sql;
}

void rebuildCollatedIndexes(SqliteDatabase& db) {
    std::vector<std::pair<std::string, std::string>> indexes; // name, statement
    Statement list = db.prepare("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND "
                                "sql LIKE '%COLLATE CP932%'");
    while (list.step())
        indexes.emplace_back(list.columnText(0), list.columnText(1));
    for (const auto& [name, sql] : indexes) {
        db.exec("DROP INDEX " + quoteName(name));
        db.exec(withoutCp932(sql));
    }
}

} // namespace

void markCurrentFormat(SqliteDatabase& db) {
    db.exec("PRAGMA user_version = " + std::to_string(kTableFormatVersion));
}

void bringToCurrentFormat(SqliteDatabase& db, const std::filesystem::path& file) {
    if (formatVersion(db) >= kTableFormatVersion)
        return;
    try {
        WriteTransaction transaction(db);
        rebuildCollatedIndexes(db);
        markCurrentFormat(db);
        transaction.commit();
    } catch (const DatabaseError& error) {
        throw DatabaseError("テーブル " + pathText(file) + " を新しい形式に変換できません (" +
                            error.what() + ")。");
    }
}

} // namespace mivora
