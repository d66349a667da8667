#pragma once
// A cursor over one table of the data folder (its SQLite file, or the table of
// that name on the server of the folder's CARDATA.conn), with the operations the
// windows and the core use: positioning by record number in the current order and
// filter, edit / insert / post / cancel / delete, fields read and written by name.
// Field names and values are CP932 texts; the file holds UTF-8.
//
// The order is kept as the list of row ids of the visible records, sorted by the
// program itself (the files need no collation), so moving, counting and numbering
// cost nothing, and a post places the record again by a binary search instead of
// reading the table anew. Commits of other connections are noticed at the next
// move, and the list is read anew. A post or delete changes only the record that
// was read: when another connection changed or replaced it meanwhile, the
// operation is refused with a DatabaseError and the record is read anew.

#include "store/filter.h"
#include "store/schema.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mivora {

class Database;
class PlaceSorter;
class Statement;

enum class TableState { Inactive, Browse, Edit, Insert };

struct FieldInfo {
    std::string name;   // CP932
    std::string column; // UTF-8, as in the file
    FieldType type;
};

class Table {
  public:
    explicit Table(std::filesystem::path file);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Opens the file; a missing file or table is a DatabaseError. Opening an open
    // table does nothing.
    void open();
    void close();
    // Before open: the table is for writing alone (a command that replaces every
    // record), and its view is never read: it stays empty until the table is
    // closed, and reading the records before and after the writing costs nothing.
    void leaveViewUnread() { viewUnread_ = true; }
    bool active() const { return state_ != TableState::Inactive; }
    TableState state() const { return state_; }
    const std::filesystem::path& file() const { return file_; }

    // Order: a list of fields (CP932) sorted by their Shift-JIS bytes, or a named
    // index of the file ("" is the primary index; without one, the order of entry).
    void setIndexFieldNames(std::vector<std::string> fields);
    void setIndexName(const std::string& name); // DatabaseError for an unknown name
    const std::string& indexName() const { return indexName_; }

    // The filter text applies while filtered is on; a text that does not parse is
    // refused with a DatabaseError and the table stays unfiltered.
    void setFilter(const std::string& text);
    void setFiltered(bool on);
    const std::string& filter() const { return filterText_; }
    bool filtered() const { return filtered_; }

    // Moving posts a pending edit first.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    int recordCount() const { return static_cast<int>(rowids_.size()); }
    int recNo() const;         // 1-based; 0 when empty or inserting
    void setRecNo(int number); // clamped to 1 .. recordCount

    void edit();
    // A line (UTF-8) that names the fields the pending edit changed, with what
    // was typed (印刷名「…」): what a window tells the person it did not store
    // when the post was refused. Empty while nothing is changed.
    std::string pendingEditNote() const;
    void insert(); // a new record, placed by the order when posted
    void append() { insert(); }
    void post();
    void cancel();
    void remove(); // deletes the current record
    // Deletes every record of the current view (order and filter) at once.
    void removeAll();

    const std::vector<FieldInfo>& fields() const { return fields_; }
    bool hasField(std::string_view name) const;
    int fieldIndex(std::string_view name) const; // DatabaseError when missing

    // Reading: integer fields read 0 when empty; flags read "True" / "False".
    std::string text(std::string_view field) const;
    int integer(std::string_view field) const;
    bool flag(std::string_view field) const { return text(field) == "True"; }
    const std::string& textAt(int fieldIndex) const;

    // Writing enters the edit state when browsing. A text that is no integer, put
    // into an integer field, is refused with a ConversionError; the state stays.
    void setText(std::string_view field, const std::string& value);
    void setTextAt(int fieldIndex, const std::string& value);
    void setInteger(std::string_view field, int value);
    void setFlag(std::string_view field, bool value);

    // Adds a record with the given field values (in field order; missing ones
    // empty) without placing it in the view: for loading many records at once,
    // followed by refresh().
    void insertRecord(const std::vector<std::string>& values);
    // Reads the view anew, keeping the current record when it is still there.
    void refresh();
    // Reads the view anew when another connection (another program, another PC)
    // committed a change since it was read; true when it did.
    bool catchUp();

    // Visits every record of the view in order, without moving the cursor: for
    // reading a whole table at once. The values are in field order, as one snapshot
    // of the table taken when the visits begin; the visitor may take them. The
    // visitor must not change this table.
    void forEach(const std::function<void(std::vector<std::string>&)>& visit);

    // A field of any visible record without moving the cursor (for grids).
    std::string peek(int recordNumber, int fieldIndex) const;

    // Records by their identity, for a list of the view: a record keeps its row id
    // while the places in the view change under it (a post that moves it, what
    // another PC committed). The view's row ids as last read, without catching up.
    using Row = std::vector<std::string>;
    const std::vector<std::int64_t>& viewRowids() const { return rowids_; }
    std::int64_t currentRowid() const; // 0 when there is none or a record is being inserted
    // The fields of a record by its row id (the pending edit for the current one);
    // empty texts when it is gone.
    const Row& recordOf(std::int64_t rowid) const;
    // Makes the record current after catching up with what others committed; false
    // when it is gone.
    bool moveTo(std::int64_t rowid);
    // The same for acting on the record as it was shown: when it is gone or no
    // longer holds those values, a DatabaseError says so (a changed record is then
    // current with its new values).
    void holdAsShown(std::int64_t rowid, const Row& shown);
    // Changes whenever the view or a record in it changed through this cursor or
    // was read anew: a list laid out from an older value shows stale places.
    std::uint64_t viewVersion() const { return viewVersion_; }

