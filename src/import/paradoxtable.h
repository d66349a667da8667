#pragma once
// One table file of the old desktop database (Paradox), read here without any
// Paradox library: the header, the field list and the block chain are read and
// checked, a damaged file ends in a FileError that names it, and the values of the
// few field types this program takes in are decoded here. Memory does not grow
// with the table: one block is read at a time.

#include "store/schema.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace mivora {

// The type codes of Paradox fields, as a table header keeps them.
namespace paradox {
constexpr int kAlpha = 0x01;
constexpr int kDate = 0x02;
constexpr int kShort = 0x03;
constexpr int kLong = 0x04;
constexpr int kCurrency = 0x05;
constexpr int kNumber = 0x06;
constexpr int kLogical = 0x09;
constexpr int kMemo = 0x0C;
constexpr int kBlob = 0x0D;
constexpr int kFormattedMemo = 0x0E;
constexpr int kOle = 0x0F;
constexpr int kGraphic = 0x10;
constexpr int kTime = 0x14;
constexpr int kTimestamp = 0x15;
constexpr int kAutoIncrement = 0x16;
constexpr int kBcd = 0x17;
constexpr int kBytes = 0x18;
} // namespace paradox

struct ParadoxField {
    std::string name; // CP932, as in the file
    int type;         // the type code (paradox::kAlpha ...)
    int length;       // bytes in the record
    int offset;       // where it begins in the record
};

// Whether the file begins like a Paradox table. Both databases use the same file
// names, so the header decides, never the name.
bool isParadoxTable(const std::filesystem::path& file);

class ParadoxTable {
  public:
    // Opens and checks the file; FileError when it cannot be read or is damaged.
    explicit ParadoxTable(std::filesystem::path file);
    ParadoxTable(const ParadoxTable&) = delete;
    ParadoxTable& operator=(const ParadoxTable&) = delete;

    const std::vector<ParadoxField>& fields() const { return fields_; }
    int recordCount() const { return recordCount_; }

    // Whether the values of a field of that type can be stored in a field of this
    // program of the given type.
    static bool converts(int paradoxType, FieldType type);
    // The name of a field type for messages ("日付", "メモ" ...).
    static std::string typeName(int paradoxType);

    // Visits the records in the order of the table, reading block after block;
    // value() reads the fields of the record visited.
    void forEachRecord(const std::function<void()>& visit);
    // A field of the record visited, as this program stores a value of that type:
    // CP932 text, a decimal integer, "True" / "False"; "" when empty.
    std::string value(int field, FieldType type) const;

    [[noreturn]] void fail(const std::string& reason) const;

  private:
    std::string readHeader(std::uintmax_t fileSize);
    void checkHeader(const std::string& header);
    void readFieldNames(const std::string& header, int version);
    // Follows the chain of data blocks from the first one, checking each block's
    // number and record count and, at the end, the count of the header. Reads
    // `bytes` of each block into block_ and calls visit with its record count.
    void followBlocks(std::size_t bytes, const std::function<void(int records)>& visit);
    std::string text(int field) const;
    bool number(int field, double& value) const;
    std::string integerText(int field) const;
    int logical(int field) const; // -1 empty, 0 false, 1 true
    std::string flagText(int field) const;
    const char* at(int field) const;

    std::filesystem::path file_;
    std::vector<ParadoxField> fields_;
    int recordSize_ = 0;
    int headerSize_ = 0;
    int blockSize_ = 0;
    int firstBlock_ = 0;
    int recordCount_ = 0;
    std::uintmax_t blocksInFile_ = 0; // whole blocks after the header
    std::string block_;               // the block being read
    const char* record_ = nullptr;    // the record visited, inside block_
    int recordNumber_ = 0;            // 1-based, for messages
};

} // namespace mivora
