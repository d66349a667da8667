#include "store/datafolder.h"

#include "store/sqlite.h"
#include "store/tableformat.h"
#include "text/errors.h"
#include "text/lines.h"

namespace mivora {

namespace fs = std::filesystem;

namespace {

const char* declaredType(FieldType type) {
    switch (type) {
    case FieldType::Integer:
        return "INTEGER";
    case FieldType::Flag:
        return "BOOLEAN";
    case FieldType::Text:
        break;
    }
    return "TEXT";
}

void addIndexes(Database& db, const TableDef& table) {
    for (const IndexDef& index : table.indexes) {
        std::string columns;
        for (const std::string& field : index.fields)
            columns += (columns.empty() ? "" : ", ") + quoteName(field);
        db.exec("CREATE INDEX " + quoteName(index.name) + " ON records (" + columns + ")");
    }
}

void createTable(const fs::path& file, const TableDef& table, Indexes indexes) {
    Database db(file, true);
    std::string sql = "CREATE TABLE records (";
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
        const FieldDef& field = table.fields[i];
        sql += (i ? ", " : "") + quoteName(field.name) + " " + declaredType(field.type);
        if (field.type == FieldType::Text)
            sql += " NOT NULL DEFAULT ''";
    }
    sql += ")";
    db.exec(sql);
    if (indexes == Indexes::Now)
        addIndexes(db, table);
    markCurrentFormat(db);
}

} // namespace

fs::path tablePath(const fs::path& dataFolder, const TableDef& table) {
    return dataFolder / table.file;
}

void createTables(const fs::path& dataFolder, Indexes indexes) {
    for (const TableDef* table : allTables())
        if (fs::exists(tablePath(dataFolder, *table)))
            throw FileError("テーブル " + pathText(tablePath(dataFolder, *table)) +
                            " は既にあります。既存のデータは上書きしません。");
    fs::create_directories(dataFolder);
    for (const TableDef* table : allTables())
        createTable(tablePath(dataFolder, *table), *table, indexes);
}

void createIndexes(const fs::path& dataFolder) {
    for (const TableDef* table : allTables()) {
        Database db(tablePath(dataFolder, *table), false);
        addIndexes(db, *table);
    }
}

} // namespace mivora
