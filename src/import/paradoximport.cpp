#include "import/paradoximport.h"

#include "import/paradoxtable.h"
#include "store/datafolder.h"
#include "store/table.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <algorithm>
#include <memory>
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

// Settings files, choice files and form images are read by this program as they
// are. The sibling's one-shot request file stays behind: in the new folder it
// would print at the first start.
bool isCopied(const fs::directory_entry& entry) {
    if (!entry.is_regular_file())
        return false;
    std::string name = lowered(entry.path().filename().string());
    std::string extension = lowered(entry.path().extension().string());
    return name != "mivora.ini" &&
           (extension == ".ini" || extension == ".jpg" || extension == ".bmp");
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
    for (const TableDef* table : allTables())
        if (fs::exists(findFile(target / "CARDATA", table->file)))
            refuseTarget(target, "テーブル " + table->file + " が既にあります");
    for (const fs::path& file : copies)
        if (fs::exists(target / file.filename()))
            refuseTarget(target, "ファイル " + pathText(file.filename()) + " が既にあります");
}

// A hidden folder beside the target that receives everything; it takes the
// target's place only once complete, and disappears when the import fails.
class StagingFolder {
  public:
    explicit StagingFolder(const fs::path& target) {
        fs::create_directories(target.parent_path());
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            fs::path candidate = target.parent_path() / ("." + target.filename().string() +
                                                         ".import-" + std::to_string(random()));
            if (fs::create_directory(candidate))
                path_ = candidate;
        }
        if (path_.empty())
            throw FileError("作業フォルダを " + pathText(target.parent_path()) + " に作れません。");
    }
    ~StagingFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    const fs::path& path() const { return path_; }

    void moveTo(const fs::path& target) {
        if (fs::exists(target))
            moveEntries(path_, target);
        else
            fs::rename(path_, target);
    }

  private:
    // Into a target that exists: checkTarget made sure no file is in the way.
    static void moveEntries(const fs::path& from, const fs::path& to) {
        for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
            fs::path place = to / entry.path().filename();
            if (entry.is_directory() && fs::is_directory(place))
                moveEntries(entry.path(), place);
            else
                fs::rename(entry.path(), place);
        }
    }

    fs::path path_;
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
    std::vector<fs::path> copies = filesToCopy(folders.oldProgram);
    checkTarget(folders, copies);

    // Every old table is opened and checked before anything is written.
    std::vector<std::unique_ptr<ParadoxTable>> oldTables;
    int total = 0;
    for (const TableDef* def : allTables()) {
        oldTables.push_back(std::make_unique<ParadoxTable>(findFile(folders.paradox, def->file)));
        total += oldTables.back()->recordCount();
    }

    StagingFolder staging(folders.newProgram);
    fs::path dataFolder = staging.path() / "CARDATA";
    createTables(dataFolder, Indexes::Later);
    ImportReport report;
    ProgressCount count(progress, total);
    count.report();
    for (std::size_t i = 0; i < oldTables.size(); ++i)
        report.tables.push_back(
            importTable(*oldTables[i], tablePath(dataFolder, *allTables()[i]), count));
    createIndexes(dataFolder);
    for (const fs::path& file : copies) {
        fs::copy_file(file, staging.path() / file.filename());
        report.copiedFiles.push_back(pathText(file.filename()));
    }
    staging.moveTo(folders.newProgram);
    return report;
}

} // namespace

ImportReport importParadox(const ImportFolders& given, const Progress& progress) {
    try {
        ImportFolders folders{
            normalFolder(given.oldProgram), normalFolder(given.newProgram),
            normalFolder(given.paradox.empty() ? given.oldProgram / "CARDATA" : given.paradox)};
        return importInto(folders, progress);
    } catch (const fs::filesystem_error& error) {
        throw FileError("ファイルまたはフォルダ " + pathText(error.path1()) + " を扱えません。(" +
                        error.code().message() + ")");
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
