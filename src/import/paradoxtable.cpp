#include "import/paradoxtable.h"

#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <fstream>

namespace mivora {

namespace fs = std::filesystem;

namespace {

// The fixed part of a table header; the field types follow it.
constexpr std::size_t kFixedHeader = 0x58;
// A data block begins with the numbers of the next and the previous block and the
// offset of its last record.
constexpr int kBlockHeader = 6;
// The file types of data tables, with and without a primary key.
constexpr int kKeyedTable = 0;
constexpr int kUnkeyedTable = 2;

struct Header {
    int recordSize;
    int headerSize;
    int fileType;
    int blockKilobytes;
    long long records;
    int firstBlock;
    int fieldCount;
    int version;
};

unsigned byteAt(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

unsigned word(const std::string& bytes, std::size_t at) {
    return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8;
}

unsigned long doubleWord(const std::string& bytes, std::size_t at) {
    return word(bytes, at) | static_cast<unsigned long>(word(bytes, at + 2)) << 16;
}

Header headerOf(const std::string& bytes) {
    return {static_cast<int>(word(bytes, 0x00)),
            static_cast<int>(word(bytes, 0x02)),
            static_cast<int>(byteAt(bytes, 0x04)),
            static_cast<int>(byteAt(bytes, 0x05)),
            static_cast<long long>(doubleWord(bytes, 0x06)),
            static_cast<int>(word(bytes, 0x0E)),
            static_cast<int>(word(bytes, 0x21)),
            static_cast<int>(byteAt(bytes, 0x39))};
}

std::size_t fieldTypesAt(int version) {
    return version >= 5 ? 0x78 : kFixedHeader;
}

// Why the fixed header does not describe a data table, or "" when it does.
std::string headerFault(const Header& header) {
    if (header.fileType != kKeyedTable && header.fileType != kUnkeyedTable)
        return "Paradox のテーブルではありません";
    if (header.version < 3 || header.version > 12)
        return "ヘッダーの版 " + std::to_string(header.version) + " を知りません";
    static constexpr std::array<int, 7> kBlockSizes = {1, 2, 3, 4, 8, 16, 32};
    if (std::find(kBlockSizes.begin(), kBlockSizes.end(), header.blockKilobytes) ==
        kBlockSizes.end())
        return "ヘッダーのブロックの大きさ " + std::to_string(header.blockKilobytes) +
               " KB は正しくありません";
    if (header.recordSize <= 0 || header.recordSize > header.blockKilobytes * 1024 - kBlockHeader)
        return "ヘッダーのレコード長 " + std::to_string(header.recordSize) + " は正しくありません";
    if (header.fieldCount == 0 ||
        fieldTypesAt(header.version) + 2 * static_cast<std::size_t>(header.fieldCount) >
            static_cast<std::size_t>(header.headerSize))
        return "ヘッダーの項目数 " + std::to_string(header.fieldCount) + " は正しくありません";
    return {};
}

// A table protected by a password has its data blocks scrambled. The key is kept
// at 0x25; tables from Paradox 4 on keep a marker there and the key at 0x5C.
bool isProtected(const std::string& header, int version) {
    constexpr unsigned long kMarker = 0xFF00FF00;
    const unsigned long key = doubleWord(header, 0x25);
    if (key == kMarker)
        return version >= 5 && header.size() >= 0x60 && doubleWord(header, 0x5C) != 0;
    return key != 0;
}

bool knownType(int type) {
    switch (type) {
    case paradox::kAlpha:
    case paradox::kDate:
    case paradox::kShort:
    case paradox::kLong:
    case paradox::kCurrency:
    case paradox::kNumber:
    case paradox::kLogical:
    case paradox::kMemo:
    case paradox::kBlob:
    case paradox::kFormattedMemo:
    case paradox::kOle:
    case paradox::kGraphic:
    case paradox::kTime:
    case paradox::kTimestamp:
    case paradox::kAutoIncrement:
    case paradox::kBcd:
    case paradox::kBytes:
        return true;
    default:
        return false;
    }
}

// The length of a field whose type fixes it; 0 for the others.
int fixedLength(int type) {
    switch (type) {
    case paradox::kLogical:
        return 1;
    case paradox::kShort:
        return 2;
    case paradox::kLong:
    case paradox::kAutoIncrement:
    case paradox::kDate:
    case paradox::kTime:
        return 4;
    case paradox::kNumber:
    case paradox::kCurrency:
    case paradox::kTimestamp:
        return 8;
    default:
        return 0;
    }
}

bool isWholeNumberType(int type) {
    return type == paradox::kShort || type == paradox::kLong || type == paradox::kAutoIncrement;
}

bool isNumberType(int type) {
    return isWholeNumberType(type) || type == paradox::kNumber || type == paradox::kCurrency;
}

std::string numberText(double value) {
    if (std::nearbyint(value) == value && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    std::array<char, 32> buffer{};
    auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

// The values of the records. Paradox keeps numbers big-endian with the sign bit
// inverted, so that their bytes sort as the numbers do: a whole number has its top
// bit set when it is positive or zero; a floating-point number has its top bit set
// when it is positive, and all its bits inverted when it is negative. A field of
// all zero bytes is empty.

bool isEmptyField(const char* stored, int length) {
    return std::all_of(stored, stored + length, [](char byte) { return byte == 0; });
}

std::uint64_t bigEndian(const char* stored, int length) {
    std::uint64_t bits = 0;
    for (int i = 0; i < length; ++i)
        bits = bits << 8 | static_cast<unsigned char>(stored[i]);
    return bits;
}

// A short (2 bytes) or long integer (4 bytes).
long wholeNumberOf(const char* stored, int length) {
    if (length == 2)
        return static_cast<std::int16_t>(bigEndian(stored, 2) ^ 0x8000u);
    return static_cast<std::int32_t>(bigEndian(stored, 4) ^ 0x80000000u);
}

// A number or currency field (8 bytes).
double floatingNumberOf(const char* stored) {
    constexpr std::uint64_t kSign = std::uint64_t{1} << 63;
    std::uint64_t bits = bigEndian(stored, 8);
    bits = bits & kSign ? bits & ~kSign : ~bits;
    return std::bit_cast<double>(bits);
}

// The text of an alpha field: its bytes up to the first zero byte, which pads it.
std::string alphaOf(const char* stored, int length) {
    return std::string(stored, std::find(stored, stored + length, '\0'));
}

// A logical field is 0x80 when false; any other byte but zero is true.
bool logicalOf(char stored) {
    return static_cast<unsigned char>(stored) != 0x80;
}

// Fills bytes with size bytes from position; false when the file ends before.
bool readAt(std::ifstream& in, std::uintmax_t position, std::size_t size, std::string& bytes) {
    bytes.resize(size);
    in.clear();
    in.seekg(static_cast<std::streamoff>(position));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount()) == size;
}

// Whether the first bytes of a file too short for a table header could still
// begin one: the type of file and the size of its blocks.
bool couldBeginHeader(const std::string& bytes) {
    static constexpr std::array<int, 7> kBlockSizes = {1, 2, 3, 4, 8, 16, 32};
    if (bytes.size() > 4 && byteAt(bytes, 4) != kKeyedTable && byteAt(bytes, 4) != kUnkeyedTable)
        return false;
    return bytes.size() <= 5 || std::find(kBlockSizes.begin(), kBlockSizes.end(),
                                          static_cast<int>(byteAt(bytes, 5))) != kBlockSizes.end();
}

} // namespace

bool isParadoxTable(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes;
    return readAt(in, 0, kFixedHeader, bytes) && headerFault(headerOf(bytes)).empty();
}

ParadoxTable::ParadoxTable(fs::path file) : file_(std::move(file)) {
    std::error_code error;
    std::uintmax_t size = fs::file_size(file_, error);
    if (error)
        throw FileError("旧形式のテーブル " + pathText(file_) + " を読めません。(" +
                        systemReason(error) + ")");
    checkHeader(readHeader(size));
    blocksInFile_ = (size - static_cast<std::uintmax_t>(headerSize_)) / blockSize_;
    followBlocks(kBlockHeader, [](int) {});
}

void ParadoxTable::fail(const std::string& reason) const {
    throw FileError("旧形式のテーブル " + pathText(file_) + " を読めません。(" + reason + ")");
}

std::string ParadoxTable::readHeader(std::uintmax_t fileSize) {
    std::ifstream in(file_, std::ios::binary);
    if (!in)
        fail("開けません");
    std::string bytes;
    if (fileSize < kFixedHeader) {
        // Another file under a table's name may be that short: an SQLite table
        // that was never written is empty.
        if (fileSize == 0)
            fail("空のファイルで、Paradox のテーブルではありません");
        if (readAt(in, 0, static_cast<std::size_t>(fileSize), bytes) && !couldBeginHeader(bytes))
            fail("Paradox のテーブルではありません");
        fail("ヘッダーの途中でファイルが終わっています");
    }
    if (!readAt(in, 0, kFixedHeader, bytes))
        fail("ヘッダーの途中でファイルが終わっています");
    Header header = headerOf(bytes);
    // Before the header size is trusted: another file under a table's name (a
    // table of this program, say) has some other number there.
    if (std::string fault = headerFault(header); !fault.empty())
        fail(fault);
    if (static_cast<std::uintmax_t>(header.headerSize) > fileSize ||
        !readAt(in, 0, static_cast<std::size_t>(header.headerSize), bytes))
        fail("ヘッダーの途中でファイルが終わっています");
    return bytes;
}

void ParadoxTable::checkHeader(const std::string& bytes) {
    if (bytes.size() < kFixedHeader)
        fail("ヘッダーの途中でファイルが終わっています");
    Header header = headerOf(bytes);
    if (std::string fault = headerFault(header); !fault.empty())
        fail(fault);
    if (isProtected(bytes, header.version))
        fail("パスワードで保護されています。元のプログラムで保護を外してから取り込んでください");
    recordSize_ = header.recordSize;
    headerSize_ = header.headerSize;
    blockSize_ = header.blockKilobytes * 1024;
    firstBlock_ = header.firstBlock;
    recordCount_ = static_cast<int>(std::min<long long>(header.records, INT_MAX));
    int offset = 0;
    for (int i = 0; i < header.fieldCount; ++i) {
        std::size_t at = fieldTypesAt(header.version) + 2 * static_cast<std::size_t>(i);
        int type = static_cast<int>(byteAt(bytes, at));
        int length = static_cast<int>(byteAt(bytes, at + 1));
        if (!knownType(type))
            fail("項目 " + std::to_string(i + 1) + " の型 " + std::to_string(type) +
                 " を知りません");
        if (length == 0 || (fixedLength(type) && length != fixedLength(type)))
            fail("項目 " + std::to_string(i + 1) + " の長さ " + std::to_string(length) +
                 " は正しくありません");
        fields_.push_back({"", type, length, offset});
        offset += length;
    }
    if (offset != recordSize_)
        fail("項目の長さの合計 " + std::to_string(offset) + " がレコード長 " +
             std::to_string(recordSize_) + " と合いません");
    readFieldNames(bytes, header.version);
}

void ParadoxTable::followBlocks(std::size_t bytes, const std::function<void(int)>& visit) {
    std::ifstream in(file_, std::ios::binary);
    const int perBlock = (blockSize_ - kBlockHeader) / recordSize_;
    std::uintmax_t followed = 0;
    long long counted = 0;
    for (unsigned number = static_cast<unsigned>(firstBlock_); number != 0;) {
        if (number > blocksInFile_)
            fail("ブロック " + std::to_string(number) + " がファイルの外を指しています");
        if (followed++ >= blocksInFile_)
            fail("ブロックのつながりが輪になっています");
        std::uintmax_t position =
            static_cast<std::uintmax_t>(headerSize_) + (number - 1) * std::uintmax_t(blockSize_);
        if (!readAt(in, position, bytes, block_))
            fail(bytes == static_cast<std::size_t>(kBlockHeader)
                     ? "ブロック " + std::to_string(number) + " を読めません"
                     : std::string("ブロックを読めません"));
        int lastOffset = static_cast<std::int16_t>(word(block_, 4));
        int records = lastOffset < 0 ? 0 : lastOffset / recordSize_ + 1;
        if (lastOffset < -recordSize_ || (lastOffset >= 0 && lastOffset % recordSize_ != 0) ||
            records > perBlock)
            fail("ブロック " + std::to_string(number) + " のレコード数が正しくありません");
        counted += records;
        visit(records);
        number = word(block_, 0);
    }
    if (counted != recordCount_)
        fail("ヘッダーのレコード数 " + std::to_string(recordCount_) + " 件がファイルにある " +
             std::to_string(counted) + " 件と合いません");
}

// After the field types come a pointer to the table name, one pointer per field,
// the table name in a fixed space, then the field names, each ended by a zero byte.
void ParadoxTable::readFieldNames(const std::string& bytes, int version) {
    std::size_t at = fieldTypesAt(version) + 2 * fields_.size() + 4 + 4 * fields_.size() +
                     (version >= 12 ? 261 : 79);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        std::size_t end = at < bytes.size() ? bytes.find('\0', at) : std::string::npos;
        if (end == std::string::npos)
            fail("ヘッダーの項目名が壊れています");
        fields_[i].name = bytes.substr(at, end - at);
        at = end + 1;
    }
}

void ParadoxTable::forEachRecord(const std::function<void()>& visit) {
    recordNumber_ = 0;
    // The chain is followed again, as checked when the table was opened.
    followBlocks(static_cast<std::size_t>(blockSize_), [&](int records) {
        for (int i = 0; i < records; ++i) {
            record_ = block_.data() + kBlockHeader + static_cast<std::ptrdiff_t>(i) * recordSize_;
            ++recordNumber_;
            visit();
        }
    });
    record_ = nullptr;
}

const char* ParadoxTable::at(int field) const {
    return record_ + fields_[static_cast<std::size_t>(field)].offset;
}

bool ParadoxTable::converts(int paradoxType, FieldType type) {
    switch (type) {
    case FieldType::Text:
        return paradoxType == paradox::kAlpha || paradoxType == paradox::kLogical ||
               isNumberType(paradoxType);
    case FieldType::Integer:
        return paradoxType == paradox::kAlpha || isNumberType(paradoxType);
    case FieldType::Flag:
        return paradoxType == paradox::kLogical;
    }
    return false;
}

std::string ParadoxTable::typeName(int paradoxType) {
    switch (paradoxType) {
    case paradox::kAlpha:
        return "文字";
    case paradox::kDate:
        return "日付";
    case paradox::kTime:
        return "時刻";
    case paradox::kTimestamp:
        return "日時";
    case paradox::kLogical:
        return "論理";
    case paradox::kMemo:
    case paradox::kFormattedMemo:
        return "メモ";
    case paradox::kBlob:
    case paradox::kOle:
    case paradox::kGraphic:
    case paradox::kBytes:
        return "バイナリ";
    default:
        return "数値";
    }
}

std::string ParadoxTable::value(int field, FieldType type) const {
    switch (type) {
    case FieldType::Text:
        return text(field);
    case FieldType::Integer:
        return integerText(field);
    case FieldType::Flag:
        return flagText(field);
    }
    return {};
}

bool ParadoxTable::number(int field, double& value) const {
    const ParadoxField& def = fields_[static_cast<std::size_t>(field)];
    if (isEmptyField(at(field), def.length))
        return false;
    if (isWholeNumberType(def.type)) {
        value = static_cast<double>(wholeNumberOf(at(field), def.length));
        return true;
    }
    value = floatingNumberOf(at(field));
    // A damaged number reads as NaN or infinity, which no field here can hold.
    if (!std::isfinite(value))
        fail("レコード " + std::to_string(recordNumber_) + " の項目「" + toUtf8(def.name) +
             "」の値は数ではありません");
    return true;
}

std::string ParadoxTable::text(int field) const {
    const ParadoxField& def = fields_[static_cast<std::size_t>(field)];
    if (def.type == paradox::kLogical) {
        int state = logical(field);
        return state < 0 ? "" : state ? "True" : "False";
    }
    if (def.type != paradox::kAlpha) {
        double stored = 0;
        return number(field, stored) ? numberText(stored) : std::string();
    }
    // The bytes as they stand: CP932.
    return alphaOf(at(field), def.length);
}

std::string ParadoxTable::integerText(int field) const {
    const ParadoxField& def = fields_[static_cast<std::size_t>(field)];
    double stored = 0;
    if (def.type == paradox::kAlpha) {
        std::string written = text(field);
        long long parsed = 0;
        if (written.empty())
            return written;
        if (!parseInteger(written, parsed) || parsed < INT_MIN || parsed > INT_MAX)
            fail("レコード " + std::to_string(recordNumber_) + " の項目「" + toUtf8(def.name) +
                 "」の値「" + toUtf8(written) + "」は整数ではありません");
        return std::to_string(parsed);
    }
    if (!number(field, stored))
        return {};
    // Rounded half to even, as the old program read a number field as an integer.
    double rounded = std::nearbyint(stored);
    if (rounded < INT_MIN || rounded > INT_MAX)
        fail("レコード " + std::to_string(recordNumber_) + " の項目「" + toUtf8(def.name) +
             "」の値 " + numberText(stored) + " は整数の範囲を超えています");
    return std::to_string(static_cast<long long>(rounded));
}

int ParadoxTable::logical(int field) const {
    const char stored = *at(field);
    return stored == 0 ? -1 : logicalOf(stored);
}

std::string ParadoxTable::flagText(int field) const {
    return logical(field) > 0 ? "True" : "False";
}

} // namespace mivora
