#include "store/sqlite.h"

#include "platform/files.h"
#include "store/tableformat.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>

namespace mivora {

namespace {

// Orders two UTF-8 texts as their CP932 bytes compare, the order users of
// Shift-JIS data know (half-width katakana after the kanji of level 1).
int compareCp932(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return compareAsCp932(
        std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
        std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

namespace fs = std::filesystem;

// A table on storage we may not write (a read-only folder, a write-protected
// file) can still be read. Writing also needs the folder, for the journal files
// SQLite puts beside the table.
bool mayWrite(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    return writable(file) && writable(folder);
}

// Opened as immutable, SQLite reads the file as it stands: no lock, no -wal or
// -shm file beside it, which a read-only folder could not hold.
std::string immutableUri(const fs::path& file) {
    static const char hex[] = "0123456789ABCDEF";
    std::string path = pathText(fs::absolute(file).generic_u8string());
    // A Windows path starts with its drive, which a file URI puts after a slash.
    std::string uri = path.starts_with('/') ? "file:" : "file:/";
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-_.~:", c)) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri + "?immutable=1";
}

// SQLite's shared-memory index can be rebuilt from the table and its -wal file.
// One left behind that we may not write (copied from read-only media, made by
// another user) would fail every later open of a writable table.
void dropUnwritableSharedMemory(const fs::path& file) {
    fs::path shm = file;
    shm += "-shm";
    std::error_code error;
    if (fs::exists(shm, error) && !writable(shm))
        fs::remove(shm, error);
}

// What a clerk reads when the engine fails on a table: a Japanese sentence
// naming the file, then the engine's own text.
DatabaseError failureOn(const std::string& fileText, int code, const std::string& engineText) {
    const std::string table = "テーブル " + fileText;
    std::string sentence;
    switch (code & 0xFF) {
    case SQLITE_CANTOPEN:
        sentence = table + " を開けません。ファイルがないか、開く権限がありません";
        break;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        sentence = table + " に書き込む権限がありません";
        break;
    case SQLITE_FULL:
        sentence = "ディスクがいっぱいのため、" + table + " に書き込めません";
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        sentence = table + " のファイルが壊れています";
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        sentence = table + " は他のプログラムが使用中です";
        break;
    case SQLITE_IOERR:
        sentence = table + " の読み書きに失敗しました";
        break;
    default:
        sentence = table + " の操作に失敗しました";
    }
    return DatabaseError(sentence + " (" + engineText + ")。");
}

DatabaseError failureOf(sqlite3* db) {
    const char* file = sqlite3_db_filename(db, "main");
    int code = sqlite3_extended_errcode(db);
    // A journal or page that found no room is told as an input/output error.
    if ((code & 0xFF) == SQLITE_IOERR && sqlite3_system_errno(db) == ENOSPC)
        code = SQLITE_FULL;
    return failureOn(file ? file : "", code, sqlite3_errmsg(db));
}

class SqliteStatement : public Statement::Engine {
  public:
    explicit SqliteStatement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~SqliteStatement() override { sqlite3_finalize(stmt_); }

    void reset() override {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    void bindText(int index, std::string_view utf8) override {
        sqlite3_bind_text(stmt_, index, utf8.data(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    }
    void bindTextInPlace(int index, std::string_view utf8) override {
        sqlite3_bind_text(stmt_, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_STATIC);
    }
    void bindInt(int index, std::int64_t value) override {
        sqlite3_bind_int64(stmt_, index, value);
    }
    void bindNull(int index) override { sqlite3_bind_null(stmt_, index); }
    bool step() override {
        int result = sqlite3_step(stmt_);
        if (result == SQLITE_ROW)
            return true;
        if (result == SQLITE_DONE)
            return false;
        DatabaseError failure = failureOf(sqlite3_db_handle(stmt_));
        sqlite3_reset(stmt_);
        throw failure;
    }
    bool isNull(int column) const override {
        return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
    }
    std::int64_t columnInt(int column) const override {
        return sqlite3_column_int64(stmt_, column);
    }
    std::string_view columnText(int column) const override {
        // One look-up of the column for both (a whole-table read makes millions);
        // the value is used at once, by the one thread that uses the connection.
        sqlite3_value* value = sqlite3_column_value(stmt_, column);
        const unsigned char* text = sqlite3_value_text(value);
        return text ? std::string_view(reinterpret_cast<const char*>(text),
                                       sqlite3_value_bytes(value))
                    : std::string_view();
    }
    int columnCount() const override { return sqlite3_column_count(stmt_); }

  private:
    sqlite3_stmt* stmt_;
};

} // namespace

SqliteDatabase::SqliteDatabase(const std::filesystem::path& file, bool create)
    : readOnly_(!create && !mayWrite(file)) {
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    std::string name = pathText(file);
    if (readOnly_) {
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        name = immutableUri(file);
    } else {
        dropUnwritableSharedMemory(file);
    }
    if (const int code = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr); code != SQLITE_OK) {
        DatabaseError failure = failureOn(pathText(file), code, sqlite3_errstr(code));
        sqlite3_close(db_);
        db_ = nullptr;
        throw failure;
    }
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_create_collation_v2(db_, "CP932", SQLITE_UTF8, nullptr, compareCp932, nullptr);
}

SqliteDatabase::~SqliteDatabase() {
    dataVersion_.reset();
    sqlite3_close_v2(db_);
}

std::unique_ptr<Database> SqliteDatabase::openTable(const std::filesystem::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        throw DatabaseError("テーブル " + pathText(file) + " が見つかりません。");
    auto db = std::make_unique<SqliteDatabase>(file, false);
    // A file on read-only storage is read as it is: converting it or switching its
    // journal would need to write.
    if (!db->readOnly()) {
        bringToCurrentFormat(*db, file);
        db->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
        // A larger page cache keeps the indexes in memory while a restore loads
        // thousands of records in one transaction. A table still without indexes
        // (an import fills it before they are made) only appends, which the
        // default cache serves as fast, without filling 16 MB.
        if (db->prepare("SELECT 1 FROM sqlite_master WHERE type = 'index'").step())
            db->exec("PRAGMA cache_size=-16384");
    }
    return db;
}

void SqliteDatabase::fail() const {
    throw failureOf(db_);
}

void SqliteDatabase::exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail();
}

Statement SqliteDatabase::prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK)
        fail();
    return Statement(std::make_unique<SqliteStatement>(stmt));
}

std::int64_t SqliteDatabase::lastInsertRowid() {
    return sqlite3_last_insert_rowid(db_);
}

bool SqliteDatabase::inTransaction() const {
    return sqlite3_get_autocommit(db_) == 0;
}

std::vector<ColumnInfo> SqliteDatabase::columns() {
    Statement info = prepare("PRAGMA table_info(records)");
    std::vector<ColumnInfo> columns;
    while (info.step())
        columns.push_back({std::string(info.columnText(1)), std::string(info.columnText(2))});
    return columns;
}

std::optional<std::vector<std::string>> SqliteDatabase::indexColumns(const std::string& name) {
    Statement find = prepare(
        "SELECT 1 FROM sqlite_master WHERE type = 'index' AND tbl_name = 'records' AND name = ?");
    find.bindText(1, name);
    if (!find.step())
        return std::nullopt;
    Statement info = prepare("PRAGMA index_info(" + quoteName(name) + ")");
    std::vector<std::string> columns;
    while (info.step())
        columns.emplace_back(info.columnText(2));
    return columns;
}

std::int64_t SqliteDatabase::dataVersion() {
    if (!dataVersion_)
        dataVersion_ = std::make_unique<Statement>(prepare("PRAGMA data_version"));
    dataVersion_->reset();
    std::int64_t version = dataVersion_->step() ? dataVersion_->columnInt(0) : 0;
    dataVersion_->reset();
    return version;
}

// Every index that the file's own schema declares (not those SQLite makes for
// constraints); a rollback brings them back with everything else.
std::vector<std::string> SqliteDatabase::setIndexesAside() {
    Statement list = prepare("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND "
                             "tbl_name = 'records' AND sql IS NOT NULL");
    std::vector<std::pair<std::string, std::string>> indexes;
    while (list.step())
        indexes.emplace_back(list.columnText(0), list.columnText(1));
    std::vector<std::string> rebuild;
    for (const auto& [name, sql] : indexes) {
        exec("DROP INDEX " + quoteName(name));
        rebuild.push_back(sql);
    }
    return rebuild;
}

void SqliteDatabase::saveCopy(const std::filesystem::path& file) {
    SqliteDatabase copy(file, true);
    copyTo(copy);
    copy.exec("PRAGMA journal_mode=DELETE");
}

void SqliteDatabase::loadCopy(const std::filesystem::path& file) {
    SqliteDatabase copy(file, false);
    copy.copyTo(*this);
}

void SqliteDatabase::copyTo(SqliteDatabase& target) {
    sqlite3_backup* copy = sqlite3_backup_init(target.db_, "main", db_, "main");
    if (!copy)
        target.fail();
    const int result = sqlite3_backup_step(copy, -1);
    sqlite3_backup_finish(copy);
    if (result != SQLITE_DONE) {
        const char* file = sqlite3_db_filename(target.db_, "main");
        throw failureOn(file ? file : "", result, sqlite3_errstr(result));
    }
}

} // namespace mivora
