#pragma once
// What the record store needs of a database engine: statements with ? parameters,
// transactions, and the facts of the one table a connection serves (its columns,
// its named indexes, a counter of the commits of other connections). Two engines
// stand behind it: a SQLite file per table for one PC, and the tables of one
// PostgreSQL database for an office whose PCs share their records. Every failure
// is a DatabaseError: a Japanese sentence naming the table, with the engine's own
// message.

#include "store/schema.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

class Statement {
  public:
    class Engine {
      public:
        virtual ~Engine() = default;
        virtual void reset() = 0;
        virtual void bindText(int index, std::string_view utf8) = 0;
        virtual void bindTextInPlace(int index, std::string_view utf8) = 0;
        virtual void bindInt(int index, std::int64_t value) = 0;
        virtual void bindNull(int index) = 0;
        virtual bool step() = 0;
        virtual bool isNull(int column) const = 0;
        virtual std::int64_t columnInt(int column) const = 0;
        virtual std::string_view columnText(int column) const = 0;
        virtual int columnCount() const = 0;
    };

    explicit Statement(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}

    // Clears the bindings too.
    void reset() { engine_->reset(); }
    void bindText(int index, std::string_view utf8) { engine_->bindText(index, utf8); }
    // Without a copy: the text must stay unchanged until the next step or reset.
    void bindTextInPlace(int index, std::string_view utf8) {
        engine_->bindTextInPlace(index, utf8);
    }
    void bindInt(int index, std::int64_t value) { engine_->bindInt(index, value); }
    void bindNull(int index) { engine_->bindNull(index); }
    // Steps once; true while a row is there.
    bool step() { return engine_->step(); }

    bool isNull(int column) const { return engine_->isNull(column); }
    // Flags read 1 or 0.
    std::int64_t columnInt(int column) const { return engine_->columnInt(column); }
    std::string_view columnText(int column) const { return engine_->columnText(column); }
    int columnCount() const { return engine_->columnCount(); }

  private:
    std::unique_ptr<Engine> engine_;
};

struct ColumnInfo {
    std::string name;     // UTF-8
    std::string declared; // the declared type, e.g. "INTEGER"
};

class Database {
  public:
    virtual ~Database() = default;
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    virtual void exec(const std::string& sql) = 0;
    virtual Statement prepare(const std::string& sql) = 0;
    // An INSERT for loading many rows: the engine may send rows in batches. They
    // are all written before any other statement runs or the transaction ends,
    // and a failure among them fails that later call.
    virtual Statement prepareBulkInsert(const std::string& sql) { return prepare(sql); }
    virtual std::int64_t lastInsertRowid() = 0;
    virtual bool readOnly() const = 0;
    virtual bool inTransaction() const = 0;
    // A write transaction: one writer of the table at a time, until it ends.
    virtual void beginWrite() = 0;
    // A read transaction on one snapshot.
    virtual void beginRead() = 0;
    // Runs read (which reads the table), then begins a write transaction in which
    // the table still holds what read saw. A file's writers are locked out only
    // from the transaction on: read runs again while others committed meanwhile.
    virtual void beginWriteAfter(const std::function<void()>& read);
    // Ends the transaction after a failure, which is the error to report: the
    // engine may have ended the transaction itself (a full disk), and the error
    // of rolling back then would hide why.
    void rollBackAfterFailure() noexcept;

    // The table this connection serves, quoted for SQL, and what it holds.
    virtual std::string tableName() const = 0;
    virtual std::vector<ColumnInfo> columns() = 0;
    // The fields of the named index of the table; nothing when there is none.
    virtual std::optional<std::vector<std::string>> indexColumns(const std::string& name) = 0;
    // Changes whenever another connection commits a change of the table. SQLite
    // leaves it as it is for a connection's own commits, a server counts them too:
    // a writer reads it inside its write transaction, before its change (did
    // others commit?) and after it (what to remember).
    virtual std::int64_t dataVersion() = 0;
    // An SQL expression of the text expression that orders and compares as its
    // Shift-JIS bytes.
    virtual std::string inShiftJisOrder(const std::string& expression) = 0;
    // Inside a write transaction, before most records are written anew: drops the
    // indexes that are faster built once afterwards, and returns the statements
    // that build them again.
    virtual std::vector<std::string> setIndexesAside() { return {}; }
    // True when other PCs work on the same records (a server).
    virtual bool shared() const = 0;
    // An SQL expression of a record's version, which changes with every change of
    // the record; empty when the engine keeps none.
    virtual std::string rowVersion() const { return {}; }

    // Inside a write transaction, before every record is written anew: a new,
    // empty table of the same columns (its name for SQL) for the new records,
    // which putReplacementInPlace then puts in place of the table, the table
    // with all its records staying under the name keepAs. Empty when the
    // engine writes the records anew in place (a table file).
    virtual std::string stageReplacement() { return {}; }
    virtual void putReplacementInPlace(const std::string& /*keepAs*/) {}

    // Writes every record of a table file into a new SQLite table file, a
    // consistent state even while others write; puts every record of such a
    // file back in place of the table's, in one transaction. A server keeps
    // its copies itself (a DatabaseError).
    virtual void saveCopy(const std::filesystem::path& file);
    virtual void loadCopy(const std::filesystem::path& file);
};

// Opens the table of a data folder that the file names: the SQLite file itself,
// or, when the folder holds CARDATA.conn, the table of that name on the server.
std::unique_ptr<Database> openTable(const std::filesystem::path& file);

// Begins a write transaction unless one is open already; rolls back what it
// began unless commit() was reached.
class WriteTransaction {
  public:
    explicit WriteTransaction(Database& db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit();
    // Leaves the transaction open for the caller to end.
    void release() { began_ = false; }

  private:
    Database& db_;
    bool began_;
};

// Quotes a name for SQL ("name" with inner quotes doubled).
std::string quoteName(std::string_view name);

// The declared type of a field in a table, and the field type a declared type
// stands for (SQLite's and PostgreSQL's spellings alike).
const char* declaredType(FieldType type);
FieldType fieldTypeOf(std::string declared);

// The columns of a table of the data folder.
std::vector<ColumnInfo> columnsOf(const TableDef& table);

// CREATE TABLE of a table with these columns (texts are never NULL); on a server
// with the column rowid that numbers its records.
std::string createTableSql(const std::string& quotedTable, const std::vector<ColumnInfo>& columns,
                           bool withRowidColumn);
std::string createIndexSql(const std::string& quotedIndex, const std::string& quotedTable,
                           const IndexDef& index);

// Inserts every record of from's table into the table of to that has the same
// columns, in the order of entry; the caller holds the transactions. Returns the
// number of records.
long long copyRecords(Database& from, Database& to, const std::string& quotedTargetTable);

} // namespace mivora
