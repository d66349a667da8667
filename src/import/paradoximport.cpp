#include "import/paradoximport.h"

#include "import/paradoxtable.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "store/datafolder.h"
#include "store/table.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <random>

namespace mivora {

namespace fs = std::filesystem;

namespace {

constexpr int kProgressStep = 1000;

std::string lowered(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

// The sibling program, whose presence turns on the fee figures of printing, and
// the postal list.
bool isKeptWhenPresent(const fs::path& file) {
    const std::string name = lowered(pathText(file.filename()));
    return name == "tessaly.exe" || name == "ken_all.csv";
}

// Settings files, choice files and form images are read by this program as they
// are. The sibling's one-shot request file stays behind: in the new folder it
// would print at the first start.
bool isCopied(const fs::directory_entry& entry) {
    if (!entry.is_regular_file())
        return false;
    std::string name = lowered(pathText(entry.path().filename()));
    std::string extension = lowered(pathText(entry.path().extension()));
    return isKeptWhenPresent(entry.path()) ||
           (name != "mivora.ini" &&
            (extension == ".ini" || extension == ".jpg" || extension == ".bmp"));
}

std::vector<fs::path> filesToCopy(const fs::path& oldProgram) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(oldProgram))
        if (isCopied(entry))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

fs::path normalFolder(const fs::path& folder) {
    fs::path normal = fs::weakly_canonical(fs::absolute(folder));
    return normal.filename().empty() ? normal.parent_path() : normal;
}

bool isWithin(const fs::path& inner, const fs::path& outer) {
    auto [end, _] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return end == outer.end();
}

void refuseTarget(const fs::path& target, const std::string& why) {
    throw FileError("取り込み先 " + pathText(target) + " には書き込みません。(" + why + ")");
}

void checkTarget(const ImportFolders& folders, const std::vector<fs::path>& copies) {
    const fs::path& target = folders.newProgram;
    if (isWithin(target, folders.oldProgram) || isWithin(target, folders.paradox))
        refuseTarget(target, "元のフォルダの中です");
    if (fs::exists(target) && !fs::is_directory(target))
        refuseTarget(target, "フォルダではなくファイルです");
    for (const TableDef* table : allTables())
        if (fs::exists(findFile(target / "CARDATA", table->file)))
            refuseTarget(target, "テーブル " + table->file + " が既にあります");
    for (const fs::path& file : copies)
        if (fs::exists(findFile(target, pathText(file.filename()))))
            refuseTarget(target, "ファイル " + pathText(file.filename()) + " が既にあります");
}

// A hidden work folder beside the target receives everything under new/; it
// takes the target's place only once complete, and disappears when the import
// fails. Its name does not grow with the target's, so a target whose name is
// near the limit still has a work folder. A lock file held for the life of the
// run tells a later run that this one still goes on: a killed run's folder is
// removed by the next one in the same folder.
constexpr std::string_view kWorkPrefix = ".mivora-import-";
constexpr const char* kLockName = "lock";
constexpr const char* kJournalName = "journal";
constexpr const char* kNewName = "new";

// Into a target that exists: checkTarget made sure no file is in the way, and
// what was moved before a run stopped is no longer in from.
void moveEntries(const fs::path& from, const fs::path& to) {
    for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
        fs::path place = to / entry.path().filename();
        if (entry.is_directory() && fs::is_directory(place))
            moveEntries(entry.path(), place);
        else if (!fs::exists(fs::symlink_status(place))) // what came since is never replaced
            fs::rename(entry.path(), place);
    }
}

void writeDurably(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out)
        throw fs::filesystem_error("write", file, std::make_error_code(std::errc::io_error));
    syncFile(file);
}

// Work folders of earlier versions: ".TARGET.import-DIGITS", with no lock in them.
bool isEarlierWorkName(const std::string& name) {
    const std::size_t at = name.rfind(".import-");
    return name.size() > 1 && name[0] == '.' && at != std::string::npos && at > 0 &&
           at + 8 < name.size() &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(at + 8), name.end(),
                       [](unsigned char c) { return std::isdigit(c); });
}

// Whether nothing in the folder was written for that long: a running import
// writes its table file all the time.
bool untouchedFor(const fs::path& folder, std::chrono::minutes quiet) {
    std::error_code error;
    auto newest = fs::last_write_time(folder, error);
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        newest = std::max(newest, it->last_write_time(error));
    return !error && fs::file_time_type::clock::now() - newest > quiet;
}

