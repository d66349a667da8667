#include "items/postalupdate.h"

#include "items/postal.h"
#include "platform/files.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <string_view>
#include <system_error>

#ifndef _WIN32
#endif

namespace mivora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kListName = "KEN_ALL.CSV";
constexpr std::size_t kFieldsPerLine = 15;
constexpr std::size_t kCodeField = 2;
// The published list is about 12 MB; anything far larger is no list (or a zip
// bomb) and is not unpacked.
constexpr zip_uint64_t kMaxListBytes = 64u << 20;
// A month changes a few hundred lines of some 125,000. A list that shrinks by a
// tenth has lost part of itself on the way.
constexpr std::size_t kMaxShrinkPercent = 10;
// A list that lost one prefecture is still 97 % of the whole: each prefecture is
// weighed on its own. The smallest has some 700 lines; a month takes a few of
// them, never a twentieth.
constexpr std::size_t kMaxPrefectureShrinkPercent = 5;
constexpr std::size_t kUsualChurnLines = 10;

constexpr std::size_t kPrefectureField = 6;

constexpr const char* kUnchanged = "今の KEN_ALL.CSV はそのままです。";

// Addresses whose codes have stood for decades, from the first lines of the list,
// its middle and its last lines: a list that answers them is whole and the list of
// this country.
struct KnownAddress {
    const char* address;
    const char* code;
};
constexpr std::array<KnownAddress, 3> kKnownAddresses{{
    {"北海道札幌市中央区", "0600000"},
    {"東京都中央区", "1030000"},
    {"沖縄県八重山郡与那国町与那国", "9071801"},
}};

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipCloser>;
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

[[noreturn]] void refuse(const fs::path& zipFile, const std::string& why) {
    throw FileError(pathText(zipFile) + " " + why + kUnchanged);
}

ZipArchive openZip(const fs::path& zipFile) {
    int code = 0;
    zip_t* archive = zip_open(pathText(zipFile).c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive)
        refuse(zipFile, "を zip ファイルとして開けません（" + zipErrorText(code) + "）。");
    return ZipArchive(archive);
}

// The bytes of the archive's KEN_ALL.CSV, in whatever folder and letter case it
// was packed.
std::string unpackList(const fs::path& zipFile) {
    ZipArchive archive = openZip(zipFile);
    const zip_int64_t index =
        zip_name_locate(archive.get(), kListName, ZIP_FL_NOCASE | ZIP_FL_NODIR);
    if (index < 0)
        refuse(zipFile, "に KEN_ALL.CSV が入っていません。");
    zip_stat_t stat;
    if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        refuse(zipFile, "の KEN_ALL.CSV の大きさが読めません（" +
                            std::string(zip_strerror(archive.get())) + "）。");
    if (stat.size > kMaxListBytes)
        refuse(zipFile, "の KEN_ALL.CSV は " + std::to_string(stat.size) +
                            " バイトあり、郵便番号簿としては大きすぎます。");
    ZipFile file(zip_fopen_index(archive.get(), index, 0));
    if (!file)
        refuse(zipFile, "の KEN_ALL.CSV を取り出せません（" +
                            std::string(zip_strerror(archive.get())) + "）。");
    const auto damaged = [&](zip_int64_t got) {
        refuse(zipFile, "の KEN_ALL.CSV が壊れています（" +
                            std::string(got < 0    ? zip_file_strerror(file.get())
                                        : got == 0 ? "data shorter than its stated size"
                                                   : "data longer than its stated size") +
                            "）。");
    };
    std::string bytes(stat.size, '\0');
    for (zip_uint64_t read = 0; read < stat.size;) {
        const zip_int64_t got = zip_fread(file.get(), bytes.data() + read, stat.size - read);
        if (got <= 0)
            damaged(got);
        read += static_cast<zip_uint64_t>(got);
    }
    // The checksum is compared once the last byte has been read.
    char beyond;
    if (const zip_int64_t got = zip_fread(file.get(), &beyond, 1); got != 0)
        damaged(got);
    return bytes;
}

