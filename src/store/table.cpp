#include "store/table.h"

#include "store/database.h"
#include "store/filter.h"
#include "store/placesorter.h"
#include "store/rowbatch.h"
#include "store/sortkey.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <algorithm>

namespace mivora {

namespace {

constexpr std::size_t kCacheLimit = 4096;

void bindFilter(Statement& statement, int first, const std::vector<FilterParameter>& parameters) {
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        int index = first + static_cast<int>(i);
        if (parameters[i].isInteger)
            statement.bindInt(index, parameters[i].integer);
        else
            statement.bindText(index, parameters[i].text);
    }
}

} // namespace

Table::Table(std::filesystem::path file) : file_(std::move(file)) {}

Table::~Table() = default;

void Table::requireActive() const {
    if (!active())
        throw DatabaseError("テーブル " + pathText(file_) + " が開いていません。");
}

void Table::open() {
    if (active())
        return;
    std::unique_ptr<Database> db = openTable(file_);
    std::vector<FieldInfo> fields;
    for (const ColumnInfo& column : db->columns())
        fields.push_back({fromUtf8(column.name), column.name, fieldTypeOf(column.declared)});
    if (fields.empty())
        throw DatabaseError("テーブル " + pathText(file_) + " にデータの表がありません。");

    db_ = std::move(db);
    table_ = db_->tableName();
    fields_ = std::move(fields);
    fieldByName_.clear();
    for (std::size_t i = 0; i < fields_.size(); ++i)
        fieldByName_.emplace(fields_[i].name, static_cast<int>(i));
    readRow_ =
        std::make_unique<Statement>(db_->prepare("SELECT * FROM " + table_ + " WHERE rowid = ?"));
    state_ = TableState::Browse;
    try {
        // Setting the order reads the view, and so does setting a filter that is on:
        // reading it once more would sort every record again.
        if (indexFieldNames_.empty())
            setIndexName(indexName_);
        else
            setIndexFieldNames(indexFieldNames_);
        setFilter(filterText_);
    } catch (...) {
        close();
        throw;
    }
    first();
}

void Table::close() {
    ++viewVersion_;
    readRow_.reset();
    insertRow_.reset();
    db_.reset();
    rowids_.clear();
    cache_.clear();
    current_.clear();
    state_ = TableState::Inactive;
    eof_ = bof_ = true;
    viewUnread_ = false;
}

bool Table::hasField(std::string_view name) const {
    return fieldByName_.find(std::string(name)) != fieldByName_.end();
}

int Table::fieldIndex(std::string_view name) const {
    auto found = fieldByName_.find(std::string(name));
    if (found == fieldByName_.end())
        throw DatabaseError("テーブル " + pathText(file_.filename()) + " に項目「" + toUtf8(name) +
                            "」がありません。");
    return found->second;
}

void Table::useOrder(std::vector<int> columns) {
    orderColumns_ = std::move(columns);
    if (active())
        reload();
}

void Table::setIndexFieldNames(std::vector<std::string> fields) {
    indexName_.clear();
    indexFieldNames_ = std::move(fields);
    if (!active())
        return;
    std::vector<int> columns;
    for (const std::string& name : indexFieldNames_)
        columns.push_back(fieldIndex(name));
    useOrder(std::move(columns));
}

void Table::setIndexName(const std::string& name) {
    indexFieldNames_.clear();
    indexName_ = name;
    if (!active())
        return;
    std::string sqlName = name.empty() ? "primary" : toUtf8(name);
    std::optional<std::vector<std::string>> indexColumns = db_->indexColumns(sqlName);
    if (!indexColumns) {
        indexName_.clear();
        useOrder({});
        if (!name.empty())
            throw DatabaseError("インデックス「" + sqlName + "」がテーブル " +
                                pathText(file_.filename()) + " にありません。登録順で表示します。");
        return;
    }
    std::vector<int> columns;
    for (const std::string& column : *indexColumns)
        columns.push_back(fieldIndex(fromUtf8(column)));
    useOrder(std::move(columns));
}

