#pragma once
// A table on a PostgreSQL server: the engine of an office whose PCs share one set
// of records. The six tables of a data folder live in one schema of one database,
// under the names of their files ("INDATA", "PrtData", ...), each with a hidden
// column rowid that numbers its records. A statement trigger counts the changes
// of each table in mivora_versions, so that every PC notices the commits of the
// others at its next move. A restore keeps the indexes in place: dropping them
// would stop the other PCs from reading until it ends. A restore of the whole
// table fills a new one instead, and the other PCs wait only for the renaming.

#include "store/database.h"
#include "store/datafolder.h"

struct pg_conn;

namespace mivora {

class PostgresDatabase : public Database {
  public:
    // Connects with a libpq connection string (passwords come from the string or
    // the user's ~/.pgpass). table is the table this connection serves, "" for
    // one that only runs statements.
    PostgresDatabase(const std::string& connection, std::string table);
    ~PostgresDatabase() override;

    // A connection serving a table that must be there: a DatabaseError otherwise.
    static std::unique_ptr<Database> openTable(const std::string& connection,
                                               const std::string& table);

    void exec(const std::string& sql) override;
    Statement prepare(const std::string& sql) override;
    Statement prepareBulkInsert(const std::string& sql) override;
    std::int64_t lastInsertRowid() override;
    bool readOnly() const override { return false; }
    bool inTransaction() const override;
    void beginWrite() override;
    // Under the lock of the write transaction: writers of other PCs wait.
    void beginWriteAfter(const std::function<void()>& read) override;
    void beginRead() override;

    std::string tableName() const override { return quoteName(table_); }
    std::vector<ColumnInfo> columns() override { return tableColumns(table_); }
    std::optional<std::vector<std::string>> indexColumns(const std::string& name) override;
    std::int64_t dataVersion() override;
    std::string inShiftJisOrder(const std::string& expression) override;
    // The transaction that wrote the record's present version.
    std::string rowVersion() const override { return "xmin"; }
    bool shared() const override { return true; }

    void loadCopy(const std::filesystem::path& file) override;
    std::string stageReplacement() override;
    void putReplacementInPlace(const std::string& keepAs) override;

    // The safety copies of the table are tables beside it (see safetycopy.h).
    std::vector<std::string> tablesStartingWith(const std::string& prefix);
    std::vector<ColumnInfo> tableColumns(const std::string& table);
    long long recordsOf(const std::string& table);
    // A new table with every record of the table, in one statement.
    void copyTableTo(const std::string& copy);
    void dropTable(const std::string& table);
    // Replaces every record of the table by those of a copy, in one transaction.
    void replaceRecordsFrom(const std::string& copy);

    // Creates the six tables, their indexes and change counters, in one
    // transaction; refuses (FileError) when any of them is there already.
    void createTables(Indexes indexes);
    void createIndexes();

    // The statements and batches of rows below run through these.
    struct Rows;
    std::shared_ptr<Rows> run(const std::string& sql,
                              const std::vector<std::optional<std::string>>& values);
    // Rows for a bulk insert go out through one COPY, in pieces, until another
    // statement runs: the values of a row are appended to copyRows, in COPY's
    // text format, and rowQueued ends the row.
    std::string& copyRows(const std::string& copySql);
    void rowQueued();

  private:
    void connect();
    void putQueuedRows();
    // Ends the COPY that is open, or abandons its rows with the reason given.
    void endCopy(const char* abandoned);
    void ensureConnected();
    [[noreturn]] void fail(const std::string& state, const std::string& message) const;
    std::string stagedName() const { return table_ + ".new"; }

    std::string connection_;
    std::string table_;
    pg_conn* conn_ = nullptr;
    std::optional<bool> shiftJisFunction_; // whether the server has mivora_sjis, once asked
    std::string copySql_;                  // the COPY that is open, if any
    std::string queued_; // rows for it not yet handed to libpq, in COPY's text format
    bool copyFailed_ = false;
    bool numbering_ = false; // the open COPY gives each row the next row id
    struct Replaced {
        std::string key, sequence; // of the table, named for SQL
        std::int64_t firstRowid = 0, nextRowid = 0;
    } replaced_; // while a replacement is staged
};

// The server that holds the tables of a data folder, from its CARDATA.conn (the
// first line: a libpq connection string); nothing for a folder of table files.
std::optional<std::string> serverOf(const std::filesystem::path& dataFolder);

// Whether the connection string holds a password; a DatabaseError for a string
// libpq cannot read.
bool holdsPassword(const std::string& connection);

// The name of a table on the server: its file name without extension.
std::string serverTableName(const TableDef& table);

} // namespace mivora
