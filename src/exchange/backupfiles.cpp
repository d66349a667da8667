#include "exchange/backupfiles.h"

#include "platform/paths.h"
#include "text/errors.h"
#include "text/lines.h"

#include <cerrno>
#include <cstring>
#include <random>

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
    return pathOf(directory, token + "." + std::to_string(index));
}

std::string systemText() {
    return systemReason(errno);
}

constexpr std::int64_t kWritebackBytes = 4 << 20;

std::string journalText(const std::vector<fs::path>& targets) {
    std::string text(kJournalHeader);
    text += std::to_string(targets.size());
    text += '\0';
    for (const fs::path& target : targets) {
        text += pathText(target.filename());
        text += '\0';
    }
    return text;
}

// The target names of a complete journal; empty when it was cut short.
std::vector<std::string> journalTargets(const OpenFile& journal) {
    const std::string text = journal.readAll();
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
    const fs::path journal = pathOf(directory, token);
    OpenFile file(journal, OpenFile::Mode::Read);
    if (!file.isOpen())
        return; // its backup has just finished
    if (!file.tryLock())
        return;
    // An incomplete journal is only removed: its temporary files go with the others
    // that have no journal.
    const std::vector<std::string> targets = journalTargets(file);
    std::error_code ignored;
    std::string failed;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const fs::path temporary = temporaryOf(directory, token, i);
        if (!fs::exists(temporary, ignored) ||
            replaceFile(temporary, pathOf(directory, targets[i])))
            continue;
        const std::string system = systemText();
        failed += (failed.empty() ? "" : "、") + pathText(pathOf(directory, targets[i])) + " (" +
                  system + ")";
    }
    if (failed.empty()) {
        syncFolder(directory);
        fs::remove(journal, ignored);
    }
    file.close();
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
        const std::string name = pathText(it->path().filename());
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
        if (!fs::exists(pathOf(directory, name.substr(0, kTokenLength)), ignored))
            fs::remove(pathOf(directory, name), ignored);
}

BackupFiles::BackupFiles(std::vector<fs::path> targets)
    : directory_(targets.front().parent_path()), targets_(std::move(targets)) {
    if (directory_.empty())
        directory_ = ".";
    finishStoppedBackups(directory_);
    try {
        createJournal();
        for (std::size_t i = 0; i < targets_.size(); ++i) {
            OpenFile file(temporaryOf(directory_, token_, i), OpenFile::Mode::Replace);
            if (!file.isOpen())
                fail("を書き込めません", systemText());
            files_.push_back({std::move(file)});
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
    for (int attempt = 0; !journal_.isOpen(); ++attempt) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06x", random() & 0xFFFFFFu);
        token_ = std::string(kPrefix) + hex;
        journal_ = OpenFile(pathOf(directory_, token_), OpenFile::Mode::CreateNew);
        if (!journal_.isOpen() && (errno != EEXIST || attempt == 16))
            fail("を書き込めません", systemText());
    }
    journal_.lock();
}

// What is not committed is removed. A committed journal that is still here names
// renames that failed: the next backup or restore in this folder does them.
void BackupFiles::discard() {
    std::error_code ignored;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        files_[i].file.close();
        if (!committed_)
            fs::remove(temporaryOf(directory_, token_, i), ignored);
    }
    if (!journal_.isOpen())
        return;
    if (!committed_)
        fs::remove(pathOf(directory_, token_), ignored);
    journal_.close();
}

void BackupFiles::fail(const char* what, const std::string& system, const char* note) const {
    std::string names;
    for (const fs::path& target : targets_)
        names += (names.empty() ? "" : "、") + pathText(target);
    throw FileError("バックアップファイル " + names + " " + what + " (" + system + ")。" + note);
}

void BackupFiles::write(std::size_t index, std::string_view bytes) {
    Temporary& file = files_.at(index);
    if (!file.file.write(bytes))
        fail("を書き込めません", systemText());
    // Megabytes reach the disk while the rest is being made, so that commit waits
    // for the last of them only.
    file.written += static_cast<std::int64_t>(bytes.size());
    if (file.written - file.handedToDisk >= kWritebackBytes) {
        file.file.startWriteback(file.handedToDisk, file.written);
        file.handedToDisk = file.written;
    }
}

void BackupFiles::commit() {
    for (Temporary& file : files_) {
        const bool synced = file.file.sync();
        const bool closed = file.file.close();
        if (!synced || !closed)
            fail("を書き込めません", systemText());
    }
    if (!journal_.write(journalText(targets_)) || !journal_.sync() || !syncFolder(directory_))
        fail("を書き込めません", systemText());
    committed_ = true;
    for (std::size_t i = 0; i < targets_.size(); ++i)
        if (!replaceFile(temporaryOf(directory_, token_, i), targets_[i]))
            fail("を置き換えられません", systemText(),
                 "次にこのフォルダでバックアップかリストアをするときに置き換えます。");
    std::error_code ignored;
    syncFolder(directory_);
    fs::remove(pathOf(directory_, token_), ignored);
}

} // namespace mivora