void Table::setFilter(const std::string& text) {
    filterText_ = text;
    filterWhere_.clear();
    filterParameters_.clear();
    if (!active() || text.empty()) {
        if (active() && filtered_)
            reload();
        return;
    }
    SqlFilter parsed;
    try {
        parsed = parseFilter(
            text,
            [this](std::string_view name, FilterField& field) {
                auto found = fieldByName_.find(std::string(name));
                if (found == fieldByName_.end())
                    return false;
                field = {fields_[found->second].column, fields_[found->second].type};
                return true;
            },
            [this](const std::string& expression) { return db_->inShiftJisOrder(expression); });
    } catch (const DatabaseError&) {
        filtered_ = false;
        reload();
        throw;
    }
    filterWhere_ = parsed.where;
    filterParameters_ = std::move(parsed.parameters);
    if (filtered_)
        setFiltered(true);
}

// A filter that parses may still be more than SQLite takes (its parser stack, its
// expression depth): the table then goes on unfiltered and the error is told.
void Table::setFiltered(bool on) {
    filtered_ = on;
    if (!active())
        return;
    try {
        reload();
    } catch (const DatabaseError&) {
        if (!on)
            throw;
        filtered_ = false;
        reload();
        throw;
    }
}

Statement Table::selectView(const std::string& columns, bool inRowidOrder) const {
    std::string sql = "SELECT " + columns + " FROM " + table_;
    bool useFilter = filtered_ && !filterWhere_.empty();
    if (useFilter)
        sql += " WHERE " + filterWhere_;
    if (inRowidOrder)
        sql += " ORDER BY rowid";
    Statement select = db_->prepare(sql);
    if (useFilter)
        bindFilter(select, 1, filterParameters_);
    return select;
}

namespace {

// Records read by forEach with one statement, by a list of their row ids or by
// the range those span, without setting up a statement for every record.
constexpr std::size_t kRecordsPerRead = 256;

std::string rowidListMarks() {
    std::string marks;
    for (std::size_t i = 0; i < kRecordsPerRead; ++i)
        marks += i ? ", ?" : "?";
    return marks;
}

} // namespace

// The view is caught up on the snapshot that the records are read from: a row id
// that another PC's restore took away meanwhile is then no row of the view.
void Table::forEach(const std::function<void(std::vector<std::string>&)>& visit) {
    requireActive();
    std::optional<PlaceSorter> inViewOrder;
    onOneSnapshot([&] {
        noticeOtherCommits();
        inViewOrder.emplace(rowids_.size(), fields_.size(), visit);
        readInFileOrder(*inViewOrder);
    });
    inViewOrder->finish();
}

// The places of the view by ascending row id, the order the file keeps them in.
std::vector<std::pair<std::int64_t, std::size_t>> Table::placesByRowid() const {
    std::vector<std::pair<std::int64_t, std::size_t>> places;
    places.reserve(rowids_.size());
    for (std::size_t place = 0; place < rowids_.size(); ++place)
        places.emplace_back(rowids_[place], place);
    std::sort(places.begin(), places.end());
    return places;
}

// The records of the view in the order the file keeps them: the engine reads each
// page of the file once. A batch of row ids that lie close together is read as
// their range, without a search for each.
void Table::readInFileOrder(PlaceSorter& sorter) const {
    const auto places = placesByRowid();
    const std::string select = "SELECT *, rowid FROM " + table_ + " WHERE rowid ";
    // Row ids left unbound are NULL, which names no record.
    Statement listed = db_->prepare(select + "IN (" + rowidListMarks() + ")");
    Statement range = db_->prepare(select + "BETWEEN ? AND ?");
    const int rowidColumn = static_cast<int>(fields_.size());
    std::vector<bool> isText;
    for (const FieldInfo& field : fields_)
        isText.push_back(field.type == FieldType::Text);
    BatchConverter converter(isText, sorter);
    std::string number;
    for (auto batch = places.begin(); batch != places.end();) {
        const auto end = batch + std::min<std::ptrdiff_t>(kRecordsPerRead, places.end() - batch);
        const bool close = (end - 1)->first - batch->first < 2 * (end - batch);
        Statement& read = close ? range : listed;
        read.reset();
        if (close) {
            range.bindInt(1, batch->first);
            range.bindInt(2, (end - 1)->first);
        } else {
            for (auto it = batch; it != end; ++it)
                listed.bindInt(static_cast<int>(it - batch) + 1, it->first);
        }
        // A record deleted since the view was read is not found, and left out; one
        // that is not in the view is passed over.
        while (read.step()) {
            const std::int64_t rowid = read.columnInt(rowidColumn);
            const auto found = std::lower_bound(batch, end, std::make_pair(rowid, std::size_t{0}));
            if (found == end || found->first != rowid)
                continue;
            converter.filling().startRecord(found->second);
            for (std::size_t i = 0; i < fields_.size(); ++i)
                converter.filling().addField(storedText(read, i, number));
            if (converter.filling().full())
                converter.handOver();
        }
        batch = end;
    }
    converter.finish();
}

