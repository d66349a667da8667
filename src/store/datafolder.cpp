#include "store/datafolder.h"

#include "platform/paths.h"
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
    return pathOf(dataFolder, table.file);
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

// Files are written complete in a folder beside the target, which a single
// rename then makes the target: the tables arrive all at once or not at all. A
// target that exists with other files in it takes the tables one by one; a run
// killed between those renames leaves the complete folder behind, whose tables
// the next copy into that target moves in before anything else.
fs::path stagingOf(const fs::path& to, const char* state) {
    const fs::path target = to.has_filename() ? to : to.parent_path();
    std::string name = ".";
    name += pathText(target.filename());
    name += ".mivora-copy";
    name += state;
    return pathOf(target.parent_path(), name);
}

void moveStagedTables(const fs::path& complete, const fs::path& to) {
    std::error_code error;
    if (!fs::exists(to, error) || (fs::is_directory(to, error) && fs::is_empty(to, error))) {
        fs::remove(to, error);
        fs::rename(complete, to);
        return;
    }
    for (const TableDef* table : allTables())
        if (fs::exists(tablePath(complete, *table)))
            fs::rename(tablePath(complete, *table), tablePath(to, *table));
    fs::remove_all(complete);
}

// What a killed copy into this target left: a folder still being written is
// dropped, a complete one is moved in.
bool finishEarlierCopy(const fs::path& to) {
    std::error_code ignored;
    fs::remove_all(stagingOf(to, "-part"), ignored);
    const fs::path complete = stagingOf(to, "");
    if (!fs::is_directory(complete, ignored))
        return false;
    moveStagedTables(complete, to);
    return true;
}

std::vector<CopiedTable> copyToFiles(const fs::path& from, const fs::path& to) {
    if (finishEarlierCopy(to))
        throw FileError("前回中断したコピーを " + pathText(to) +
                        " に完了しました。既存のデータは上書きしません。");
    refuseExistingFiles(to);
    const fs::path staging = stagingOf(to, "-part"), complete = stagingOf(to, "");
    std::error_code ignored;
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
        fs::rename(staging, complete);
    } catch (...) {
        fs::remove_all(staging, ignored);
        throw;
    }
    moveStagedTables(complete, to);
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
