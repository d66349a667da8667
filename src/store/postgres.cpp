#include "store/postgres.h"

#include "platform/paths.h"
#include "store/sqlite.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <libpq-fe.h>
#include <utility>

namespace mivora {

namespace {

namespace fs = std::filesystem;

// A writer that waits longer than this for another PC's write gets the message
// that the table is in use, as with a SQLite file that stays locked.
constexpr const char* kSessionSettings = "SET lock_timeout = '5s'; SET client_min_messages = error";
// The rows of a COPY go out in pieces well within what the connection's socket
// holds: the server takes in a piece only whole, so that it works on one while
// the next is on its way (a quarter of a megabyte at a time took half as long
// again).
constexpr std::size_t kQueuedBytes = 32 << 10;

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Turns the ? parameters of the store's statements into PostgreSQL's $1, $2...;
// quoted names and texts are copied as they are.
std::string numberedParameters(const std::string& sql, int& count) {
    std::string out;
    char quote = 0;
    count = 0;
    for (char c : sql) {
        if (quote) {
            quote = c == quote ? 0 : quote; // a doubled quote closes and opens again
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$' + std::to_string(++count);
        } else {
            out += c;
        }
    }
    return out;
}

bool needsEscape(char c) {
    return c == '\\' || c == '\t' || c == '\n' || c == '\r';
}

// Whether any byte of the text needs escaping, looked for eight bytes at a time.
bool holdsEscapes(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighBits = 0x8080808080808080u;
    const auto holds = [](std::uint64_t word, char c) {
        const std::uint64_t matches = word ^ (kOnes * static_cast<unsigned char>(c));
        return ((matches - kOnes) & ~matches & kHighBits) != 0;
    };
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (holds(word, '\\') || holds(word, '\t') || holds(word, '\n') || holds(word, '\r'))
            return true;
    }
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), needsEscape);
}

// One value of a row in COPY's text format: most texts hold nothing to escape and
// go in whole.
void appendCopyValue(std::string& rows, const std::optional<std::string_view>& value) {
    if (!value) {
        rows += "\\N";
        return;
    }
    const std::string_view text = *value;
    if (!holdsEscapes(text)) {
        rows += text;
        return;
    }
    for (const char c : text) {
        if (needsEscape(c))
            rows += '\\';
        rows += c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : c;
    }
}

std::string sqlStateOf(const PGresult* result) {
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    return state ? state : "";
}

bool isConnectionFailure(const std::string& state) {
    return state.empty() || state.starts_with("08") || state.starts_with("57P");
}

} // namespace

struct PostgresDatabase::Rows {
    Result result{nullptr, &PQclear};
};

namespace {

class PostgresStatement : public Statement::Engine {
  public:
    PostgresStatement(PostgresDatabase& db, const std::string& sql) : db_(db) {
        int count = 0;
        sql_ = numberedParameters(sql, count);
        values_.resize(static_cast<std::size_t>(count));
    }

    void reset() override {
        rows_.reset();
        row_ = 0;
        std::fill(values_.begin(), values_.end(), std::nullopt);
    }
    void bindText(int index, std::string_view utf8) override {
        if (valid(index))
            values_[index - 1] = std::string(utf8);
    }
    void bindTextInPlace(int index, std::string_view utf8) override { bindText(index, utf8); }
    void bindInt(int index, std::int64_t value) override {
        if (valid(index))
            values_[index - 1] = std::to_string(value);
    }
    void bindNull(int index) override {
        if (valid(index))
            values_[index - 1] = std::nullopt;
    }
    bool step() override {
        if (!rows_) {
            rows_ = db_.run(sql_, values_);
            row_ = 0;
        } else {
            ++row_;
        }
        return row_ < PQntuples(rows_->result.get());
    }
    bool isNull(int column) const override {
        return PQgetisnull(rows_->result.get(), row_, column);
    }
    std::int64_t columnInt(int column) const override {
        std::string_view text = columnText(column);
        if (text == "t" || text == "f")
            return text == "t";
        std::int64_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }
    std::string_view columnText(int column) const override {
        PGresult* result = rows_->result.get();
        return {PQgetvalue(result, row_, column),
                static_cast<std::size_t>(PQgetlength(result, row_, column))};
    }
    int columnCount() const override { return rows_ ? PQnfields(rows_->result.get()) : 0; }

