#pragma once
// A thin RAII layer over the SQLite C API. Every failure becomes a DatabaseError:
// a Japanese sentence naming the table file, with the engine's own message.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace mivora {

class Statement;

class Database {
  public:
    // Opens an existing file, or creates one when create is set. Registers the
    // CP932 collation that orders texts by their Shift-JIS bytes, for the
    // program's own queries (the files never depend on it). A file that may not
    // be written is opened only to read.
    Database(const std::filesystem::path& file, bool create);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const std::string& sql);
    Statement prepare(const std::string& sql);
    std::int64_t lastInsertRowid() const;
    [[noreturn]] void fail() const;
    bool readOnly() const { return readOnly_; }
    bool inTransaction() const;
    // Copies the whole database into target, page by page (SQLite's online
    // backup): a consistent state even while other connections write.
    void copyTo(Database& target);

  private:
    bool readOnly_;
    sqlite3* db_ = nullptr;
};

class Statement {
  public:
    explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~Statement();
    Statement(Statement&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;

    void reset();
    void bindText(int index, std::string_view utf8);
    // Without a copy: the text must stay unchanged until the next step or reset.
    void bindTextInPlace(int index, std::string_view utf8);
    void bindInt(int index, std::int64_t value);
    void bindNull(int index);
    // Steps once; true while a row is there.
    bool step();

    bool isNull(int column) const;
    std::int64_t columnInt(int column) const;
    std::string_view columnText(int column) const;
    int columnCount() const;

  private:
    sqlite3_stmt* stmt_;
};

// Begins a write transaction unless one is open already; rolls back what it
// began unless commit() was reached.
class WriteTransaction {
  public:
    explicit WriteTransaction(Database& db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit();

  private:
    Database& db_;
    bool began_;
};

// Quotes a name for SQL ("name" with inner quotes doubled).
std::string quoteName(std::string_view name);

} // namespace mivora