// Calls visit(line, number) for each line that is not empty, without its line end;
// the number of such lines.
template <typename Visit> std::size_t forEachLine(std::string_view bytes, Visit visit) {
    std::size_t count = 0;
    std::size_t number = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos = end + 1;
        ++number;
        if (line.empty())
            continue;
        ++count;
        if (!visit(line, number))
            break;
    }
    return count;
}

bool isQuotedCode(std::string_view field) {
    return field.size() == 9 && field.front() == '"' && field.back() == '"' &&
           std::all_of(field.begin() + 1, field.end() - 1,
                       [](char c) { return c >= '0' && c <= '9'; });
}

// The fault of the first line that is not of the published form, if any.
std::string lineFault(std::string_view line, std::size_t number) {
    const std::size_t fields = std::count(line.begin(), line.end(), ',') + 1;
    if (fields != kFieldsPerLine)
        return std::to_string(number) + " 行目の項目が " + std::to_string(kFieldsPerLine) +
               " 個ではなく " + std::to_string(fields) + " 個です";
    std::size_t start = 0;
    for (std::size_t field = 0; field < kCodeField; ++field)
        start = line.find(',', start) + 1;
    if (!isQuotedCode(line.substr(start, line.find(',', start) - start)))
        return std::to_string(number) + " 行目の郵便番号が 7 桁の数字ではありません";
    return {};
}

std::size_t countLines(std::string_view bytes) {
    return forEachLine(bytes, [](std::string_view, std::size_t) { return true; });
}

// The lines of each prefecture, by the CP932 name in the line; lines without the
// field are not counted.
std::map<std::string, std::size_t, std::less<>> linesPerPrefecture(std::string_view bytes) {
    std::map<std::string, std::size_t, std::less<>> lines;
    forEachLine(bytes, [&](std::string_view line, std::size_t) {
        std::size_t start = 0;
        for (std::size_t field = 0; field < kPrefectureField; ++field) {
            const std::size_t comma = line.find(',', start);
            if (comma == std::string_view::npos)
                return true;
            start = comma + 1;
        }
        std::string_view name = line.substr(start, line.find(',', start) - start);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        const auto found = lines.find(name);
        if (found == lines.end())
            lines.emplace(name, 1);
        else
            ++found->second;
        return true;
    });
    return lines;
}

// The first prefecture that is missing or lost more than its usual churn; empty
// when none did.
std::string prefectureFault(std::string_view bytes, std::string_view previous) {
    const auto lines = linesPerPrefecture(bytes);
    const auto before = linesPerPrefecture(previous);
    const auto count = [](const auto& counts, const std::string& name) {
        const auto found = counts.find(name);
        return found == counts.end() ? std::size_t{0} : found->second;
    };
    for (const std::string& name : prefectureNames()) {
        const std::string prefecture = toUtf8(name);
        const std::size_t now = count(lines, name), was = count(before, name);
        if (now == 0)
            return prefecture + "の行がありません";
        if (now + kUsualChurnLines < was && now * 100 < was * (100 - kMaxPrefectureShrinkPercent))
            return prefecture + "の行が " + std::to_string(now) +
                   " 行しかなく、今の KEN_ALL.CSV の " + std::to_string(was) + " 行より " +
                   std::to_string(kMaxPrefectureShrinkPercent) + " % を超えて少なくなります";
    }
    return {};
}

[[noreturn]] void failWriting(const fs::path& target, int errorNumber) {
    throw FileError(std::string(fileFailure(target, FileAction::Write, errorNumber).what()) +
                    kUnchanged);
}