  private:
    bool valid(int index) const {
        return index >= 1 && static_cast<std::size_t>(index) <= values_.size();
    }

    PostgresDatabase& db_;
    std::string sql_;
    std::vector<std::optional<std::string>> values_;
    std::shared_ptr<PostgresDatabase::Rows> rows_;
    int row_ = 0;
};

// Rows of a bulk insert travel through COPY: each row goes in COPY's text format
// straight into what the connection sends, texts bound in place without a copy.
class PostgresCopy : public Statement::Engine {
  public:
    PostgresCopy(PostgresDatabase& db, const std::string& insertSql) : db_(db) {
        int count = 0;
        numberedParameters(insertSql, count);
        fields_.resize(static_cast<std::size_t>(count));
        static const std::string insertInto = "INSERT INTO";
        const std::size_t values = insertSql.find(" VALUES");
        copySql_ = "COPY" + insertSql.substr(insertInto.size(), values - insertInto.size()) +
                   " FROM STDIN";
    }

    void reset() override {
        for (Field& field : fields_)
            field.value.reset();
    }
    void bindText(int index, std::string_view utf8) override {
        if (Field* field = at(index)) {
            field->owned.assign(utf8);
            field->value = field->owned;
        }
    }
    void bindTextInPlace(int index, std::string_view utf8) override {
        if (Field* field = at(index))
            field->value = utf8;
    }
    void bindInt(int index, std::int64_t value) override { bindText(index, std::to_string(value)); }
    void bindNull(int index) override {
        if (Field* field = at(index))
            field->value.reset();
    }
    bool step() override {
        std::string& rows = db_.copyRows(copySql_);
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (i)
                rows += '\t';
            appendCopyValue(rows, fields_[i].value);
        }
        db_.rowQueued();
        return false;
    }
    // A COPY gives no rows.
    bool isNull(int) const override { return true; }
    std::int64_t columnInt(int) const override { return 0; }
    std::string_view columnText(int) const override { return {}; }
    int columnCount() const override { return 0; }

  private:
    struct Field {
        std::optional<std::string_view> value; // unbound is NULL
        std::string owned;                     // the text of a value bound as a copy
    };

    Field* at(int index) {
        return index >= 1 && static_cast<std::size_t>(index) <= fields_.size() ? &fields_[index - 1]
                                                                               : nullptr;
    }

    PostgresDatabase& db_;
    std::string copySql_;
    std::vector<Field> fields_;
};

} // namespace

PostgresDatabase::PostgresDatabase(const std::string& connection, std::string table)
    : connection_(connection), table_(std::move(table)) {
    connect();
}

PostgresDatabase::~PostgresDatabase() {
    PQfinish(conn_);
}

void PostgresDatabase::connect() {
    PQfinish(conn_);
    // A server that does not answer (a pulled cable) must not hold the program
    // for minutes: these come first, so the connection string can still set them.
    const char* keys[] = {"connect_timeout",
                          "keepalives_idle",
                          "keepalives_interval",
                          "keepalives_count",
                          "tcp_user_timeout",
                          "application_name",
                          "dbname",
                          nullptr};
    const char* values[] = {"4", "30", "10", "3", "30000", "mivora", connection_.c_str(), nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (PQstatus(conn_) != CONNECTION_OK) {
        std::string message = trimmed(PQerrorMessage(conn_));
        PQfinish(conn_);
        conn_ = nullptr;
        throw ConnectionError("データベースサーバーに接続できません。サーバーが動いているか、"
                              "CARDATA.conn の接続先が正しいか確かめてください (" +
                              message + ")。");
    }
    PQsetClientEncoding(conn_, "UTF8");
    Result settings(PQexec(conn_, kSessionSettings), &PQclear);
}

// After a lost connection the next statement connects again, so that the
// program goes on once the server is back.
void PostgresDatabase::ensureConnected() {
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK)
        connect();
}