    // Writes a copy of every record into a SQLite file (a consistent state even
    // while others write), a plain file without journal.
    void copyFileTo(const std::filesystem::path& target);
    // Replaces every record of the table by those of a copy that copyFileTo made,
    // in one step, and opens the table anew.
    void replaceFileFrom(const std::filesystem::path& source);

    // Runs work in one transaction: on an exception everything is rolled back, the
    // view is read again and the exception goes on. Inside another transaction of
    // this table, work is part of that one.
    void transaction(const std::function<void()>& work);
    // Runs first, then work in one transaction in which the table still holds what
    // first read, whatever other PCs and programs commit meanwhile.
    void transactionAfter(const std::function<void()>& first, const std::function<void()>& work);
    // The same for work that writes most of the records anew (a restore): the
    // file's indexes are set aside and built again from their own statements at
    // the end, inside the transaction, which is faster than keeping them in order
    // record by record. The file's schema comes out as it was.
    void loadTransaction(const std::function<void()>& work);
    // Inside a write transaction, when the view is the whole table: runs load,
    // whose records (insertRecord) go into a new table that then takes the
    // table's place, the table with all its old records staying under the name
    // keepAs; no record is deleted or copied. False, with nothing done, when the
    // view is filtered or the engine writes records anew in place (a table file).
    // The view is then empty, as after removeAll.
    bool replaceWholeTable(const std::string& keepAs, const std::function<void()>& load);
    // The connection of the open table, for what is kept beside the table on the
    // same server and in the same transaction (the safety copies).
    Database& database();
    // Runs work on one snapshot of the file: what other connections commit meanwhile
    // stays unseen until it ends. For reading the table more than once as a whole.
    void readTransaction(const std::function<void()>& work);

    std::function<void(Table&)> beforePost;
    std::function<void(Table&)> afterScroll;

  private:
    void requireActive() const;
    void reload(std::optional<std::int64_t> keep = std::nullopt);
    std::vector<std::int64_t> rowidsInOrder() const;
    // Appends the sort key of a row whose order fields are the statement's
    // columns from first on.
    void appendKey(const Statement& select, int first, std::string& key) const;
    void noticeOtherCommits() { catchUp(); }
    bool othersCommitted();
    bool catchUpChanges();
    std::unordered_map<std::int64_t, std::int64_t> readVersions() const;
    void loadCurrent();
    Statement selectView(const std::string& columns, bool inRowidOrder) const;
    // A field as the engine gives it (UTF-8 for a text field); number holds the
    // text of a number.
    std::string_view storedText(const Statement& statement, std::size_t field,
                                std::string& number) const;
    void readRow(const Statement& statement, Row& row) const;
    std::vector<std::pair<std::int64_t, std::size_t>> placesByRowid() const;
    void readInFileOrder(PlaceSorter& sorter) const;
    // Runs work in a read transaction, or in the transaction already open.
    void onOneSnapshot(const std::function<void()>& work) const;
    bool readFresh(std::int64_t rowid, Row& row) const;
    bool stillHolds(std::int64_t rowid, const Row& read) const;
    [[noreturn]] void refuseChangedRecord();
    [[noreturn]] void refuseOtherChange(bool deleted) const;
    void scrolled();
    void checkBrowseMode();
    const Row& rowOf(std::int64_t rowid) const; // an empty row when it is gone
    const Row* findRow(std::int64_t rowid) const;
    const Row& emptyRow() const;
    bool orderedByFields() const { return !orderColumns_.empty(); }
    std::string keyOf(const Row& row) const;
    std::size_t placeOf(const Row& row, std::int64_t rowid) const;
    bool matchesFilter(std::int64_t rowid) const;
    std::string storedValue(int fieldIndex, const std::string& value) const;
    void writeRow(std::int64_t& rowid, bool inserting);
    // Binds the values of a row; the statement must run before the next bindRow.
    void bindRow(Statement& statement, const Row& row);
    std::string insertSql(const std::string& table) const;
    void forgetView();
    void useOrder(std::vector<int> columns);
    // Runs work in the write transaction just begun, and ends it.
    void finishTransaction(const std::function<void()>& work);

    std::filesystem::path file_;
    std::unique_ptr<Database> db_;
    std::string table_; // its name in SQL
    std::vector<FieldInfo> fields_;
    std::unordered_map<std::string, int> fieldByName_;
    TableState state_ = TableState::Inactive;

    std::vector<std::string> indexFieldNames_;
    std::string indexName_;
    std::vector<int> orderColumns_;
    std::string filterText_;
    bool filtered_ = false;
    bool viewUnread_ = false;
    std::string filterWhere_;
    std::vector<FilterParameter> filterParameters_;

    std::vector<std::int64_t> rowids_;
    // The version of each record of the view as it was read, for catching up with
    // only what others changed; empty on an engine that keeps no versions.
    std::unordered_map<std::int64_t, std::int64_t> versions_;
    std::size_t pos_ = 0;
    bool eof_ = true;
    bool bof_ = true;
    Row current_;
    Row saved_; // the record as it was before edit, for cancel
    mutable std::unordered_map<std::int64_t, Row> cache_;
    mutable Row emptyRow_;
    mutable std::unique_ptr<Statement> readRow_;
    std::int64_t seenDataVersion_ = 0;
    std::uint64_t viewVersion_ = 0;
    std::unique_ptr<Statement> insertRow_;
    std::string loadTarget_; // where insertRecord writes while a replacement is staged
    Row insertBuffer_;
    std::vector<std::string> utf8Buffers_; // the bound texts of the last bindRow
};

// The message line of a refused post that names the fields (UTF-8) with the
// values (CP932) that were typed and not stored; empty for none.
std::string unstoredInputNote(const std::vector<std::pair<std::string, std::string>>& typed);

} // namespace mivora
