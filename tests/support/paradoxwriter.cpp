#include "support/paradoxwriter.h"

#include "store/datafolder.h"
#include "store/table.h"
#include "text/codec.h"
#include "text/lines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace mivora::test {

namespace fs = std::filesystem;

namespace {

// The parts of a table header, as "Paradox 4.x file formats" (Kevin Mitchell,
// 1996) and pxlib describe them. Control numbers are little-endian.
constexpr std::size_t kFieldTypes = 0x78;         // after the fixed header and the data header
constexpr int kTableNameSpace = 261;              // in a header of version 12
constexpr int kHeaderUnit = 0x800;                // the header takes whole units of 2 KB
constexpr int kBlockHead = 6;                     // next block, previous block, last record
constexpr int kUnkeyed = 2;                       // the file type of a table without a key
constexpr std::uint64_t kNoPassword = 0xFF00FF00; // at 0x25 in version 5 and later

void putLittleEndian(std::string& bytes, std::size_t at, std::uint64_t value, int length) {
    for (int i = 0; i < length; ++i, value >>= 8)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
}

// Values are big-endian with the sign bit inverted, so that their bytes sort as
// the numbers do.
void putBigEndian(char* at, std::uint64_t bits, int length) {
    for (int i = length - 1; i >= 0; --i, bits >>= 8)
        at[i] = static_cast<char>(bits & 0xFF);
}

[[noreturn]] void refuse(const std::string& what) {
    throw std::invalid_argument("ParadoxWriter: " + what);
}

void putWhole(char* at, const ParadoxColumn& column, long value) {
    if (column.type == paradoxShort) {
        if (value < std::numeric_limits<std::int16_t>::min() ||
            value > std::numeric_limits<std::int16_t>::max())
            refuse(std::to_string(value) + " does not fit a short field");
        putBigEndian(at, static_cast<std::uint16_t>(value) ^ 0x8000u, 2);
    } else if (column.type == paradoxLong || column.type == paradoxDate) {
        if (value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max())
            refuse(std::to_string(value) + " does not fit a long field");
        putBigEndian(at, static_cast<std::uint32_t>(value) ^ 0x80000000u, 4);
    } else {
        refuse("a whole number for field " + column.name);
    }
}

// A negative number has all its bits inverted, a positive one only its sign bit.
void putNumber(char* at, const ParadoxColumn& column, double value) {
    if (column.type != paradoxNumber)
        refuse("a number for field " + column.name);
    constexpr std::uint64_t kSign = std::uint64_t{1} << 63;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    putBigEndian(at, bits & kSign ? ~bits : bits | kSign, 8);
}

void putText(char* at, const ParadoxColumn& column, const std::string& text) {
    if (column.type != paradoxAlpha)
        refuse("a text for field " + column.name);
    if (text.size() > static_cast<std::size_t>(column.length))
        refuse("text longer than field " + column.name);
    std::copy(text.begin(), text.end(), at); // the rest stays zero
}

void putLogical(char* at, const ParadoxColumn& column, bool value) {
    if (column.type != paradoxLogical)
        refuse("a logical for field " + column.name);
    *at = static_cast<char>(value ? 0x81 : 0x80);
}

} // namespace

ParadoxWriter::ParadoxWriter(const fs::path& file, const std::vector<ParadoxColumn>& columns)
    : file_(file), columns_(columns), out_(file, std::ios::binary | std::ios::trunc) {
    if (!out_)
        refuse("cannot create " + file.string());
    for (const ParadoxColumn& column : columns_) {
        if (column.length < 1 || column.length > 255)
            refuse("field " + column.name + " of length " + std::to_string(column.length));
        recordSize_ += column.length;
    }
    for (int kilobytes : {2, 4, 8, 16, 32})
        if (blockSize_ == 0 && recordSize_ <= kilobytes * 1024 - kBlockHead)
            blockSize_ = kilobytes * 1024;
    if (blockSize_ == 0)
        refuse("records of " + std::to_string(recordSize_) + " bytes");
    headerSize_ = static_cast<int>(header().size());
    if (headerSize_ > 0xFFFF)
        refuse("a header of " + std::to_string(headerSize_) + " bytes");
    out_ << header(); // again at the end, with the counts
}

ParadoxWriter::~ParadoxWriter() {
    if (!block_.empty())
        writeBlock(true);
    out_.seekp(0);
    out_ << header();
    out_.close();
    if (!out_)
        std::fprintf(stderr, "ParadoxWriter: cannot write %s\n", file_.string().c_str());
}

void ParadoxWriter::add(const std::vector<ParadoxCell>& row) {
    if (block_.size() + static_cast<std::size_t>(recordSize_) >
        static_cast<std::size_t>(blockSize_ - kBlockHead)) {
        if (blocks_ + 2 > 0xFFFF)
            refuse("more blocks than a table can number");
        writeBlock(false);
    }
    std::string record(static_cast<std::size_t>(recordSize_), '\0'); // all zero: every field empty
    char* at = record.data();
    for (std::size_t i = 0; i < columns_.size(); at += columns_[i].length, ++i) {
        const ParadoxCell& cell = i < row.size() ? row[i] : ParadoxCell();
        if (const auto* text = std::get_if<std::string>(&cell))
            putText(at, columns_[i], *text);
        else if (const auto* whole = std::get_if<long>(&cell))
            putWhole(at, columns_[i], *whole);
        else if (const auto* number = std::get_if<double>(&cell))
            putNumber(at, columns_[i], *number);
        else if (const auto* logical = std::get_if<bool>(&cell))
            putLogical(at, columns_[i], *logical);
    }
    block_ += record;
    ++records_;
}

