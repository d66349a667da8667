#include "store/safetycopy.h"

#include "platform/files.h"
#include "platform/localtime.h"
#include "platform/paths.h"
#include "store/postgres.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/table.h"
#include "text/errors.h"
#include "text/lines.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <ctime>
#include <system_error>

namespace mivora {

namespace fs = std::filesystem;

namespace {

fs::path safetyFolder(const Table& table) {
    return table.file().parent_path() / "safety";
}

std::string tableStem(const Table& table) {
    return pathText(table.file().stem());
}

std::string localStamp() {
    const std::tm local = localTimeOf(std::time(nullptr));
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// The parts of a copy's name: STEM-YYYYMMDD-HHMMSS[-N].db.
struct CopyName {
    std::string stamp; // YYYYMMDD-HHMMSS
    int sequence = 1;
};

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool parseCopyName(const std::string& stem, const std::string& name, CopyName& parsed) {
    const std::string prefix = stem + "-", suffix = ".db";
    if (name.size() < prefix.size() + 15 + suffix.size() ||
        name.compare(0, prefix.size(), prefix) ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix))
        return false;
    std::string_view rest(name);
    rest = rest.substr(prefix.size(), rest.size() - prefix.size() - suffix.size());
    if (rest[8] != '-' || !allDigits(rest.substr(0, 8)) || !allDigits(rest.substr(9, 6)))
        return false;
    parsed.stamp = std::string(rest.substr(0, 15));
    parsed.sequence = 1;
    if (rest.size() == 15)
        return true;
    std::string_view sequence = rest.substr(15);
    if (sequence[0] != '-' || !allDigits(sequence.substr(1)) || sequence.size() > 6)
        return false;
    std::from_chars(sequence.data() + 1, sequence.data() + sequence.size(), parsed.sequence);
    return parsed.sequence > 1;
}

std::string shownTime(const std::string& stamp) {
    return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " +
           stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" + stamp.substr(13, 2);
}

long long recordsIn(const fs::path& file) {
    try {
        SqliteDatabase db(file, false);
        Statement count = db.prepare("SELECT count(*) FROM records");
        return count.step() ? count.columnInt(0) : -1;
    } catch (const DatabaseError&) {
        return -1;
    }
}

struct Found {
    CopyName name;
    fs::path file;
    std::string onServer = {}; // the copy's table, for a copy on the server
};

// On a server the copies are tables beside the table, seen by every PC; copies
// in the data folder that an earlier version wrote are listed with them.
PostgresDatabase* copiesServer(Table& table) {
    return dynamic_cast<PostgresDatabase*>(&table.database());
}

// Newest first.
std::vector<Found> copiesOf(const Table& table, PostgresDatabase* server) {
    std::vector<Found> found;
    CopyName parsed;
    for (const std::string& name :
         server ? server->tablesStartingWith(tableStem(table) + "-") : std::vector<std::string>())
        if (parseCopyName(tableStem(table), name, parsed))
            found.push_back({parsed, pathOf({}, name), name});
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(safetyFolder(table), error)) {
        CopyName name;
        if (entry.is_regular_file(error) &&
            parseCopyName(tableStem(table), pathText(entry.path().filename()), name))
            found.push_back({name, entry.path()});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.name.stamp != b.name.stamp ? a.name.stamp > b.name.stamp
                                            : a.name.sequence > b.name.sequence;
    });
    return found;
}

// The sequence of the newest copy of this second.
int lastSequence(const std::vector<Found>& copies, const std::string& stamp) {
    int sequence = 0;
    for (const Found& found : copies)
        if (found.name.stamp == stamp)
            sequence = std::max(sequence, found.name.sequence);
    return sequence;
}

std::string copyName(const Table& table, const std::string& stamp, int sequence) {
    const std::string base = tableStem(table) + "-" + stamp;
    return sequence == 1 ? base + ".db" : base + "-" + std::to_string(sequence) + ".db";
}

