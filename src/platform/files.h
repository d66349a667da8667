#pragma once
// The file system calls that Debian and Windows spell differently. Failures
// return false and leave the reason in errno, as the C library does, so that
// callers word every failure the same way on both systems.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace mivora {

// An open file, closed with the object.
class OpenFile {
  public:
    enum class Mode {
        Read,      // an existing file
        Replace,   // written from empty, created when missing
        CreateNew, // read and written; fails with EEXIST when the file is there
        Keep,      // read and written, created when missing, content kept
    };

    OpenFile() = default;
    OpenFile(const std::filesystem::path& file, Mode mode);
    ~OpenFile();
    OpenFile(OpenFile&& other) noexcept;
    OpenFile& operator=(OpenFile&& other) noexcept;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    bool isOpen() const;
    bool write(std::string_view bytes);
    // The whole content from the start, whatever was written since.
    std::string readAll() const;
    // Waits until what was written is on the disk.
    bool sync();
    // Asks the disk to start writing a range without waiting: a hint, whose
    // failure sync() reports.
    void startWriteback(std::int64_t from, std::int64_t to);
    // An exclusive lock that other processes see until this file is closed or
    // its process ends; it never blocks reading or writing the content.
    bool tryLock();
    void lock();
    bool close();

  private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// A C stream on a file whatever the characters of its name.
std::FILE* openStream(const std::filesystem::path& file, const char* mode);

// Makes the renames and removals in a folder durable.
bool syncFolder(const std::filesystem::path& folder);

// Makes a file's content durable, by its name.
bool syncFile(const std::filesystem::path& file);

// Puts `from` in the place of `to` at once, replacing a file that is there.
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Copies a file over `to`, replacing a file that is there.
bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Whether this user may write the file or folder.
bool writable(const std::filesystem::path& path);

} // namespace mivora
