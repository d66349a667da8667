#pragma once
// What backup and restore share: the digit-count row, the file name parts, the
// progress report, and reading files in large blocks.

#include "store/table.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace mivora {

constexpr int kColumnCount = 47;

// One row of INDTLEN.db: the data use and the digit count of each column.
struct DigitCountRow {
    std::string use; // CP932
    std::array<int, kColumnCount> counts{};
    int postal = 0;

    // A use that mentions 住所録 exports the address book.
    bool addressBook() const;
};

// The current row of the digit-count table.
DigitCountRow readDigitCountRow(const Table& digitCounts);

// A file name taken apart: the names written are always directory + base name
// + a fixed extension, whatever extension the user typed.
struct FileName {
    std::filesystem::path directory;
    std::string base;      // bytes of the file name less its extension
    std::string extension; // with its dot, "" when there is none

    // ".CSV" or ".csv" exactly; every other extension means TXT.
    bool isCsv() const { return extension == ".CSV" || extension == ".csv"; }
    std::filesystem::path with(const char* fixedExtension) const;
};

FileName splitFileName(const std::filesystem::path& chosen);

// Reports how far a run has come; returns false when the person cancels.
using Progress = std::function<bool(int done, int total)>;

// Thrown when a run was cancelled; nothing of it is left behind.
class Cancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
};

using RecordValues = std::array<std::string, 49>;

// The field indexes of the 47 columns in a vehicle table.
std::array<int, kColumnCount> columnIndexes(const Table& vehicles);

// Reads a file in large blocks, one byte at a time.
class ByteReader {
  public:
    explicit ByteReader(const std::filesystem::path& file); // FileError when missing
    ~ByteReader();
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    // The next byte, or -1 at the end.
    int next() {
        if (pos_ == end_ && !fill())
            return -1;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    // Appends the bytes up to the next delimiter to field and passes the delimiter;
    // false when the file ends first (what came before the end is appended).
    bool appendUntil(char delimiter, std::string& field);
    std::uintmax_t size() const { return size_; }
    std::uintmax_t consumed() const { return consumedBefore_ + pos_; }

  private:
    bool fill();

    std::FILE* file_;
    std::filesystem::path name_;
    std::uintmax_t size_ = 0;
    std::uintmax_t consumedBefore_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    char buffer_[1 << 16];
};

} // namespace mivora