// Blocks are numbered from 1 in the order of the file; each points to the next.
void ParadoxWriter::writeBlock(bool last) {
    const int number = ++blocks_;
    const int records = static_cast<int>(block_.size()) / recordSize_;
    std::string bytes(static_cast<std::size_t>(blockSize_), '\0');
    putLittleEndian(bytes, 0, last ? 0 : static_cast<std::uint64_t>(number + 1), 2);
    putLittleEndian(bytes, 2, static_cast<std::uint64_t>(number - 1), 2);
    putLittleEndian(bytes, 4, static_cast<std::uint64_t>((records - 1) * recordSize_), 2);
    bytes.replace(kBlockHead, block_.size(), block_);
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_)
        refuse("cannot write " + file_.string());
    block_.clear();
}

std::string ParadoxWriter::header() const {
    std::string bytes(kFieldTypes, '\0');
    for (const ParadoxColumn& column : columns_) {
        bytes += static_cast<char>(column.type);
        bytes += static_cast<char>(column.length);
    }
    // Pointers to the table name and to each field name, which readers ignore.
    bytes.append(4 + 4 * columns_.size(), '\0');
    std::string tableName = fromUtf8(pathText(file_.filename()));
    tableName.resize(kTableNameSpace, '\0');
    bytes += tableName;
    for (const ParadoxColumn& column : columns_)
        bytes += fromUtf8(column.name) + '\0';
    bytes.resize((bytes.size() + kHeaderUnit - 1) / kHeaderUnit * kHeaderUnit, '\0');

    putLittleEndian(bytes, 0x00, static_cast<std::uint64_t>(recordSize_), 2);
    putLittleEndian(bytes, 0x02, bytes.size(), 2);
    bytes[0x04] = static_cast<char>(kUnkeyed);
    bytes[0x05] = static_cast<char>(blockSize_ / 1024);
    putLittleEndian(bytes, 0x06, static_cast<std::uint64_t>(records_), 4);
    putLittleEndian(bytes, 0x0A, static_cast<std::uint64_t>(blocks_), 2); // blocks in use
    putLittleEndian(bytes, 0x0C, static_cast<std::uint64_t>(blocks_), 2); // blocks in the file
    putLittleEndian(bytes, 0x0E, blocks_ > 0 ? 1 : 0, 2);                 // the first block
    putLittleEndian(bytes, 0x10, static_cast<std::uint64_t>(blocks_), 2); // the last block
    putLittleEndian(bytes, 0x21, columns_.size(), 2);
    putLittleEndian(bytes, 0x25, kNoPassword, 4);
    bytes[0x39] = 12;                     // the version of the header
    putLittleEndian(bytes, 0x5C, 0, 4);   // no password either
    putLittleEndian(bytes, 0x6A, 932, 2); // the code page of the texts
    return bytes;
}

namespace {

std::vector<ParadoxColumn> columnsFor(Table& table) {
    const std::vector<FieldInfo>& fields = table.fields();
    std::vector<int> longest(fields.size(), 1);
    std::vector<bool> fitsShort(fields.size(), true);
    table.forEach([&](const std::vector<std::string>& row) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            longest[i] = std::max(longest[i], static_cast<int>(row[i].size()));
            if (!row[i].empty() && fields[i].type == FieldType::Integer)
                fitsShort[i] = fitsShort[i] && std::abs(std::stol(row[i])) < 32767;
        }
    });
    std::vector<ParadoxColumn> columns;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& name = fields[i].column;
        if (fields[i].type == FieldType::Flag)
            columns.push_back({name, paradoxLogical, 1});
        else if (fields[i].type == FieldType::Text)
            columns.push_back({name, paradoxAlpha, std::min(longest[i], 255)});
        else
            columns.push_back(fitsShort[i] ? ParadoxColumn{name, paradoxShort, 2}
                                           : ParadoxColumn{name, paradoxLong, 4});
    }
    return columns;
}

ParadoxCell cellFor(const ParadoxColumn& column, const std::string& value) {
    if (column.type == paradoxLogical)
        return value == "True";
    if (value.empty())
        return {};
    if (column.type == paradoxAlpha)
        return value;
    return std::stol(value);
}

} // namespace

void writeParadoxFolder(const fs::path& dataFolder, const fs::path& paradoxFolder) {
    fs::create_directories(paradoxFolder);
    for (const TableDef* def : allTables()) {
        Table table(tablePath(dataFolder, *def));
        table.open();
        std::vector<ParadoxColumn> columns = columnsFor(table);
        ParadoxWriter writer(paradoxFolder / def->file, columns);
        std::vector<ParadoxCell> cells(columns.size());
        table.forEach([&](const std::vector<std::string>& row) {
            for (std::size_t i = 0; i < columns.size(); ++i)
                cells[i] = cellFor(columns[i], row[i]);
            writer.add(cells);
        });
    }
}

} // namespace mivora::test