void Table::appendKey(const Statement& select, int first, std::string& key) const {
    for (std::size_t i = 0; i < orderColumns_.size(); ++i) {
        int column = first + static_cast<int>(i);
        switch (fields_[orderColumns_[i]].type) {
        case FieldType::Text:
            appendUtf8TextKey(key, select.columnText(column));
            break;
        case FieldType::Integer:
            appendNumberKey(key, select.isNull(column)
                                     ? std::nullopt
                                     : std::optional<std::int64_t>(select.columnInt(column)));
            break;
        case FieldType::Flag:
            appendNumberKey(key, select.columnInt(column) != 0);
            break;
        }
    }
}

std::vector<std::int64_t> Table::rowidsInOrder() const {
    std::vector<std::int64_t> rowids;
    if (!orderedByFields()) {
        Statement select = selectView("rowid", true);
        while (select.step())
            rowids.push_back(select.columnInt(0));
        return rowids;
    }
    std::string columns;
    for (int column : orderColumns_)
        columns += (columns.empty() ? "" : ", ") + quoteName(fields_[column].column);
    Statement select = selectView("rowid, " + columns, false);
    SortedRowids sorted;
    std::string key;
    while (select.step()) {
        key.clear();
        appendKey(select, 1, key);
        sorted.add(select.columnInt(0), key);
    }
    return sorted.sorted();
}

// The counter is asked first on its own (one statement, at every move); what
// others changed is then read on one snapshot.
bool Table::catchUp() {
    requireActive();
    if (!othersCommitted())
        return false;
    onOneSnapshot([&] {
        if (!catchUpChanges())
            reload();
    });
    return true;
}

std::unordered_map<std::int64_t, std::int64_t> Table::readVersions() const {
    std::unordered_map<std::int64_t, std::int64_t> versions;
    const std::string version = db_->rowVersion();
    if (version.empty())
        return versions;
    Statement select = selectView("rowid, " + version, false);
    while (select.step())
        versions.emplace(select.columnInt(0), select.columnInt(1));
    return versions;
}

// Reads only the records that others added, changed or deleted since the view was
// read, and places them again: on a server far quicker than reading and sorting
// the whole view. False when there is nothing to go by, or so much changed (a
// restore) that reading the view anew is as quick.
bool Table::catchUpChanges() {
    constexpr std::size_t kChangesAtMost = 1000;
    if (versions_.empty() || state_ != TableState::Browse)
        return false;
    const std::int64_t seen = db_->dataVersion();
    std::unordered_map<std::int64_t, std::int64_t> now = readVersions();
    std::vector<std::int64_t> changed;
    for (const auto& [rowid, version] : now) {
        const auto before = versions_.find(rowid);
        if (before == versions_.end() || before->second != version)
            changed.push_back(rowid);
    }
    const std::size_t kept = now.size() - changed.size();
    const std::size_t gone = rowids_.size() > kept ? rowids_.size() - kept : 0;
    if (changed.size() + gone > kChangesAtMost)
        return false;
    const std::int64_t current = rowids_.empty() ? 0 : rowids_[pos_];
    const std::size_t place = pos_;
    // A record this cursor added has no version yet: it is placed again too.
    std::erase_if(rowids_, [&](std::int64_t rowid) {
        const auto found = now.find(rowid);
        const auto before = versions_.find(rowid);
        const bool stays =
            found != now.end() && before != versions_.end() && before->second == found->second;
        if (!stays)
            cache_.erase(rowid);
        return !stays;
    });
    std::sort(changed.begin(), changed.end()); // records of one order place by row id
    for (const std::int64_t rowid : changed) {
        cache_.erase(rowid);
        const Row& row = rowOf(rowid);
        const std::size_t at =
            orderedByFields()
                ? placeOf(row, rowid)
                : static_cast<std::size_t>(std::lower_bound(rowids_.begin(), rowids_.end(), rowid) -
                                           rowids_.begin());
        rowids_.insert(rowids_.begin() + static_cast<std::ptrdiff_t>(at), rowid);
    }
    versions_ = std::move(now);
    seenDataVersion_ = seen;
    ++viewVersion_;
    const auto found = std::find(rowids_.begin(), rowids_.end(), current);
    pos_ = found != rowids_.end() ? static_cast<std::size_t>(found - rowids_.begin())
           : rowids_.empty()      ? 0
                                  : std::min(place, rowids_.size() - 1);
    eof_ = bof_ = rowids_.empty();
    loadCurrent();
    return true;
}

