#include "store/database.h"

#include "platform/paths.h"
#include "store/postgres.h"
#include "store/sqlite.h"
#include "text/errors.h"

#include <algorithm>

namespace mivora {

namespace fs = std::filesystem;

namespace {

// The table's name on a server: that of its definition, whatever the case of
// the file's name in the folder.
std::string serverTableOf(const fs::path& file) {
    const std::string name = pathText(file.filename());
    for (const TableDef* table : allTables())
        if (std::equal(name.begin(), name.end(), table->file.begin(), table->file.end(),
                       [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
            return serverTableName(*table);
    return pathText(file.stem());
}

[[noreturn]] void refuseFileCopy(const Database& db) {
    throw DatabaseError("テーブル " + db.tableName() + " はファイルにコピーできません。");
}

} // namespace

std::unique_ptr<Database> openTable(const fs::path& file) {
    if (std::optional<std::string> server = serverOf(file.parent_path()))
        return PostgresDatabase::openTable(*server, serverTableOf(file));
    return SqliteDatabase::openTable(file);
}

WriteTransaction::WriteTransaction(Database& db) : db_(db), began_(!db.inTransaction()) {
    if (began_)
        db_.beginWrite();
}

WriteTransaction::~WriteTransaction() {
    if (began_)
        db_.rollBackAfterFailure();
}

void Database::rollBackAfterFailure() noexcept {
    try {
        exec("ROLLBACK");
    } catch (const std::exception&) {
        // A failed statement or a lost connection may have ended the transaction already.
    }
}

void Database::beginWriteAfter(const std::function<void()>& read) {
    // Another program that writes without pause could keep this going for ever.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::int64_t seen = dataVersion();
        read();
        beginWrite();
        if (dataVersion() == seen)
            return;
        exec("ROLLBACK");
    }
    throw DatabaseError("テーブル " + tableName() +
                        " には他のプログラムが書き込み続けているため、処理を中止しました。");
}

void Database::saveCopy(const fs::path&) {
    refuseFileCopy(*this);
}

void Database::loadCopy(const fs::path&) {
    refuseFileCopy(*this);
}

void WriteTransaction::commit() {
    if (began_)
        db_.exec("COMMIT");
    began_ = false;
}

std::string quoteName(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

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

FieldType fieldTypeOf(std::string declared) {
    std::transform(declared.begin(), declared.end(), declared.begin(), ::toupper);
    if (declared == "INTEGER")
        return FieldType::Integer;
    if (declared == "BOOLEAN")
        return FieldType::Flag;
    return FieldType::Text;
}

std::vector<ColumnInfo> columnsOf(const TableDef& table) {
    std::vector<ColumnInfo> columns;
    for (const FieldDef& field : table.fields)
        columns.push_back({field.name, declaredType(field.type)});
    return columns;
}

std::string createTableSql(const std::string& quotedTable, const std::vector<ColumnInfo>& columns,
                           bool withRowidColumn) {
    std::string sql = "CREATE TABLE " + quotedTable + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const FieldType type = fieldTypeOf(columns[i].declared);
        sql += (i ? ", " : "") + quoteName(columns[i].name) + " " + declaredType(type);
        if (type == FieldType::Text)
            sql += " NOT NULL DEFAULT ''";
    }
    if (withRowidColumn)
        sql += ", rowid bigserial PRIMARY KEY";
    return sql + ")";
}

std::string createIndexSql(const std::string& quotedIndex, const std::string& quotedTable,
                           const IndexDef& index) {
    std::string columns;
    for (const std::string& field : index.fields)
        columns += (columns.empty() ? "" : ", ") + quoteName(field);
    return "CREATE INDEX " + quotedIndex + " ON " + quotedTable + " (" + columns + ")";
}

long long copyRecords(Database& from, Database& to, const std::string& quotedTargetTable) {
    const std::vector<ColumnInfo> columns = from.columns();
    std::string names, marks;
    std::vector<FieldType> types;
    for (const ColumnInfo& column : columns) {
        names += (names.empty() ? "" : ", ") + quoteName(column.name);
        marks += marks.empty() ? "?" : ", ?";
        types.push_back(fieldTypeOf(column.declared));
    }
    Statement select =
        from.prepare("SELECT " + names + " FROM " + from.tableName() + " ORDER BY rowid");
    Statement insert = to.prepareBulkInsert("INSERT INTO " + quotedTargetTable + " (" + names +
                                            ") VALUES (" + marks + ")");
    long long count = 0;
    while (select.step()) {
        insert.reset();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int column = static_cast<int>(i);
            if (select.isNull(column))
                insert.bindNull(column + 1);
            else if (types[i] == FieldType::Text)
                insert.bindText(column + 1, select.columnText(column));
            else
                insert.bindInt(column + 1, select.columnInt(column));
        }
        insert.step();
        ++count;
    }
    return count;
}

} // namespace mivora