std::unique_ptr<Database> PostgresDatabase::openTable(const std::string& connection,
                                                      const std::string& table) {
    auto db = std::make_unique<PostgresDatabase>(connection, table);
    if (db->columns().empty())
        throw DatabaseError("データベースサーバーにテーブル " + table + " がありません。");
    return db;
}

namespace {

// The server's SJIS lacks what the program stores as private-use characters: a
// byte without a character (U+F0000 + byte) and the user-defined area (F040 to
// F9FC, U+E000 on). Texts that hold one are converted a character at a time, so
// that a filter works on every record and orders them as their CP932 bytes.
constexpr const char* kShiftJisFunction = R"(
CREATE OR REPLACE FUNCTION mivora_sjis(v text) RETURNS bytea
LANGUAGE plpgsql IMMUTABLE STRICT AS $body$
BEGIN
    IF v !~ '[\uE000-\uE757\U000F0000-\U000F00FF]' THEN
        RETURN convert_to(v, 'SJIS');
    END IF;
    RETURN (SELECT string_agg(CASE
        WHEN ascii(c) BETWEEN 983040 AND 983295 THEN set_byte('\x00'::bytea, 0, ascii(c) - 983040)
        WHEN ascii(c) BETWEEN 57344 AND 59223 THEN set_byte(set_byte('\x0000'::bytea,
            0, 240 + (ascii(c) - 57344) / 188),
            1, (ascii(c) - 57344) % 188 + CASE WHEN (ascii(c) - 57344) % 188 < 63 THEN 64 ELSE 65 END)
        ELSE convert_to(c, 'SJIS') END, ''::bytea ORDER BY n)
        FROM regexp_split_to_table(v, '') WITH ORDINALITY AS s(c, n));
END $body$)";

} // namespace

// Tables made before the function get it at their first filter; a clerk who may
// not make it filters with the server's own SJIS.
std::string PostgresDatabase::inShiftJisOrder(const std::string& expression) {
    if (!shiftJisFunction_) {
        Statement exists = prepare("SELECT to_regprocedure('mivora_sjis(text)') IS NOT NULL");
        shiftJisFunction_ = exists.step() && exists.columnInt(0);
        if (!*shiftJisFunction_ && !inTransaction()) {
            try {
                exec(kShiftJisFunction);
                shiftJisFunction_ = true;
            } catch (const DatabaseError&) {
            }
        }
    }
    return (*shiftJisFunction_ ? "mivora_sjis(" : "convert_to(") + expression +
           (*shiftJisFunction_ ? ")" : ", 'SJIS')");
}

void PostgresDatabase::fail(const std::string& state, const std::string& message) const {
    const std::string table =
        table_.empty() ? std::string("データベースサーバー") : "サーバーのテーブル " + table_ + " ";
    std::string sentence;
    if (isConnectionFailure(state) && (!conn_ || PQstatus(conn_) != CONNECTION_OK))
        throw ConnectionError("データベースサーバーとの接続が切れました。変更は保存されていません。"
                              "サーバーが動いていることを確かめてから、もう一度操作してください (" +
                              trimmed(message) + ")。");
    if (state == "55P03" || state == "40P01")
        sentence = table + "は他の端末が使用中です";
    else if (state == "42501")
        sentence = table + "を変更する権限がありません";
    else if (state == "53100")
        sentence = "サーバーのディスクがいっぱいのため、" + table + "に書き込めません";
    else
        sentence = table + "の操作に失敗しました";
    throw DatabaseError(sentence + " (" + trimmed(message) + ")。");
}