// The counter, the versions, the row ids and the current record come from one
// snapshot, so that none of them names a record the others do not hold.
void Table::reload(std::optional<std::int64_t> keep) {
    if (!keep && !rowids_.empty() && pos_ < rowids_.size())
        keep = rowids_[pos_];
    onOneSnapshot([&] {
        seenDataVersion_ = db_->dataVersion();
        versions_ = viewUnread_ ? decltype(versions_)() : readVersions();
        rowids_ = viewUnread_ ? std::vector<std::int64_t>() : rowidsInOrder();
        ++viewVersion_;
        cache_.clear();
        pos_ = 0;
        if (keep) {
            auto found = std::find(rowids_.begin(), rowids_.end(), *keep);
            if (found != rowids_.end())
                pos_ = static_cast<std::size_t>(found - rowids_.begin());
        }
        eof_ = bof_ = rowids_.empty();
        loadCurrent();
    });
}

bool Table::readFresh(std::int64_t rowid, Row& row) const {
    readRow_->reset();
    readRow_->bindInt(1, rowid);
    bool found = readRow_->step();
    if (found)
        readRow(*readRow_, row);
    readRow_->reset();
    return found;
}

const Table::Row* Table::findRow(std::int64_t rowid) const {
    auto cached = cache_.find(rowid);
    if (cached != cache_.end())
        return &cached->second;
    Row row(fields_.size());
    if (!readFresh(rowid, row))
        return nullptr;
    if (cache_.size() >= kCacheLimit)
        cache_.clear();
    return &cache_.emplace(rowid, std::move(row)).first->second;
}

// A record that is gone is never kept as a row of empty texts: a later look finds
// it gone again, or the view no longer names it.
const Table::Row& Table::rowOf(std::int64_t rowid) const {
    const Row* row = findRow(rowid);
    return row ? *row : emptyRow();
}

std::string_view Table::storedText(const Statement& statement, std::size_t field,
                                   std::string& number) const {
    const int column = static_cast<int>(field);
    switch (fields_[field].type) {
    case FieldType::Text:
        return statement.columnText(column);
    case FieldType::Integer:
        number = statement.isNull(column) ? "" : std::to_string(statement.columnInt(column));
        return number;
    case FieldType::Flag:
        return statement.columnInt(column) ? "True" : "False";
    }
    return {};
}

void Table::readRow(const Statement& statement, Row& row) const {
    std::string number;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        setRowValue(row[i], storedText(statement, i, number), fields_[i].type == FieldType::Text);
}

const Table::Row& Table::emptyRow() const {
    if (emptyRow_.size() != fields_.size()) {
        emptyRow_.assign(fields_.size(), "");
        for (std::size_t i = 0; i < fields_.size(); ++i)
            if (fields_[i].type == FieldType::Flag)
                emptyRow_[i] = "False";
    }
    return emptyRow_;
}

// The current record gone since the view was read (another PC deleted it, or
// restored every record under new row ids): the view is read anew on one
// snapshot, which holds every record it names, and the cursor stays at its place.
void Table::loadCurrent() {
    if (rowids_.empty()) {
        current_ = emptyRow();
        return;
    }
    if (const Row* row = findRow(rowids_[pos_])) {
        current_ = *row;
        return;
    }
    if (db_->inTransaction())
        refuseOtherChange(true);
    const std::size_t place = pos_;
    onOneSnapshot([&] {
        reload();
        if (rowids_.empty())
            return;
        pos_ = std::min(place, rowids_.size() - 1);
        loadCurrent();
    });
}

void Table::scrolled() {
    if (afterScroll)
        afterScroll(*this);
}

