#include "store/datafolder.h"

#include "store/postgres.h"
#include "store/sqlite.h"
#include "store/tableformat.h"
#include "text/errors.h"
#include "text/lines.h"

namespace mivora {

namespace fs = std::filesystem;

namespace {

void addIndexes(Database& db, const TableDef& table) {
    for (const IndexDef& index : table.indexes)
        db.exec(createIndexSql(quoteName(index.name), "records", index));
}

void createTable(const fs::path& file, const TableDef& table, Indexes indexes) {
    SqliteDatabase db(file, true);
    std::vector<ColumnInfo> columns;
    for (const FieldDef& field : table.fields)
        columns.push_back({field.name, declaredType(field.type)});
    db.exec(createTableSql("records", columns, false));
    if (indexes == Indexes::Now)
        addIndexes(db, table);
    markCurrentFormat(db);
}

} // namespace

fs::path tablePath(const fs::path& dataFolder, const TableDef& table) {
    return dataFolder / table.file;
}

void createTables(const fs::path& dataFolder, Indexes indexes) {
    if (std::optional<std::string> server = serverOf(dataFolder)) {
        PostgresDatabase(*server, "").createTables(indexes);
        return;
    }
    for (const TableDef* table : allTables())
        if (fs::exists(tablePath(dataFolder, *table)))
            throw FileError("テーブル " + pathText(tablePath(dataFolder, *table)) +
                            " は既にあります。既存のデータは上書きしません。");
    fs::create_directories(dataFolder);
    for (const TableDef* table : allTables())
        createTable(tablePath(dataFolder, *table), *table, indexes);
}

void createIndexes(const fs::path& dataFolder) {
    if (std::optional<std::string> server = serverOf(dataFolder)) {
        PostgresDatabase(*server, "").createIndexes();
        return;
    }
    for (const TableDef* table : allTables()) {
        SqliteDatabase db(tablePath(dataFolder, *table), false);
        addIndexes(db, *table);
    }
}

} // namespace mivora