// Writes the bytes into `file`, which becomes `target` by a rename: a failure
// names the target, the file the person knows, and says why.
void writeFile(const fs::path& file, const fs::path& target, const std::string& bytes) {
    errno = 0;
    std::FILE* out = openStream(file, "wb");
    if (!out)
        failWriting(target, errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int writeFailure = errno;
    errno = 0;
    const bool closed = std::fclose(out) == 0;
    if (!written)
        failWriting(target, writeFailure);
    if (!closed)
        failWriting(target, errno);
    // What is renamed into place must be on the disk first, or a power cut could
    // leave an empty list behind the new name. A disk that cannot take the bytes
    // may say so only here.
    if (!syncFile(file))
        failWriting(target, errno);
}

// Removes a half-made file when leaving the scope before it was renamed into place.
class PendingFile {
  public:
    explicit PendingFile(fs::path path) : path_(std::move(path)) {}
    ~PendingFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

void renameInto(const fs::path& from, const fs::path& to) {
    if (!replaceFile(from, to))
        failWriting(to, errno);
}

// The new list and the copy of the old one are complete files before either takes
// its name; each rename replaces a whole file at once. Whether there was an old one.
bool replaceList(const std::string& bytes, const fs::path& programDir) {
    const fs::path list = findFile(programDir, kListName);
    PendingFile fresh(programDir / "KEN_ALL.CSV.new");
    writeFile(fresh.path(), list, bytes);
    std::error_code error;
    const bool previous = fs::exists(list, error);
    if (previous) {
        PendingFile copy(programDir / "KEN_ALL.CSV.bak.new");
        const fs::path backup = findFile(programDir, "KEN_ALL.CSV.bak");
        if (!copyFile(list, copy.path()))
            failWriting(backup, errno);
        if (!syncFile(copy.path()))
            failWriting(backup, errno);
        renameInto(copy.path(), backup);
    }
    renameInto(fresh.path(), list);
    syncFolder(programDir);
    return previous;
}

} // namespace

std::string postalListFault(const std::string& bytes, const std::string& previous) {
    std::string fault;
    const std::size_t lines = forEachLine(bytes, [&](std::string_view line, std::size_t number) {
        fault = lineFault(line, number);
        return fault.empty();
    });
    if (!fault.empty())
        return fault;
    if (lines == 0)
        return "中身が空です";
    const PostalList list(bytes);
    if (list.nonCp932LineCount() > 0)
        return std::to_string(list.nonCp932LineCount()) +
               " 行がシフトJIS (CP932) の文字になっていません";
    if (list.brokenLineCount() > 0)
        return std::to_string(list.brokenLineCount()) + " 行に都道府県名か市区町村名がありません";
    if (std::string fault = prefectureFault(bytes, previous); !fault.empty())
        return fault;
    for (const KnownAddress& known : kKnownAddresses)
        if (list.lookup(fromUtf8(known.address), 1).code != known.code)
            return std::string("「") + known.address + "」の郵便番号が " + known.code +
                   " になりません";
    const std::size_t previousLines = countLines(previous);
    if (lines * 100 < previousLines * (100 - kMaxShrinkPercent))
        return std::to_string(lines) + " 行しかなく、今の KEN_ALL.CSV の " +
               std::to_string(previousLines) + " 行より 1 割以上少なくなります";
    return {};
}

std::string installedMessage(const InstalledPostalList& installed) {
    std::string message = "郵便番号簿 " + pathText(installed.list) + " を " +
                          std::to_string(installed.lines) + " 行の新しいものにしました。";
    if (installed.keptPrevious)
        message += "前のものは " + pathText(installed.backup.filename()) + " に残しました。";
    return message;
}

InstalledPostalList installPostalList(const fs::path& zipFile, const fs::path& programDir) {
    const std::string bytes = unpackList(zipFile);
    // The list the lookup reads, whatever the case of its name.
    const fs::path list = findFile(programDir, kListName);
    std::error_code error;
    const std::string previous = fs::exists(list, error) ? readBytes(list) : std::string();
    if (const std::string fault = postalListFault(bytes, previous); !fault.empty())
        refuse(zipFile, "の KEN_ALL.CSV は郵便番号簿として使えません（" + fault + "）。");
    const bool keptPrevious = replaceList(bytes, programDir);
    return {countLines(bytes), keptPrevious, list, findFile(programDir, "KEN_ALL.CSV.bak")};
}

} // namespace mivora