void Table::checkBrowseMode() {
    requireActive();
    if (state_ == TableState::Edit || state_ == TableState::Insert)
        post();
    noticeOtherCommits();
}

void Table::first() {
    checkBrowseMode();
    pos_ = 0;
    bof_ = true;
    eof_ = rowids_.empty();
    loadCurrent();
    scrolled();
}

void Table::last() {
    checkBrowseMode();
    pos_ = rowids_.empty() ? 0 : rowids_.size() - 1;
    eof_ = true;
    bof_ = rowids_.empty();
    loadCurrent();
    scrolled();
}

void Table::next() {
    checkBrowseMode();
    if (pos_ + 1 < rowids_.size()) {
        ++pos_;
        bof_ = eof_ = false;
        loadCurrent();
        scrolled();
    } else {
        eof_ = true;
    }
}

void Table::prior() {
    checkBrowseMode();
    if (pos_ > 0 && !rowids_.empty()) {
        --pos_;
        bof_ = eof_ = false;
        loadCurrent();
        scrolled();
    } else {
        bof_ = true;
    }
}

int Table::recNo() const {
    if (rowids_.empty() || state_ == TableState::Insert)
        return 0;
    return static_cast<int>(pos_) + 1;
}

std::int64_t Table::currentRowid() const {
    return recNo() == 0 ? 0 : rowids_[pos_];
}

bool Table::moveTo(std::int64_t rowid) {
    checkBrowseMode();
    const auto found = std::find(rowids_.begin(), rowids_.end(), rowid);
    if (found == rowids_.end())
        return false;
    pos_ = static_cast<std::size_t>(found - rowids_.begin());
    bof_ = eof_ = false;
    loadCurrent();
    scrolled();
    return true;
}

void Table::holdAsShown(std::int64_t rowid, const Row& shown) {
    if (!moveTo(rowid))
        refuseOtherChange(true);
    if (shown != current_)
        refuseOtherChange(false);
}

void Table::setRecNo(int number) {
    checkBrowseMode();
    if (rowids_.empty())
        return;
    pos_ = static_cast<std::size_t>(std::clamp(number, 1, recordCount()) - 1);
    bof_ = eof_ = false;
    loadCurrent();
    scrolled();
}

void Table::edit() {
    requireActive();
    if (state_ != TableState::Browse)
        return;
    if (rowids_.empty()) {
        insert();
        return;
    }
    saved_ = current_;
    state_ = TableState::Edit;
}

std::string unstoredInputNote(const std::vector<std::pair<std::string, std::string>>& typed) {
    std::string note;
    for (const auto& [column, value] : typed)
        note += (note.empty() ? "\n保存されなかった入力: " : "、") + column + "「" + toUtf8(value) +
                "」";
    return note;
}

std::string Table::pendingEditNote() const {
    std::vector<std::pair<std::string, std::string>> typed;
    if (state_ == TableState::Edit || state_ == TableState::Insert)
        for (std::size_t i = 0; i < fields_.size(); ++i)
            if (state_ == TableState::Edit ? current_[i] != saved_.at(i)
                                           : current_[i] != emptyRow()[i])
                typed.emplace_back(fields_[i].column, current_[i]);
    return unstoredInputNote(typed);
}

void Table::insert() {
    checkBrowseMode();
    saved_ = current_;
    current_.assign(fields_.size(), "");
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].type == FieldType::Flag)
            current_[i] = "False";
    state_ = TableState::Insert;
}

std::string Table::storedValue(int fieldIndex, const std::string& value) const {
    const FieldInfo& field = fields_[fieldIndex];
    if (field.type == FieldType::Text)
        return value;
    if (field.type == FieldType::Flag) {
        if (value.empty())
            return "False";
        if (value == "True" || value == "False")
            return value;
        throw ConversionError("「" + toUtf8(value) + "」は項目「" + field.column +
                              "」の値 (True / False) ではありません。");
    }
    long long number = 0;
    if (value.empty())
        return value;
    if (!parseInteger(value, number) || number < INT32_MIN || number > INT32_MAX)
        throw ConversionError("「" + toUtf8(value) + "」は項目「" + field.column +
                              "」の正しい整数ではありません。");
    return std::to_string(number);
}