// A copy being written has a ".part" file that is written to all along; one left
// alone this long belongs to a process that was killed.
constexpr auto kStalePartAge = std::chrono::minutes(10);

void removeStaleParts(const Table& table) {
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    const std::string prefix = tableStem(table) + "-";
    for (const auto& entry : fs::directory_iterator(safetyFolder(table), error)) {
        const std::string name = pathText(entry.path().filename());
        if (!name.starts_with(prefix) || !name.ends_with(".db.part"))
            continue;
        std::error_code ignored;
        const auto written = fs::last_write_time(entry.path(), ignored);
        if (!ignored && now - written > kStalePartAge)
            fs::remove(entry.path(), ignored);
    }
}

void removeOldest(const Table& table, PostgresDatabase* server) {
    std::vector<Found> copies = copiesOf(table, server);
    std::error_code error;
    for (std::size_t i = kSafetyCopiesKept; i < copies.size(); ++i) {
        if (!copies[i].onServer.empty())
            server->dropTable(copies[i].onServer);
        else
            fs::remove(copies[i].file, error);
    }
    removeStaleParts(table);
}

// Creates file if no one has; false when it exists.
bool createExclusively(const fs::path& file) {
    const OpenFile created(file, OpenFile::Mode::CreateNew);
    if (!created.isOpen()) {
        if (errno == EEXIST)
            return false;
        throw std::system_error(errno, std::generic_category(), pathText(file));
    }
    return true;
}

// Takes a name after every copy of this second (even when older ones of it were
// removed) by creating its ".part" file, which no other process then takes; the
// name is free when no finished copy has it. Returns the final name.
fs::path reserveCopyPath(const Table& table) {
    const std::string stamp = localStamp();
    int sequence = lastSequence(copiesOf(table, nullptr), stamp);
    for (;;) {
        ++sequence;
        const fs::path file = pathOf(safetyFolder(table), copyName(table, stamp, sequence));
        const fs::path partial = pathOf({}, pathText(file) + ".part");
        if (!createExclusively(partial))
            continue;
        // Only after holding the part: a copy renamed into place before that is seen.
        if (!fs::exists(file))
            return file;
        fs::remove(partial);
    }
}

fs::path writeCopy(Table& table) {
    fs::path file = pathOf(safetyFolder(table), tableStem(table) + ".db");
    // Written under a name no listing takes for a copy, and renamed when complete.
    fs::path partial;
    try {
        fs::create_directories(safetyFolder(table));
        file = reserveCopyPath(table);
        partial = pathOf({}, pathText(file) + ".part");
        table.copyFileTo(partial);
        fs::rename(partial, file);
    } catch (const std::exception& error) {
        std::error_code ignored;
        if (!partial.empty())
            fs::remove(partial, ignored);
        throw FileError("安全のためのコピー " + pathText(file) +
                        " を作成できないため、処理を中止しました (" + error.what() + ")。");
    }
    return file;
}

// The fields of the table as the program defines it: what it holds now may be
// what a mistake put there.
std::vector<FieldDef> definedFields(const Table& table) {
    for (const TableDef* def : allTables())
        if (def->file == pathText(table.file().filename()))
            return def->fields;
    std::vector<FieldDef> fields;
    for (const FieldInfo& field : table.fields())
        fields.push_back({field.column, field.type});
    return fields;
}

// Under the table's lock, which every copy of it on the server is written
// under, the name after those of this second is free.
std::string newServerCopyName(const Table& table, PostgresDatabase& server) {
    const std::string stamp = localStamp();
    return copyName(table, stamp, lastSequence(copiesOf(table, &server), stamp) + 1);
}

std::string writeServerCopy(Table& table, PostgresDatabase& server) {
    const std::string name = newServerCopyName(table, server);
    server.copyTableTo(name);
    return name;
}