std::shared_ptr<PostgresDatabase::Rows>
PostgresDatabase::run(const std::string& sql,
                      const std::vector<std::optional<std::string>>& values) {
    // The rows of a transaction that is rolled back are not worth storing first.
    const bool rollBack = sql == "ROLLBACK";
    endCopy(rollBack ? "rolled back" : nullptr);
    if (rollBack)
        replaced_ = {};
    ensureConnected();
    std::vector<const char*> pointers;
    for (const auto& value : values)
        pointers.push_back(value ? value->c_str() : nullptr);
    auto rows = std::make_shared<Rows>();
    rows->result.reset(PQexecParams(conn_, sql.c_str(), static_cast<int>(pointers.size()), nullptr,
                                    pointers.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(rows->result.get());
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        fail(sqlStateOf(rows->result.get()), PQerrorMessage(conn_));
    }
    return rows;
}

void PostgresDatabase::exec(const std::string& sql) {
    run(sql, {});
}

Statement PostgresDatabase::prepare(const std::string& sql) {
    return Statement(std::make_unique<PostgresStatement>(*this, sql));
}

Statement PostgresDatabase::prepareBulkInsert(const std::string& sql) {
    return Statement(std::make_unique<PostgresCopy>(*this, sql));
}

std::string& PostgresDatabase::copyRows(const std::string& copySql) {
    if (copySql != copySql_)
        endCopy(nullptr);
    if (copySql_.empty()) {
        ensureConnected();
        // The rows of the table staged in this transaction are numbered here (no one
        // else takes numbers under the table's lock), and stored as seen by
        // everyone: no one else sees the table before it commits.
        static const std::string fromStdin = ") FROM STDIN";
        numbering_ = !replaced_.key.empty() && copySql.ends_with(fromStdin) &&
                     copySql.starts_with("COPY " + quoteName(stagedName()) + " ");
        const std::string sql = numbering_ ? copySql.substr(0, copySql.size() - fromStdin.size()) +
                                                 ", rowid) FROM STDIN WITH (FREEZE)"
                                           : copySql;
        Result start(PQexec(conn_, sql.c_str()), &PQclear);
        if (PQresultStatus(start.get()) != PGRES_COPY_IN)
            fail(sqlStateOf(start.get()), PQerrorMessage(conn_));
        copySql_ = copySql;
    }
    return queued_;
}

void PostgresDatabase::rowQueued() {
    if (numbering_)
        queued_.append("\t").append(std::to_string(replaced_.nextRowid++));
    queued_ += '\n';
    if (queued_.size() >= kQueuedBytes)
        putQueuedRows();
}

// The server stores each piece while the next one is made.
void PostgresDatabase::putQueuedRows() {
    if (PQputCopyData(conn_, queued_.data(), static_cast<int>(queued_.size())) != 1)
        copyFailed_ = true;
    queued_.clear();
}

void PostgresDatabase::endCopy(const char* abandoned) {
    if (copySql_.empty())
        return;
    copySql_.clear(); // a failed copy is not ended twice
    if (!abandoned && !copyFailed_)
        putQueuedRows();
    queued_.clear();
    std::string state, message;
    const bool lost = std::exchange(copyFailed_, false);
    if (PQputCopyEnd(conn_, abandoned) != 1 || lost)
        message = PQerrorMessage(conn_);
    while (PGresult* result = PQgetResult(conn_)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && message.empty()) {
            state = sqlStateOf(result);
            message = PQresultErrorMessage(result);
        }
        PQclear(result);
    }
    if (!abandoned && !message.empty())
        fail(state, message);
}

std::int64_t PostgresDatabase::lastInsertRowid() {
    Statement last = prepare("SELECT lastval()");
    return last.step() ? last.columnInt(0) : 0;
}

