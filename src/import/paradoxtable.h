#pragma once
// One table file of the old desktop database (Paradox). pxlib trusts the files
// it opens: a header or a block chain that points elsewhere makes it read garbage
// or print warnings of its own. So the header, the field list and the block chain
// are read and checked here, a damaged file ends in a FileError that names it, and
// pxlib only decodes the values of the records read.

#include "store/schema.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct px_doc;

namespace mivora {

struct ParadoxField {
    std::string name; // CP932, as in the file
    int type;         // pxlib's type code (pxfAlpha ...)
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
    ~ParadoxTable();
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
    struct Block {
        std::uintmax_t position;
        int records;
    };

    std::string readHeader(std::uintmax_t fileSize);
    void checkHeader(const std::string& header);
    void followBlocks(std::uintmax_t fileSize);
    void readFieldNames(const std::string& header, int version);
    void startDecoder();
    std::string text(int field) const;
    bool number(int field, double& value) const;
    std::string integerText(int field) const;
    int logical(int field) const; // -1 empty, 0 false, 1 true
    std::string flagText(int field) const;
    char* at(int field) const;

    std::filesystem::path file_;
    px_doc* doc_ = nullptr;
    std::string pxMessage_; // the last message of pxlib
    std::vector<ParadoxField> fields_;
    int recordSize_ = 0;
    int headerSize_ = 0;
    int blockSize_ = 0;
    int firstBlock_ = 0;
    int recordCount_ = 0;
    std::vector<Block> blocks_; // the data blocks in the order of their chain
    std::string block_;         // the block being visited
    char* record_ = nullptr;    // the record visited, inside block_
    int recordNumber_ = 0;      // 1-based, for messages
};

} // namespace mivora
