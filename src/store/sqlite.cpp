#include "store/sqlite.h"

#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

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
    return access(file.c_str(), W_OK) == 0 && access(folder.c_str(), W_OK) == 0;
}

// Opened as immutable, SQLite reads the file as it stands: no lock, no -wal or
// -shm file beside it, which a read-only folder could not hold.
std::string immutableUri(const fs::path& file) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : fs::absolute(file).string()) {
        if (std::isalnum(c) || std::strchr("/-_.~", c)) {
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
    if (fs::exists(shm, error) && access(shm.c_str(), W_OK) != 0)
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
    return failureOn(file ? file : "", sqlite3_extended_errcode(db), sqlite3_errmsg(db));
}

} // namespace

Database::Database(const std::filesystem::path& file, bool create)
    : readOnly_(!create && !mayWrite(file)) {
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    std::string name = file.string();
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

Database::~Database() {
    sqlite3_close_v2(db_);
}

void Database::fail() const {
    throw failureOf(db_);
}

void Database::exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail();
}

Statement Database::prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK)
        fail();
    return Statement(stmt);
}

std::int64_t Database::lastInsertRowid() const {
    return sqlite3_last_insert_rowid(db_);
}

bool Database::inTransaction() const {
    return sqlite3_get_autocommit(db_) == 0;
}

void Database::copyTo(Database& target) {
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

WriteTransaction::WriteTransaction(Database& db) : db_(db), began_(!db.inTransaction()) {
    if (began_)
        db_.exec("BEGIN IMMEDIATE");
}

WriteTransaction::~WriteTransaction() {
    if (!began_)
        return;
    try {
        db_.exec("ROLLBACK");
    } catch (const DatabaseError&) {
        // A failed statement may have ended the transaction already.
    }
}

void WriteTransaction::commit() {
    if (began_)
        db_.exec("COMMIT");
    began_ = false;
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::operator=(Statement&& other) noexcept {
    std::swap(stmt_, other.stmt_);
    return *this;
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::bindText(int index, std::string_view utf8) {
    sqlite3_bind_text(stmt_, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void Statement::bindTextInPlace(int index, std::string_view utf8) {
    sqlite3_bind_text(stmt_, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_STATIC);
}

void Statement::bindInt(int index, std::int64_t value) {
    sqlite3_bind_int64(stmt_, index, value);
}

void Statement::bindNull(int index) {
    sqlite3_bind_null(stmt_, index);
}

bool Statement::step() {
    int result = sqlite3_step(stmt_);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    DatabaseError failure = failureOf(sqlite3_db_handle(stmt_));
    sqlite3_reset(stmt_);
    throw failure;
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t Statement::columnInt(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string_view Statement::columnText(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    return text ? std::string_view(reinterpret_cast<const char*>(text),
                                   sqlite3_column_bytes(stmt_, column))
                : std::string_view();
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
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

} // namespace mivora