bool PostgresDatabase::inTransaction() const {
    const PGTransactionStatusType status = conn_ ? PQtransactionStatus(conn_) : PQTRANS_UNKNOWN;
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

// Writers of a table take turns, as on a SQLite file; readers never wait.
void PostgresDatabase::beginWrite() {
    exec("BEGIN");
    if (!table_.empty())
        exec("LOCK TABLE " + tableName() + " IN SHARE ROW EXCLUSIVE MODE");
}

// The lock comes before the snapshot, which the first statement after it takes:
// a restore that gives a new table the name commits before the snapshot or
// after the reading, never between the two. Without it the name would find the
// new table, whose records were stored as seen by everyone, while the snapshot
// still held the old counter.
void PostgresDatabase::beginRead() {
    exec("BEGIN ISOLATION LEVEL REPEATABLE READ");
    if (!table_.empty())
        exec("LOCK TABLE " + tableName() + " IN ACCESS SHARE MODE");
}

std::vector<ColumnInfo> PostgresDatabase::tableColumns(const std::string& table) {
    Statement info = prepare("SELECT column_name, data_type FROM information_schema.columns "
                             "WHERE table_schema = current_schema() AND table_name = ? AND "
                             "column_name <> 'rowid' ORDER BY ordinal_position");
    info.bindText(1, table);
    std::vector<ColumnInfo> columns;
    while (info.step())
        columns.push_back({std::string(info.columnText(0)), std::string(info.columnText(1))});
    return columns;
}

// The named orders of tables made before mivora_orders were indexes of the server.
std::optional<std::vector<std::string>> PostgresDatabase::indexColumns(const std::string& name) {
    std::vector<std::string> columns;
    Statement orders = prepare("SELECT to_regclass('mivora_orders') IS NOT NULL");
    if (orders.step() && orders.columnInt(0)) {
        Statement fields = prepare("SELECT field FROM mivora_orders WHERE table_name = ? AND "
                                   "order_name = ? ORDER BY place");
        fields.bindText(1, table_);
        fields.bindText(2, name);
        while (fields.step())
            columns.emplace_back(fields.columnText(0));
        if (!columns.empty())
            return columns;
    }
    Statement info =
        prepare("SELECT a.attname FROM pg_class c JOIN pg_index i ON i.indexrelid = c.oid "
                "CROSS JOIN LATERAL unnest(i.indkey::int2[]) WITH ORDINALITY AS k(attnum, place) "
                "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = k.attnum "
                "WHERE c.relname = ? AND c.relnamespace = current_schema()::regnamespace "
                "ORDER BY k.place");
    info.bindText(1, table_ + "." + name);
    while (info.step())
        columns.emplace_back(info.columnText(0));
    if (columns.empty())
        return std::nullopt;
    return columns;
}

std::int64_t PostgresDatabase::dataVersion() {
    Statement version = prepare("SELECT version FROM mivora_versions WHERE name = ?");
    version.bindText(1, table_);
    return version.step() ? version.columnInt(0) : 0;
}

void PostgresDatabase::beginWriteAfter(const std::function<void()>& read) {
    WriteTransaction write(*this);
    read();
    write.release();
}

// The copies live beside the table: a copy is one statement of the server,
// and a whole replacement renames tables instead of copying and deleting records.
std::vector<std::string> PostgresDatabase::tablesStartingWith(const std::string& prefix) {
    Statement names = prepare("SELECT relname FROM pg_class WHERE relnamespace = "
                              "current_schema()::regnamespace AND relkind = 'r' AND "
                              "starts_with(relname, ?)");
    names.bindText(1, prefix);
    std::vector<std::string> found;
    while (names.step())
        found.emplace_back(names.columnText(0));
    return found;
}

long long PostgresDatabase::recordsOf(const std::string& table) {
    Statement count = prepare("SELECT count(*) FROM " + quoteName(table));
    return count.step() ? count.columnInt(0) : 0;
}

void PostgresDatabase::copyTableTo(const std::string& copy) {
    exec("CREATE TABLE " + quoteName(copy) + " AS SELECT * FROM " + tableName() +
         " ORDER BY rowid");
}

void PostgresDatabase::dropTable(const std::string& table) {
    exec("DROP TABLE " + quoteName(table));
}

// A copy that a version before the copies on the server wrote into the data folder.
void PostgresDatabase::loadCopy(const fs::path& file) {
    SqliteDatabase source(file, false);
    WriteTransaction write(*this);
    exec("DELETE FROM " + tableName());
    copyRecords(source, *this, tableName());
    write.commit();
}

void PostgresDatabase::replaceRecordsFrom(const std::string& copy) {
    WriteTransaction write(*this);
    std::string names;
    for (const ColumnInfo& column : tableColumns(copy))
        names += (names.empty() ? "" : ", ") + quoteName(column.name);
    exec("DELETE FROM " + tableName());
    exec("INSERT INTO " + tableName() + " (" + names + ") SELECT " + names + " FROM " +
         quoteName(copy) + " ORDER BY rowid");
    write.commit();
}

namespace {

std::string changeCounterSql(const std::string& table) {
    return "CREATE TRIGGER " + quoteName(table + ".changes") +
           " AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON " + quoteName(table) +
           " FOR EACH STATEMENT EXECUTE FUNCTION mivora_count_change()";
}

} // namespace

// Only a table as the program made it gives its place: owned by this clerk, with
// no rights granted to others, no index but its key, no trigger but its change
// counter, and nothing else of the server (a view, a foreign key) pointing at it,
// all of which would stay with the old table.
std::string PostgresDatabase::stageReplacement() {
    Statement plain = prepare(
        "SELECT i.indexrelid::regclass::text, pg_get_serial_sequence(c.oid::regclass::text, "
        "'rowid') FROM pg_class c JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary "
        "WHERE c.oid = to_regclass(?) AND c.relkind = 'r' AND c.relacl IS NULL AND "
        "NOT c.relhasrules AND NOT c.relrowsecurity AND NOT c.relhassubclass AND "
        "pg_has_role(c.relowner, 'USAGE') AND has_schema_privilege(c.relnamespace, 'CREATE') "
        "AND (SELECT count(*) FROM pg_index o WHERE o.indrelid = c.oid) = 1 "
        "AND (SELECT array_agg(t.tgname) FROM pg_trigger t WHERE t.tgrelid = c.oid AND "
        "NOT t.tgisinternal) = ARRAY[?]::name[] "
        "AND NOT EXISTS (SELECT 1 FROM pg_depend d WHERE d.refobjid = c.oid AND "
        "d.classid = 'pg_rewrite'::regclass) "
        "AND NOT EXISTS (SELECT 1 FROM pg_constraint f WHERE f.confrelid = c.oid) "
        "AND NOT EXISTS (SELECT 1 FROM pg_inherits h WHERE h.inhrelid = c.oid)");
    plain.bindText(1, tableName());
    plain.bindText(2, table_ + ".changes");
    if (!plain.step() || plain.isNull(1))
        return {};
    replaced_.key = plain.columnText(0);
    replaced_.sequence = plain.columnText(1);
    Statement next = prepare("SELECT nextval(?)");
    next.bindText(1, replaced_.sequence);
    next.step();
    replaced_.firstRowid = replaced_.nextRowid = next.columnInt(0);
    exec("CREATE TABLE " + quoteName(stagedName()) + " (LIKE " + tableName() +
         " INCLUDING DEFAULTS)");
    return quoteName(stagedName());
}

// The key is built before the table is locked against readers, which then wait
// only for the renaming.
void PostgresDatabase::putReplacementInPlace(const std::string& keepAs) {
    const Replaced replaced = std::exchange(replaced_, {});
    const std::string staged = quoteName(stagedName()), newKey = quoteName(stagedName() + ".key");
    if (replaced.nextRowid != replaced.firstRowid) {
        Statement numbered = prepare("SELECT setval(?, ?)");
        numbered.bindText(1, replaced.sequence);
        numbered.bindInt(2, replaced.nextRowid - 1);
        numbered.step();
    }
    exec("ALTER TABLE " + staged + " ADD CONSTRAINT " + newKey + " PRIMARY KEY (rowid)");
    exec("ALTER TABLE " + tableName() + " RENAME TO " + quoteName(keepAs));
    exec("ALTER INDEX " + replaced.key + " RENAME TO " + quoteName(keepAs + ".key"));
    exec("DROP TRIGGER " + quoteName(table_ + ".changes") + " ON " + quoteName(keepAs));
    exec("ALTER TABLE " + quoteName(keepAs) + " ALTER COLUMN rowid DROP DEFAULT");
    exec("ALTER TABLE " + staged + " RENAME TO " + tableName());
    exec("ALTER INDEX " + newKey + " RENAME TO " + quoteName(table_ + "_pkey"));
    exec("ALTER SEQUENCE " + replaced.sequence + " OWNED BY " + tableName() + ".rowid");
    exec(changeCounterSql(table_));
    Statement count = prepare("UPDATE mivora_versions SET version = version + 1 WHERE name = ?");
    count.bindText(1, table_);
    count.step();
}

void PostgresDatabase::createTables(Indexes indexes) {
    WriteTransaction write(*this);
    for (const TableDef* table : allTables()) {
        Statement exists = prepare("SELECT 1 FROM information_schema.tables WHERE table_schema "
                                   "= current_schema() AND table_name = ?");
        exists.bindText(1, serverTableName(*table));
        if (exists.step())
            throw FileError("データベースサーバーにテーブル " + serverTableName(*table) +
                            " は既にあります。既存のデータは上書きしません。");
    }
    exec("CREATE TABLE IF NOT EXISTS mivora_versions (name text PRIMARY KEY, "
         "version bigint NOT NULL DEFAULT 0)");
    exec(kShiftJisFunction);
    exec("CREATE OR REPLACE FUNCTION mivora_count_change() RETURNS trigger LANGUAGE plpgsql AS "
         "$$ BEGIN UPDATE mivora_versions SET version = version + 1 WHERE name = TG_TABLE_NAME; "
         "RETURN NULL; END $$");
    for (const TableDef* table : allTables()) {
        const std::string name = serverTableName(*table);
        exec(createTableSql(quoteName(name), columnsOf(*table), true));
        exec("INSERT INTO mivora_versions (name) VALUES ('" + name +
             "') ON CONFLICT (name) DO NOTHING");
        exec(changeCounterSql(name));
    }
    if (indexes == Indexes::Now)
        createIndexes();
    write.commit();
}

// The program orders the records itself: the server keeps only which fields each
// named order has. An index of the server would refuse a record whose fields are
// longer together than a third of a page (a long address), which a file takes.
void PostgresDatabase::createIndexes() {
    exec("CREATE TABLE IF NOT EXISTS mivora_orders (table_name text, order_name text, "
         "place integer, field text, PRIMARY KEY (table_name, order_name, place))");
    Statement add = prepare("INSERT INTO mivora_orders VALUES (?, ?, ?, ?)");
    for (const TableDef* table : allTables()) {
        for (const IndexDef& index : table->indexes) {
            for (std::size_t place = 0; place < index.fields.size(); ++place) {
                add.reset();
                add.bindText(1, serverTableName(*table));
                add.bindText(2, index.name);
                add.bindInt(3, static_cast<std::int64_t>(place));
                add.bindText(4, index.fields[place]);
                add.step();
            }
        }
    }
}

// Notepad starts a file with a byte order mark and may leave blanks at the end.
std::optional<std::string> serverOf(const fs::path& dataFolder) {
    const fs::path file = findFile(dataFolder, "CARDATA.conn");
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    std::string line;
    std::getline(in, line);
    if (line.starts_with("\xEF\xBB\xBF"))
        line.erase(0, 3);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    if (line.empty())
        throw ConnectionError(pathText(file) +
                              " の 1 行目が空です。データベースサーバーの接続文字列 "
                              "(例: host=server dbname=mivora user=clerk) を書いてください。");
    return line;
}

bool holdsPassword(const std::string& connection) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connection.c_str(), &error);
    if (!options) {
        // Neither the string nor libpq's message, which quotes it: it may hold a password.
        PQfreemem(error);
        throw DatabaseError(
            "接続文字列を読めません。「キーワード=値」を空白で区切って書いてください "
            "(例: host=server dbname=mivora user=clerk)。");
    }
    bool found = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        found = found || (option->val && std::string(option->keyword) == "password");
    PQconninfoFree(options);
    return found;
}

std::string serverTableName(const TableDef& table) {
    return pathText(pathOf({}, table.file).stem());
}

} // namespace mivora