void Table::setTextAt(int fieldIndex, const std::string& value) {
    requireActive();
    std::string stored = storedValue(fieldIndex, value);
    if (state_ == TableState::Browse)
        edit();
    current_[fieldIndex] = std::move(stored);
}

void Table::setText(std::string_view field, const std::string& value) {
    setTextAt(fieldIndex(field), value);
}

void Table::setInteger(std::string_view field, int value) {
    setText(field, std::to_string(value));
}

void Table::setFlag(std::string_view field, bool value) {
    setText(field, value ? "True" : "False");
}

std::string Table::text(std::string_view field) const {
    return current_.empty() ? std::string() : current_[fieldIndex(field)];
}

int Table::integer(std::string_view field) const {
    return leadingInteger(text(field));
}

const std::string& Table::textAt(int fieldIndex) const {
    requireActive(); // a table that could not be opened has no fields to read
    return current_.at(fieldIndex);
}

std::string Table::insertSql(const std::string& table) const {
    std::string sql = "INSERT INTO " + table + " (";
    std::string marks;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        sql += (i ? ", " : "") + quoteName(fields_[i].column);
        marks += i ? ", ?" : "?";
    }
    return sql + ") VALUES (" + marks + ")";
}

void Table::bindRow(Statement& statement, const Row& row) {
    utf8Buffers_.resize(fields_.size());
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        int index = static_cast<int>(i) + 1;
        const std::string& value = row[i];
        if (fields_[i].type == FieldType::Text) {
            toUtf8(value, utf8Buffers_[i]);
            statement.bindTextInPlace(index, utf8Buffers_[i]);
        } else if (fields_[i].type == FieldType::Flag)
            statement.bindInt(index, value == "True");
        else if (value.empty())
            statement.bindNull(index);
        else
            statement.bindInt(index, std::stoll(value));
    }
}

void Table::writeRow(std::int64_t& rowid, bool inserting) {
    std::string sql;
    if (inserting) {
        sql = insertSql(table_);
    } else {
        sql = "UPDATE " + table_ + " SET ";
        for (std::size_t i = 0; i < fields_.size(); ++i)
            sql += (i ? ", " : "") + quoteName(fields_[i].column) + " = ?";
        sql += " WHERE rowid = ?";
    }
    Statement statement = db_->prepare(sql);
    bindRow(statement, current_);
    if (!inserting)
        statement.bindInt(static_cast<int>(fields_.size()) + 1, rowid);
    statement.step();
    if (inserting)
        rowid = db_->lastInsertRowid();
}

void Table::insertRecord(const std::vector<std::string>& values) {
    requireActive();
    // A record of texts only is bound as it is given (a restore's).
    const bool asGiven = values.size() >= fields_.size() &&
                         std::all_of(fields_.begin(), fields_.end(), [](const FieldInfo& field) {
                             return field.type == FieldType::Text;
                         });
    if (!asGiven) {
        static const std::string none;
        insertBuffer_.resize(fields_.size());
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            const std::string& value = i < values.size() ? values[i] : none;
            if (fields_[i].type == FieldType::Text)
                insertBuffer_[i].assign(value); // keeps the buffer's memory from record to record
            else
                insertBuffer_[i] = storedValue(static_cast<int>(i), value);
        }
    }
    if (!insertRow_)
        insertRow_ = std::make_unique<Statement>(
            db_->prepareBulkInsert(insertSql(loadTarget_.empty() ? table_ : loadTarget_)));
    insertRow_->reset();
    bindRow(*insertRow_, asGiven ? values : insertBuffer_);
    insertRow_->step();
}

void Table::refresh() {
    requireActive();
    reload();
    scrolled();
}

bool Table::matchesFilter(std::int64_t rowid) const {
    if (!filtered_ || filterWhere_.empty())
        return true;
    Statement check =
        db_->prepare("SELECT 1 FROM " + table_ + " WHERE rowid = ? AND " + filterWhere_);
    check.bindInt(1, rowid);
    bindFilter(check, 2, filterParameters_);
    return check.step();
}

std::string Table::keyOf(const Row& row) const {
    std::string key;
    for (int column : orderColumns_) {
        const std::string& value = row[column];
        switch (fields_[column].type) {
        case FieldType::Text:
            appendTextKey(key, value);
            break;
        case FieldType::Integer: {
            long long number = 0;
            appendNumberKey(key, value.empty() || !parseInteger(value, number)
                                     ? std::nullopt
                                     : std::optional<std::int64_t>(number));
            break;
        }
        case FieldType::Flag:
            appendNumberKey(key, value == "True");
            break;
        }
    }
    return key;
}

