#include "platform/files.h"

#include <cerrno>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace mivora {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// The C library's number for a Windows error, so that messages name it alike.
int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    default:
        return EIO;
    }
}

bool failed() {
    errno = errnoOf(GetLastError());
    return false;
}

// Far past any content: locking it never stands in the way of reading or writing.
OVERLAPPED lockPlace() {
    OVERLAPPED place{};
    place.OffsetHigh = 0x7FFFFFFF;
    return place;
}

} // namespace

OpenFile::OpenFile(const fs::path& file, Mode mode) {
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_ALWAYS;
    switch (mode) {
    case Mode::Read:
        access = GENERIC_READ;
        disposition = OPEN_EXISTING;
        break;
    case Mode::Replace:
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        break;
    case Mode::CreateNew:
        disposition = CREATE_NEW;
        break;
    case Mode::Keep:
        break;
    }
    // Shared for deleting as well, as POSIX lets a file be removed while open.
    HANDLE handle =
        CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        failed();
    else
        handle_ = handle;
}

OpenFile::~OpenFile() {
    close();
}

OpenFile::OpenFile(OpenFile&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

bool OpenFile::isOpen() const {
    return handle_ != nullptr;
}

bool OpenFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 30));
        if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr))
            return failed();
        bytes.remove_prefix(written);
    }
    return true;
}

std::string OpenFile::readAll() const {
    std::string text;
    char buffer[4096];
    for (;;) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(text.size());
        at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(text.size()) >> 32);
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, sizeof buffer, &got, &at) || got == 0)
            return text;
        text.append(buffer, got);
    }
}

bool OpenFile::sync() {
    return FlushFileBuffers(handle_) || failed();
}

void OpenFile::startWriteback(std::int64_t, std::int64_t) {}

bool OpenFile::tryLock() {
    OVERLAPPED place = lockPlace();
    return LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &place) ||
           failed();
}

void OpenFile::lock() {
    OVERLAPPED place = lockPlace();
    LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &place);
}

bool OpenFile::close() {
    if (!handle_)
        return true;
    const bool closed = CloseHandle(std::exchange(handle_, nullptr)) || failed();
    return closed;
}

std::FILE* openStream(const fs::path& file, const char* mode) {
    const std::wstring wide(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(file.c_str(), wide.c_str());
}

// NTFS keeps its own journal of names; a rename with write-through is durable.
bool syncFolder(const fs::path&) {
    return true;
}

bool syncFile(const fs::path& file) {
    std::error_code ignored;
    if (fs::is_directory(file, ignored))
        return syncFolder(file);
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failed();
    const bool synced = FlushFileBuffers(handle) || failed();
    CloseHandle(handle);
    return synced;
}

bool replaceFile(const fs::path& from, const fs::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
           failed();
}

bool copyFile(const fs::path& from, const fs::path& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) || failed();
}

bool writable(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !(attributes & FILE_ATTRIBUTE_READONLY));
}

#else

OpenFile::OpenFile(const fs::path& file, Mode mode) {
    int flags = O_RDWR | O_CREAT;
    switch (mode) {
    case Mode::Read:
        flags = O_RDONLY;
        break;
    case Mode::Replace:
        flags = O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case Mode::CreateNew:
        flags = O_RDWR | O_CREAT | O_EXCL;
        break;
    case Mode::Keep:
        break;
    }
    fd_ = ::open(file.c_str(), flags | O_CLOEXEC, 0644);
}

OpenFile::~OpenFile() {
    close();
}

OpenFile::OpenFile(OpenFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool OpenFile::isOpen() const {
    return fd_ >= 0;
}

bool OpenFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string OpenFile::readAll() const {
    std::string text;
    char buffer[4096];
    for (ssize_t got;
         (got = ::pread(fd_, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

bool OpenFile::sync() {
    return ::fsync(fd_) == 0;
}

void OpenFile::startWriteback(std::int64_t from, std::int64_t to) {
#ifdef __linux__
    ::sync_file_range(fd_, from, to - from, SYNC_FILE_RANGE_WRITE);
#else
    (void)from, (void)to;
#endif
}

bool OpenFile::tryLock() {
    return ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

void OpenFile::lock() {
    ::flock(fd_, LOCK_EX);
}

bool OpenFile::close() {
    return fd_ < 0 || ::close(std::exchange(fd_, -1)) == 0;
}

std::FILE* openStream(const fs::path& file, const char* mode) {
    return std::fopen(file.c_str(), mode);
}

// Some file systems cannot sync a folder (EINVAL); their renames are as durable
// as they get.
bool syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int failure = errno;
    ::close(fd);
    errno = failure;
    return synced;
}

bool syncFile(const fs::path& file) {
    OpenFile open(file, OpenFile::Mode::Read);
    return open.isOpen() && (open.sync() || errno == EINVAL);
}

bool replaceFile(const fs::path& from, const fs::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool copyFile(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    errno = error.value();
    return !error;
}

bool writable(const fs::path& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

#endif

} // namespace mivora