// A copy that the table would not take as its own is refused before anything is
// replaced: its fields must be the table's, in the same order and of the same types.
void requireCopyOf(const Table& table, const Found& found, PostgresDatabase* server) {
    const fs::path copy = found.file;
    std::vector<ColumnInfo> columns;
    try {
        columns = found.onServer.empty() ? SqliteDatabase(copy, false).columns()
                                         : server->tableColumns(found.onServer);
    } catch (const DatabaseError& error) {
        throw FileError("安全のためのコピー " + pathText(copy.filename()) + " を読めません (" +
                        error.what() + ")。何も変更していません。");
    }
    const std::vector<FieldDef> fields = definedFields(table);
    for (std::size_t i = 0; i < std::max(columns.size(), fields.size()); ++i) {
        if (i < columns.size() && i < fields.size() && columns[i].name == fields[i].name &&
            fieldTypeOf(columns[i].declared) == fields[i].type)
            continue;
        const std::string field = i < fields.size() ? fields[i].name : columns[i].name;
        throw FileError("安全のためのコピー " + pathText(copy.filename()) + " は " +
                        pathText(table.file().filename()) + " のコピーではありません (項目「" +
                        field + "」が違います)。何も変更していません。");
    }
}

} // namespace

fs::path writeSafetyCopy(Table& table) {
    PostgresDatabase* server = copiesServer(table);
    fs::path file;
    if (server)
        table.transaction([&] { file = pathOf({}, writeServerCopy(table, *server)); });
    else
        file = writeCopy(table);
    removeOldest(table, server);
    return file;
}

void replaceViewAfterSafetyCopy(Table& table, const std::function<void()>& load) {
    const auto replace = [&] {
        table.loadTransaction([&] {
            table.removeAll();
            load();
        });
    };
    PostgresDatabase* server = copiesServer(table);
    if (!server) {
        table.transactionAfter([&] { writeSafetyCopy(table); }, replace);
        return;
    }
    table.transaction([&] {
        // The table with the old records becomes the copy.
        if (!table.replaceWholeTable(newServerCopyName(table, *server), load)) {
            writeServerCopy(table, *server);
            replace();
        }
        removeOldest(table, server);
    });
}

std::vector<SafetyCopy> listSafetyCopies(const Table& table) {
    std::optional<PostgresDatabase> server;
    if (std::optional<std::string> connection = serverOf(table.file().parent_path()))
        server.emplace(*connection, "");
    std::vector<SafetyCopy> copies;
    for (const Found& found : copiesOf(table, server ? &*server : nullptr)) {
        long long records = -1;
        if (found.onServer.empty())
            records = recordsIn(found.file);
        else
            try {
                records = server->recordsOf(found.onServer);
            } catch (const DatabaseError&) {
            }
        copies.push_back(
            {pathText(found.file.filename()), found.file, shownTime(found.name.stamp), records});
    }
    return copies;
}

int recoverSafetyCopy(Table& table, const std::string& name) {
    const std::string wanted = name.ends_with(".db") ? name : name + ".db";
    PostgresDatabase* server = copiesServer(table);
    std::vector<Found> copies = copiesOf(table, server);
    auto chosen = std::find_if(copies.begin(), copies.end(), [&](const Found& found) {
        return pathText(found.file.filename()) == wanted;
    });
    if (chosen == copies.end())
        throw FileError("安全のためのコピー「" + name + "」が " + pathText(safetyFolder(table)) +
                        " にありません。");
    requireCopyOf(table, *chosen, server);
    if (server) {
        table.transaction([&] {
            writeServerCopy(table, *server);
            if (chosen->onServer.empty())
                server->loadCopy(chosen->file);
            else
                server->replaceRecordsFrom(chosen->onServer);
            removeOldest(table, server);
        });
        table.refresh();
    } else {
        writeCopy(table);
        table.replaceFileFrom(chosen->file);
        removeOldest(table, server); // only now: the chosen copy may be the oldest of the ten
    }
    return table.recordCount();
}

} // namespace mivora
