#pragma once
// A table file of SQLite: the engine of a data folder on one PC. The file holds
// the one table "records".

#include "store/database.h"

struct sqlite3;

namespace mivora {

class SqliteDatabase : public Database {
  public:
    // Opens an existing file, or creates one when create is set. Registers the
    // CP932 collation that orders texts by their Shift-JIS bytes, for the
    // program's own queries (the files never depend on it). A file that may not
    // be written is opened only to read.
    SqliteDatabase(const std::filesystem::path& file, bool create);
    ~SqliteDatabase() override;

    // Opens a data folder's table file for the record store: a missing file is a
    // DatabaseError; an older format is converted; a writable file is switched to
    // write-ahead logging.
    static std::unique_ptr<Database> openTable(const std::filesystem::path& file);

    void exec(const std::string& sql) override;
    Statement prepare(const std::string& sql) override;
    std::int64_t lastInsertRowid() override;
    bool readOnly() const override { return readOnly_; }
    bool inTransaction() const override;
    void beginWrite() override { exec("BEGIN IMMEDIATE"); }
    void beginRead() override { exec("BEGIN"); }

    std::string tableName() const override { return "records"; }
    std::vector<ColumnInfo> columns() override;
    std::optional<std::vector<std::string>> indexColumns(const std::string& name) override;
    std::int64_t dataVersion() override;
    std::string inShiftJisOrder(const std::string& expression) override {
        return expression + " COLLATE CP932";
    }
    bool shared() const override { return false; }
    std::vector<std::string> setIndexesAside() override;

    void saveCopy(const std::filesystem::path& file) override;
    void loadCopy(const std::filesystem::path& file) override;

    [[noreturn]] void fail() const;
    // Copies the whole database into target, page by page (SQLite's online
    // backup): a consistent state even while other connections write.
    void copyTo(SqliteDatabase& target);

  private:
    bool readOnly_;
    sqlite3* db_ = nullptr;
    std::unique_ptr<Statement> dataVersion_;
};

} // namespace mivora
