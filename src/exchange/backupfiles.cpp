#include "exchange/backupfiles.h"

#include "text/errors.h"
#include "text/lines.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <unistd.h>

namespace mivora {

namespace fs = std::filesystem;

namespace {

// Journals are ".mv" and six hex digits; their temporary files add "." and the
// file's index. Short, so that a target name of 255 bytes still has its temporary.
constexpr std::string_view kPrefix = ".mv";
constexpr std::size_t kTokenLength = 9;
constexpr std::string_view kJournalHeader{"mivora-backup\0", 14};

bool isToken(std::string_view name) {
    if (name.size() != kTokenLength || !name.starts_with(kPrefix))
        return false;
    for (char c : name.substr(kPrefix.size()))
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

fs::path temporaryOf(const fs::path& directory, const std::string& token, std::size_t index) {
    return directory / (token + "." + std::to_string(index));
}

std::string systemText() {
    return std::strerror(errno);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

constexpr off_t kWritebackBytes = 4 << 20;

// Asks the disk to start writing what was written so far, without waiting: a
// hint, whose failure commit's fsync reports.
void startWriteback(int fd, off_t from, off_t to) {
#ifdef __linux__
    ::sync_file_range(fd, from, to - from, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd, (void)from, (void)to;
#endif
}

// Makes the renames and removals in a folder durable.
bool syncDirectory(const fs::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Some file systems cannot sync a folder; their renames are as durable as they get.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

std::string journalText(const std::vector<fs::path>& targets) {
    std::string text(kJournalHeader);
    text += std::to_string(targets.size());
    text += '\0';
    for (const fs::path& target : targets) {
        text += target.filename().string();
        text += '\0';
    }
    return text;
}

// The target names of a complete journal; empty when it was cut short.
std::vector<std::string> journalTargets(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t got;
         (got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    if (!std::string_view(text).starts_with(kJournalHeader))
        return {};
    std::vector<std::string> parts;
    for (std::size_t pos = kJournalHeader.size(); pos < text.size();) {
        const std::size_t end = text.find('\0', pos);
        if (end == std::string::npos)
            return {};
        parts.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    if (parts.empty() || parts.front() != std::to_string(parts.size() - 1))
        return {};
    parts.erase(parts.begin());
    return parts;
}

// One journal found in a folder: finished, removed or, while its backup runs, left.
void finishJournal(const fs::path& directory, const std::string& token) {
    const fs::path journal = directory / token;
    const int fd = ::open(journal.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return; // its backup has just finished
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    // An incomplete journal is only removed: its temporary files go with the others
    // that have no journal.
    const std::vector<std::string> targets = journalTargets(fd);
    std::error_code ignored;
    std::string failed;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const fs::path temporary = temporaryOf(directory, token, i);
        if (!fs::exists(temporary, ignored) ||
            ::rename(temporary.c_str(), (directory / targets[i]).c_str()) == 0)
            continue;
        const std::string system = systemText();
        failed +=
            (failed.empty() ? "" : "、") + pathText(directory / targets[i]) + " (" + system + ")";
    }
    if (failed.empty()) {
        syncDirectory(directory);
        fs::remove(journal, ignored);
    }
    ::close(fd);
    if (!failed.empty())
        throw FileError("中断されたバックアップのファイル " + failed + " を置き換えられません。");
}

} // namespace

void finishStoppedBackups(const fs::path& directory) {
    std::error_code error;
    std::vector<std::string> journals;
    std::vector<std::string> temporaries;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (isToken(name))
            journals.push_back(name);
        else if (name.size() > kTokenLength + 1 && isToken(name.substr(0, kTokenLength)) &&
                 name[kTokenLength] == '.')
            temporaries.push_back(name);
    }
    for (const std::string& token : journals)
        finishJournal(directory, token);
    // Temporary files whose journal is gone were left by a backup stopped while it
    // tidied up; a backup that started meanwhile has its journal by now.
    std::error_code ignored;
    for (const std::string& name : temporaries)
        if (!fs::exists(directory / name.substr(0, kTokenLength), ignored))
            fs::remove(directory / name, ignored);
}

BackupFiles::BackupFiles(std::vector<fs::path> targets)
    : directory_(targets.front().parent_path()), targets_(std::move(targets)) {
    if (directory_.empty())
        directory_ = ".";
    finishStoppedBackups(directory_);
    try {
        createJournal();
        for (std::size_t i = 0; i < targets_.size(); ++i) {
            const int fd = ::open(temporaryOf(directory_, token_, i).c_str(),
                                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0)
                fail("を書き込めません", systemText());
            files_.push_back({fd});
        }
    } catch (...) {
        discard();
        throw;
    }
}

BackupFiles::~BackupFiles() {
    discard();
}

// Locked from its creation, so that another process tidying the folder sees that
// this backup is running.
void BackupFiles::createJournal() {
    std::random_device random;
    for (int attempt = 0; journal_ < 0; ++attempt) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06x", random() & 0xFFFFFFu);
        token_ = std::string(kPrefix) + hex;
        journal_ =
            ::open((directory_ / token_).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (journal_ < 0 && (errno != EEXIST || attempt == 16))
            fail("を書き込めません", systemText());
    }
    ::flock(journal_, LOCK_EX);
}

// What is not committed is removed. A committed journal that is still here names
// renames that failed: the next backup or restore in this folder does them.
void BackupFiles::discard() {
    std::error_code ignored;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (files_[i].fd >= 0)
            ::close(files_[i].fd);
        files_[i].fd = -1;
        if (!committed_)
            fs::remove(temporaryOf(directory_, token_, i), ignored);
    }
    if (journal_ < 0)
        return;
    if (!committed_)
        fs::remove(directory_ / token_, ignored);
    ::close(journal_);
    journal_ = -1;
}

void BackupFiles::fail(const char* what, const std::string& system, const char* note) const {
    std::string names;
    for (const fs::path& target : targets_)
        names += (names.empty() ? "" : "、") + pathText(target);
    throw FileError("バックアップファイル " + names + " " + what + " (" + system + ")。" + note);
}

void BackupFiles::write(std::size_t index, std::string_view bytes) {
    Temporary& file = files_.at(index);
    if (!writeAll(file.fd, bytes))
        fail("を書き込めません", systemText());
    // Megabytes reach the disk while the rest is being made, so that commit waits
    // for the last of them only.
    file.written += static_cast<off_t>(bytes.size());
    if (file.written - file.handedToDisk >= kWritebackBytes) {
        startWriteback(file.fd, file.handedToDisk, file.written);
        file.handedToDisk = file.written;
    }
}

void BackupFiles::commit() {
    for (Temporary& file : files_) {
        const bool synced = ::fsync(file.fd) == 0;
        const bool closed = ::close(file.fd) == 0;
        file.fd = -1;
        if (!synced || !closed)
            fail("を書き込めません", systemText());
    }
    if (!writeAll(journal_, journalText(targets_)) || ::fsync(journal_) != 0 ||
        !syncDirectory(directory_))
        fail("を書き込めません", systemText());
    committed_ = true;
    for (std::size_t i = 0; i < targets_.size(); ++i)
        if (::rename(temporaryOf(directory_, token_, i).c_str(), targets_[i].c_str()) != 0)
            fail("を置き換えられません", systemText(),
                 "次にこのフォルダでバックアップかリストアをするときに置き換えます。");
    std::error_code ignored;
    syncDirectory(directory_);
    fs::remove(directory_ / token_, ignored);
}

} // namespace mivora
