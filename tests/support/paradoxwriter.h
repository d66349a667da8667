#pragma once
// Paradox tables written with pxlib's own writer, as an old installation left
// them: the tests and the benchmark build their input with it.

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

struct px_doc;

namespace mivora::test {

struct ParadoxColumn {
    std::string name; // UTF-8
    int type;         // pxfAlpha, pxfShort, pxfLong, pxfNumber, pxfLogical, pxfDate ...
    int length;       // bytes in the record
};

// One value: empty, CP932 text, a whole number, a number, a logical.
using ParadoxCell = std::variant<std::monostate, std::string, long, double, bool>;

class ParadoxWriter {
  public:
    ParadoxWriter(const std::filesystem::path& file, const std::vector<ParadoxColumn>& columns);
    ~ParadoxWriter();
    ParadoxWriter(const ParadoxWriter&) = delete;
    ParadoxWriter& operator=(const ParadoxWriter&) = delete;

    void add(const std::vector<ParadoxCell>& row);

  private:
    px_doc* doc_;
    std::vector<ParadoxColumn> columns_;
    std::string record_;
    int count_ = 0;
};

// Writes the six tables of a data folder of this program as Paradox tables into
// another folder: text as alpha fields as long as the longest value, integers as
// short or long fields, flags as logical fields.
void writeParadoxFolder(const std::filesystem::path& dataFolder,
                        const std::filesystem::path& paradoxFolder);

} // namespace mivora::test