// A run that moved into an existing target and stopped midway left a journal
// naming it: the moves are finished, as the complete import they belong to.
// The target so finished, or nothing.
std::optional<fs::path> finishWorkFolder(const fs::path& work) {
    std::optional<fs::path> finished;
    const fs::path journal = work / kJournalName;
    if (fs::exists(journal) && fs::exists(work / kNewName)) {
        const fs::path target = pathOf({}, readBytes(journal));
        if (!target.empty() && fs::is_directory(target)) {
            moveEntries(work / kNewName, target);
            finished = target;
        }
    }
    fs::remove_all(work);
    return finished;
}

// Removes the work folders of killed runs in folder, finishing the moves of one
// that had its journal written; returns the targets so finished. Runs still
// going on are left alone.
std::vector<fs::path> finishStoppedImports(const fs::path& folder) {
    std::error_code error;
    std::vector<fs::path> stopped;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = pathText(it->path().filename());
        if (!it->is_directory())
            continue;
        if (name.starts_with(kWorkPrefix))
            stopped.push_back(it->path());
        else if (isEarlierWorkName(name) && untouchedFor(it->path(), std::chrono::minutes(10)))
            fs::remove_all(it->path());
    }
    std::vector<fs::path> finished;
    for (const fs::path& work : stopped) {
        OpenFile lock(work / kLockName, OpenFile::Mode::Read);
        // A run that has just made its folder takes the lock an instant later.
        const bool running =
            lock.isOpen() ? !lock.tryLock() : !untouchedFor(work, std::chrono::minutes(1));
        lock.close();
        if (!running)
            if (auto target = finishWorkFolder(work))
                finished.push_back(*target);
    }
    return finished;
}

class WorkFolder {
  public:
    explicit WorkFolder(const fs::path& target) {
        fs::create_directories(target.parent_path());
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08x", random());
            fs::path candidate = pathOf(target.parent_path(), std::string(kWorkPrefix) + hex);
            if (fs::create_directory(candidate))
                path_ = candidate;
        }
        if (path_.empty())
            throw FileError("作業フォルダを " + pathText(target.parent_path()) + " に作れません。");
        lock_ = OpenFile(path_ / kLockName, OpenFile::Mode::Keep);
        lock_.tryLock();
        fs::create_directory(content());
    }
    // Unlocked first: Windows removes no folder that holds an open file.
    ~WorkFolder() {
        lock_.close();
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // What becomes the target.
    fs::path content() const { return path_ / kNewName; }

    // One rename into a new target. Into an existing one the entries move one by
    // one, after a journal on disk names the target, so that a run stopped
    // between them is finished by the next.
    void moveTo(const fs::path& target) {
        if (!fs::exists(target)) {
            fs::rename(content(), target);
            return;
        }
        const fs::path written = path_ / "journal.new";
        writeDurably(written, pathText(target));
        fs::rename(written, path_ / kJournalName);
        syncFile(path_);
        moveEntries(content(), target);
    }

  private:
    fs::path path_;
    OpenFile lock_;
};

class ProgressCount {
  public:
    ProgressCount(const Progress& progress, int total) : progress_(progress), total_(total) {}
    void step() {
        if (++done_ % kProgressStep == 0 || done_ == total_)
            report();
    }
    void report() const {
        if (progress_ && !progress_(done_, total_))
            throw Cancelled();
    }

  private:
    const Progress& progress_;
    int total_;
    int done_ = 0;
};

std::vector<int> sourceFields(const ParadoxTable& old, const Table& table, TableImport& report) {
    std::vector<int> sources;
    std::vector<bool> used(old.fields().size(), false);
    for (const FieldInfo& field : table.fields()) {
        int source = -1;
        for (std::size_t j = 0; j < old.fields().size() && source < 0; ++j)
            if (!used[j] && old.fields()[j].name == field.name)
                source = static_cast<int>(j);
        if (source < 0) {
            report.emptyFields.push_back(field.column);
        } else {
            used[static_cast<std::size_t>(source)] = true;
            int type = old.fields()[static_cast<std::size_t>(source)].type;
            if (!ParadoxTable::converts(type, field.type))
                old.fail("項目「" + field.column + "」の型 (" + ParadoxTable::typeName(type) +
                         ") は取り込めません");
        }
        sources.push_back(source);
    }
    for (std::size_t j = 0; j < used.size(); ++j)
        if (!used[j])
            report.skippedFields.push_back(toUtf8(old.fields()[j].name));
    return sources;
}