std::size_t Table::placeOf(const Row& row, std::int64_t rowid) const {
    const std::string key = keyOf(row);
    std::size_t low = 0, high = rowids_.size();
    while (low < high) {
        std::size_t middle = (low + high) / 2;
        int order = keyOf(rowOf(rowids_[middle])).compare(key);
        if (order < 0 || (order == 0 && rowids_[middle] < rowid))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

bool Table::stillHolds(std::int64_t rowid, const Row& read) const {
    Row now(fields_.size());
    return readFresh(rowid, now) && now == read;
}

void Table::refuseChangedRecord() {
    state_ = TableState::Browse;
    const std::size_t place = pos_;
    const std::int64_t read = rowids_.empty() ? 0 : rowids_[pos_];
    reload();
    // A record that is gone (a restore replaced them all) leaves the cursor at its
    // place rather than at the first.
    if (!rowids_.empty() && std::find(rowids_.begin(), rowids_.end(), read) == rowids_.end()) {
        pos_ = std::min(place, rowids_.size() - 1);
        bof_ = eof_ = false;
        loadCurrent();
    }
    if (db_->shared())
        refuseOtherChange(false);
    throw DatabaseError("テーブル " + pathText(file_.filename()) +
                        " のこのレコードは、読み込んだ後に別の操作で変更または削除されました。"
                        "変更は保存せず、レコードを読み直しました。");
}

void Table::refuseOtherChange(bool deleted) const {
    if (db_->shared())
        throw DatabaseError(deleted ? "他の端末で削除されました。"
                                    : "他の端末で変更されました。最新の内容を読み込みます。");
    throw DatabaseError("テーブル " + pathText(file_.filename()) +
                        " のこのレコードは、表示した後に別の操作で" + (deleted ? "削除" : "変更") +
                        "されました。何も変更していません。");
}

// Whether others committed since the view was read (inside a write transaction:
// before the connection's own change).
bool Table::othersCommitted() {
    return db_->dataVersion() != seenDataVersion_;
}

void Table::post() {
    requireActive();
    if (state_ == TableState::Browse)
        return;
    if (beforePost)
        beforePost(*this);
    bool inserting = state_ == TableState::Insert;
    std::int64_t rowid = inserting ? 0 : rowids_[pos_];
    WriteTransaction write(*db_);
    // Another process may have replaced the records since this one was read; the
    // row id then names another vehicle, which must not be overwritten.
    bool changed = !inserting && !stillHolds(rowid, saved_);
    const bool others = othersCommitted();
    if (!changed)
        writeRow(rowid, inserting);
    const std::int64_t version = db_->dataVersion();
    write.commit();
    if (changed)
        refuseChangedRecord();
    cache_.erase(rowid);
    if (others) {
        state_ = TableState::Browse;
        reload(rowid);
        return;
    }
    seenDataVersion_ = version;
    if (!inserting)
        rowids_.erase(rowids_.begin() + static_cast<std::ptrdiff_t>(pos_));
    if (matchesFilter(rowid)) {
        std::size_t place = orderedByFields() ? placeOf(rowOf(rowid), rowid)
                            : inserting       ? rowids_.size()
                                              : pos_;
        rowids_.insert(rowids_.begin() + static_cast<std::ptrdiff_t>(place), rowid);
        pos_ = place;
    } else if (pos_ >= rowids_.size() && !rowids_.empty()) {
        pos_ = rowids_.size() - 1;
    }
    state_ = TableState::Browse;
    bof_ = eof_ = rowids_.empty();
    ++viewVersion_;
    loadCurrent();
}

void Table::cancel() {
    requireActive();
    if (state_ == TableState::Browse)
        return;
    state_ = TableState::Browse;
    loadCurrent();
}

void Table::remove() {
    requireActive();
    if (state_ == TableState::Insert) {
        cancel();
        return;
    }
    const Row read = state_ == TableState::Edit ? saved_ : current_;
    state_ = TableState::Browse;
    if (rowids_.empty())
        throw DatabaseError("テーブル " + pathText(file_.filename()) + " にレコードがありません。");
    WriteTransaction write(*db_);
    bool changed = !stillHolds(rowids_[pos_], read);
    const bool others = othersCommitted();
    if (!changed) {
        Statement erase = db_->prepare("DELETE FROM " + table_ + " WHERE rowid = ?");
        erase.bindInt(1, rowids_[pos_]);
        erase.step();
    }
    const std::int64_t version = db_->dataVersion();
    write.commit();
    if (changed)
        refuseChangedRecord();
    if (!others)
        seenDataVersion_ = version;
    cache_.erase(rowids_[pos_]);
    rowids_.erase(rowids_.begin() + static_cast<std::ptrdiff_t>(pos_));
    ++viewVersion_;
    if (pos_ >= rowids_.size() && pos_ > 0)
        --pos_;
    eof_ = bof_ = rowids_.empty();
    loadCurrent();
    scrolled();
}

void Table::removeAll() {
    requireActive();
    state_ = TableState::Browse;
    std::string sql = "DELETE FROM " + table_;
    bool useFilter = filtered_ && !filterWhere_.empty();
    if (useFilter)
        sql += " WHERE " + filterWhere_;
    Statement erase = db_->prepare(sql);
    if (useFilter)
        bindFilter(erase, 1, filterParameters_);
    erase.step();
    forgetView();
}

void Table::forgetView() {
    rowids_.clear();
    ++viewVersion_;
    cache_.clear();
    pos_ = 0;
    eof_ = bof_ = true;
    loadCurrent();
    scrolled();
}

bool Table::replaceWholeTable(const std::string& keepAs, const std::function<void()>& load) {
    requireActive();
    if (filtered_ && !filterWhere_.empty())
        return false;
    state_ = TableState::Browse;
    loadTarget_ = db_->stageReplacement();
    if (loadTarget_.empty())
        return false;
    {
        struct Staged {
            Table& table;
            ~Staged() {
                table.loadTarget_.clear();
                table.insertRow_.reset();
            }
        } staged{*this};
        insertRow_.reset();
        load();
    }
    db_->putReplacementInPlace(keepAs);
    forgetView();
    return true;
}

Database& Table::database() {
    requireActive();
    return *db_;
}

std::string Table::peek(int recordNumber, int fieldIndex) const {
    if (recordNumber < 1 || recordNumber > recordCount())
        return {};
    return recordOf(rowids_[recordNumber - 1]).at(fieldIndex);
}

const Table::Row& Table::recordOf(std::int64_t rowid) const {
    if (state_ == TableState::Edit && rowid == rowids_[pos_])
        return current_;
    return rowOf(rowid);
}

void Table::copyFileTo(const std::filesystem::path& target) {
    checkBrowseMode();
    db_->saveCopy(target);
}

void Table::replaceFileFrom(const std::filesystem::path& source) {
    checkBrowseMode();
    db_->loadCopy(source);
    close();
    open();
}

void Table::transaction(const std::function<void()>& work) {
    checkBrowseMode();
    if (db_->inTransaction()) {
        work(); // part of the transaction already open, which commits or rolls back
        return;
    }
    db_->beginWrite();
    finishTransaction(work);
}

void Table::transactionAfter(const std::function<void()>& first,
                             const std::function<void()>& work) {
    checkBrowseMode();
    db_->beginWriteAfter(first);
    finishTransaction(work);
}

void Table::finishTransaction(const std::function<void()>& work) {
    try {
        work();
        db_->exec("COMMIT");
    } catch (...) {
        db_->rollBackAfterFailure();
        state_ = TableState::Browse;
        reload();
        throw;
    }
}

void Table::loadTransaction(const std::function<void()>& work) {
    transaction([&] {
        const std::vector<std::string> rebuild = db_->setIndexesAside();
        work();
        for (const std::string& sql : rebuild)
            db_->exec(sql);
    });
}

void Table::readTransaction(const std::function<void()>& work) {
    checkBrowseMode();
    onOneSnapshot(work);
}

void Table::onOneSnapshot(const std::function<void()>& work) const {
    if (db_->inTransaction()) {
        work();
        return;
    }
    db_->beginRead();
    try {
        work();
    } catch (...) {
        db_->rollBackAfterFailure();
        throw;
    }
    db_->exec("COMMIT");
}

} // namespace mivora
