#include "store/sqlite.h"

#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"

#include <algorithm>
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

} // namespace

Database::Database(const std::filesystem::path& file, bool create) {
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError("テーブル " + pathText(file) + " を開けません: " + message);
    }
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_create_collation_v2(db_, "CP932", SQLITE_UTF8, nullptr, compareCp932, nullptr);
}

Database::~Database() {
    sqlite3_close_v2(db_);
}

void Database::fail(const std::string& what) const {
    throw DatabaseError(what + ": " + sqlite3_errmsg(db_));
}

void Database::exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "";
        sqlite3_free(error);
        throw DatabaseError("データベースの操作に失敗しました: " + message);
    }
}

Statement Database::prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK)
        fail("データベースの操作に失敗しました");
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
        target.fail("データベースをコピーできません");
    int result = sqlite3_backup_step(copy, -1);
    sqlite3_backup_finish(copy);
    if (result != SQLITE_DONE)
        throw DatabaseError(std::string("データベースをコピーできません: ") +
                            sqlite3_errstr(result));
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
    std::string message = sqlite3_errmsg(sqlite3_db_handle(stmt_));
    sqlite3_reset(stmt_);
    throw DatabaseError("データベースの操作に失敗しました: " + message);
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