TableImport importTable(ParadoxTable& old, const fs::path& file, ProgressCount& progress) {
    TableImport report;
    report.file = pathText(file.filename());
    Table table(file);
    table.open();
    std::vector<int> sources = sourceFields(old, table, report);
    std::vector<std::string> values(sources.size());
    table.transaction([&] {
        old.forEachRecord([&] {
            ++report.read;
            for (std::size_t i = 0; i < sources.size(); ++i)
                values[i] =
                    sources[i] < 0 ? std::string() : old.value(sources[i], table.fields()[i].type);
            table.insertRecord(values);
            ++report.written;
            progress.step();
        });
    });
    table.close();
    return report;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : "、") + name;
    return text;
}

ImportReport importInto(const ImportFolders& folders, const Progress& progress) {
    const std::vector<fs::path> finished = finishStoppedImports(folders.newProgram.parent_path());
    if (std::find(finished.begin(), finished.end(), folders.newProgram) != finished.end())
        refuseTarget(folders.newProgram,
                     "前回の取り込みが途中で止まっていたため、その続きを済ませました。"
                     "取り込みはこれで終わっています");
    std::vector<fs::path> copies = filesToCopy(folders.oldProgram);
    // The sibling and the postal list that the target already has are its own.
    std::erase_if(copies, [&](const fs::path& file) {
        return isKeptWhenPresent(file) &&
               fs::exists(findFile(folders.newProgram, pathText(file.filename())));
    });
    checkTarget(folders, copies);

    // Every old table is opened and checked before anything is written.
    std::vector<std::unique_ptr<ParadoxTable>> oldTables;
    int total = 0;
    for (const TableDef* def : allTables()) {
        oldTables.push_back(std::make_unique<ParadoxTable>(findFile(folders.paradox, def->file)));
        total += oldTables.back()->recordCount();
    }

    WorkFolder staging(folders.newProgram);
    fs::path dataFolder = staging.content() / "CARDATA";
    createTables(dataFolder, Indexes::Later);
    ImportReport report;
    ProgressCount count(progress, total);
    count.report();
    for (std::size_t i = 0; i < oldTables.size(); ++i)
        report.tables.push_back(
            importTable(*oldTables[i], tablePath(dataFolder, *allTables()[i]), count));
    createIndexes(dataFolder);
    for (const fs::path& file : copies) {
        fs::copy_file(file, staging.content() / file.filename());
        report.copiedFiles.push_back(pathText(file.filename()));
    }
    staging.moveTo(folders.newProgram);
    return report;
}

} // namespace

ImportReport importParadox(const ImportFolders& given, const Progress& progress) {
    try {
        ImportFolders folders{normalFolder(given.oldProgram), normalFolder(given.newProgram),
                              normalFolder(given.paradox.empty()
                                               ? findFile(given.oldProgram, "CARDATA")
                                               : given.paradox)};
        return importInto(folders, progress);
    } catch (const fs::filesystem_error& error) {
        throw FileError("ファイルまたはフォルダ " + pathText(error.path1()) + " を扱えません。(" +
                        systemReason(error.code()) + ")");
    }
}

std::vector<std::string> reportLines(const ImportReport& report) {
    std::vector<std::string> lines;
    for (const TableImport& table : report.tables) {
        lines.push_back(table.file + ": " + std::to_string(table.read) + " 件を読み込み、" +
                        std::to_string(table.written) + " 件を書き込みました。");
        if (!table.skippedFields.empty())
            lines.push_back("  このプログラムにない項目 (取り込みません): " +
                            joined(table.skippedFields));
        if (!table.emptyFields.empty())
            lines.push_back("  元のテーブルにない項目 (空のままです): " +
                            joined(table.emptyFields));
    }
    lines.push_back("コピーしたファイル (" + std::to_string(report.copiedFiles.size()) +
                    " 件): " + joined(report.copiedFiles));
    return lines;
}

bool holdsParadoxTables(const fs::path& dataFolder) {
    return isParadoxTable(findFile(dataFolder, vehicleTable().file));
}

} // namespace mivora
