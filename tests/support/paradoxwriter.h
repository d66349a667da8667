#pragma once
// Paradox tables as an old installation left them, written byte by byte from the
// description of the format (not with the program's reader): the tests and the
// benchmark build their input with it. A table of level 7 (header version 12),
// without a primary key, records in blocks of 2 KB or more.

#include <filesystem>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

namespace mivora::test {

// The type codes of the fields written here, as a Paradox header keeps them.
enum ParadoxType : int {
    paradoxAlpha = 0x01,
    paradoxDate = 0x02,
    paradoxShort = 0x03,
    paradoxLong = 0x04,
    paradoxNumber = 0x06,
    paradoxLogical = 0x09,
};

struct ParadoxColumn {
    std::string name; // UTF-8
    int type;         // paradoxAlpha, paradoxShort ...
    int length;       // bytes in the record
};

// One value: empty, CP932 text, a whole number, a number, a logical.
using ParadoxCell = std::variant<std::monostate, std::string, long, double, bool>;

class ParadoxWriter {
  public:
    ParadoxWriter(const std::filesystem::path& file, const std::vector<ParadoxColumn>& columns);
    // Writes the last block and the header, which counts the records.
    ~ParadoxWriter();
    ParadoxWriter(const ParadoxWriter&) = delete;
    ParadoxWriter& operator=(const ParadoxWriter&) = delete;

    void add(const std::vector<ParadoxCell>& row);

  private:
    void writeBlock(bool last);
    std::string header() const;

    std::filesystem::path file_;
    std::vector<ParadoxColumn> columns_;
    std::ofstream out_;
    int recordSize_ = 0;
    int headerSize_ = 0;
    int blockSize_ = 0;
    std::string block_; // the records of the block being filled
    int blocks_ = 0;    // written so far
    long records_ = 0;
};

// Writes the six tables of a data folder of this program as Paradox tables into
// another folder: text as alpha fields as long as the longest value, integers as
// short or long fields, flags as logical fields.
void writeParadoxFolder(const std::filesystem::path& dataFolder,
                        const std::filesystem::path& paradoxFolder);

} // namespace mivora::test
