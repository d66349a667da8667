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
    db.exec(createTableSql("records", columnsOf(table), false));
    if (indexes == Indexes::Now)
        addIndexes(db, table);
    markCurrentFormat(db);
}

void refuseExistingFiles(const fs::path& dataFolder) {
    for (const TableDef* table : allTables())
        if (fs::exists(tablePath(dataFolder, *table)))
            throw FileError("テーブル " + pathText(tablePath(dataFolder, *table)) +
                            " は既にあります。既存のデータは上書きしません。");
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
    refuseExistingFiles(dataFolder);
    fs::create_directories(dataFolder);
    for (const TableDef* table : allTables())
        createTable(tablePath(dataFolder, *table), *table, indexes);
}

namespace {

// On a server everything happens in one transaction.
std::vector<CopiedTable> copyToServer(const fs::path& from, const std::string& server) {
    PostgresDatabase target(server, "");
    WriteTransaction write(target);
    target.createTables(Indexes::Later);
    std::vector<CopiedTable> copied;
    for (const TableDef* table : allTables()) {
        std::unique_ptr<Database> source = openTable(tablePath(from, *table));
        copied.push_back({serverTableName(*table),
                          copyRecords(*source, target, quoteName(serverTableName(*table)))});
    }
    target.createIndexes();
    write.commit();
    return copied;
}

// Files are written complete beside the target and then moved in.
std::vector<CopiedTable> copyToFiles(const fs::path& from, const fs::path& to) {
    refuseExistingFiles(to);
    const fs::path staging = to / ".mivora-copy";
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    std::vector<CopiedTable> copied;
    try {
        createTables(staging, Indexes::Later);
        for (const TableDef* table : allTables()) {
            std::unique_ptr<Database> source = openTable(tablePath(from, *table));
            SqliteDatabase target(tablePath(staging, *table), false);
            WriteTransaction write(target);
            copied.push_back({serverTableName(*table), copyRecords(*source, target, "records")});
            write.commit();
        }
        createIndexes(staging);
        for (const TableDef* table : allTables())
            fs::rename(tablePath(staging, *table), tablePath(to, *table));
    } catch (...) {
        fs::remove_all(staging, ignored);
        throw;
    }
    fs::remove_all(staging, ignored);
    return copied;
}

} // namespace

std::vector<CopiedTable> copyDataFolder(const fs::path& from, const fs::path& to) {
    if (std::optional<std::string> server = serverOf(to))
        return copyToServer(from, *server);
    return copyToFiles(from, to);
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
