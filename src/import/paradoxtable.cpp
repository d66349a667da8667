#include "import/paradoxtable.h"

#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include "import/pxlib.h"
#include <algorithm>
#include <array>
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
    if (header.fileType != pxfFileTypIndexDB && header.fileType != pxfFileTypNonIndexDB)
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
    case pxfAlpha:
    case pxfDate:
    case pxfShort:
    case pxfLong:
    case pxfCurrency:
    case pxfNumber:
    case pxfLogical:
    case pxfMemoBLOb:
    case pxfBLOb:
    case pxfFmtMemoBLOb:
    case pxfOLE:
    case pxfGraphic:
    case pxfTime:
    case pxfTimestamp:
    case pxfAutoInc:
    case pxfBCD:
    case pxfBytes:
        return true;
    default:
        return false;
    }
}

// The length of a field whose type fixes it; 0 for the others.
int fixedLength(int type) {
    switch (type) {
    case pxfLogical:
        return 1;
    case pxfShort:
        return 2;
    case pxfLong:
    case pxfAutoInc:
    case pxfDate:
    case pxfTime:
        return 4;
    case pxfNumber:
    case pxfCurrency:
    case pxfTimestamp:
        return 8;
    default:
        return 0;
    }
}

bool isWholeNumberType(int type) {
    return type == pxfShort || type == pxfLong || type == pxfAutoInc;
}

bool isNumberType(int type) {
    return isWholeNumberType(type) || type == pxfNumber || type == pxfCurrency;
}

std::string numberText(double value) {
    if (std::nearbyint(value) == value && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    std::array<char, 32> buffer{};
    auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

void keepMessage(pxdoc_t*, int, const char* message, void* data) {
    *static_cast<std::string*>(data) = message ? message : "";
}

std::string readBlock(std::ifstream& in, std::uintmax_t position, std::size_t size) {
    std::string bytes(size, '\0');
    in.seekg(static_cast<std::streamoff>(position));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(in.gcount()) != size)
        bytes.clear();
    return bytes;
}

} // namespace

bool isParadoxTable(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes = readBlock(in, 0, kFixedHeader);
    return !bytes.empty() && headerFault(headerOf(bytes)).empty();
}

ParadoxTable::ParadoxTable(fs::path file) : file_(std::move(file)) {
    std::error_code error;
    std::uintmax_t size = fs::file_size(file_, error);
    if (error)
        throw FileError("旧形式のテーブル " + pathText(file_) + " を読めません。(" +
                        error.message() + ")");
    checkHeader(readHeader(size));
    followBlocks(size);
    startDecoder();
}

ParadoxTable::~ParadoxTable() {
    if (doc_)
        PX_delete(doc_);
}

void ParadoxTable::fail(const std::string& reason) const {
    throw FileError("旧形式のテーブル " + pathText(file_) + " を読めません。(" + reason + ")");
}

std::string ParadoxTable::readHeader(std::uintmax_t fileSize) {
    std::ifstream in(file_, std::ios::binary);
    if (!in)
        fail("開けません");
    if (fileSize < kFixedHeader)
        fail("ヘッダーの途中でファイルが終わっています");
    std::string fixed = readBlock(in, 0, kFixedHeader);
    Header header = headerOf(fixed);
    // Before the header size is trusted: another file under a table's name (a
    // table of this program, say) has some other number there.
    if (std::string fault = headerFault(header); !fault.empty())
        fail(fault);
    if (static_cast<std::uintmax_t>(header.headerSize) > fileSize)
        fail("ヘッダーの途中でファイルが終わっています");
    return readBlock(in, 0, static_cast<std::size_t>(std::max<int>(header.headerSize, 0)));
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

void ParadoxTable::followBlocks(std::uintmax_t fileSize) {
    std::ifstream in(file_, std::ios::binary);
    const std::uintmax_t blocksInFile = (fileSize - headerSize_) / blockSize_;
    const int perBlock = (blockSize_ - kBlockHeader) / recordSize_;
    long long counted = 0;
    for (unsigned number = static_cast<unsigned>(firstBlock_); number != 0;) {
        if (number > blocksInFile)
            fail("ブロック " + std::to_string(number) + " がファイルの外を指しています");
        if (blocks_.size() >= blocksInFile)
            fail("ブロックのつながりが輪になっています");
        std::uintmax_t position =
            static_cast<std::uintmax_t>(headerSize_) + (number - 1) * std::uintmax_t(blockSize_);
        std::string head = readBlock(in, position, kBlockHeader);
        if (head.empty())
            fail("ブロック " + std::to_string(number) + " を読めません");
        int lastOffset = static_cast<std::int16_t>(word(head, 4));
        int records = lastOffset < 0 ? 0 : lastOffset / recordSize_ + 1;
        if (lastOffset < -recordSize_ || (lastOffset >= 0 && lastOffset % recordSize_ != 0) ||
            records > perBlock)
            fail("ブロック " + std::to_string(number) + " のレコード数が正しくありません");
        blocks_.push_back({position, records});
        counted += records;
        number = word(head, 0);
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

// pxlib decodes the values of the records read here; it never reads the file itself.
void ParadoxTable::startDecoder() {
    doc_ = PX_new3(keepMessage, nullptr, nullptr, nullptr, &pxMessage_);
    if (!doc_)
        fail("メモリが足りません");
}

void ParadoxTable::forEachRecord(const std::function<void()>& visit) {
    std::ifstream in(file_, std::ios::binary);
    recordNumber_ = 0;
    for (const Block& block : blocks_) {
        block_ = readBlock(in, block.position, static_cast<std::size_t>(blockSize_));
        if (block_.empty())
            fail("ブロックを読めません");
        for (int i = 0; i < block.records; ++i) {
            record_ = block_.data() + kBlockHeader + static_cast<std::ptrdiff_t>(i) * recordSize_;
            ++recordNumber_;
            visit();
        }
    }
    record_ = nullptr;
}

char* ParadoxTable::at(int field) const {
    return record_ + fields_[static_cast<std::size_t>(field)].offset;
}

bool ParadoxTable::converts(int paradoxType, FieldType type) {
    switch (type) {
    case FieldType::Text:
        return paradoxType == pxfAlpha || paradoxType == pxfLogical || isNumberType(paradoxType);
    case FieldType::Integer:
        return paradoxType == pxfAlpha || isNumberType(paradoxType);
    case FieldType::Flag:
        return paradoxType == pxfLogical;
    }
    return false;
}

std::string ParadoxTable::typeName(int paradoxType) {
    switch (paradoxType) {
    case pxfAlpha:
        return "文字";
    case pxfDate:
        return "日付";
    case pxfTime:
        return "時刻";
    case pxfTimestamp:
        return "日時";
    case pxfLogical:
        return "論理";
    case pxfMemoBLOb:
    case pxfFmtMemoBLOb:
        return "メモ";
    case pxfBLOb:
    case pxfOLE:
    case pxfGraphic:
    case pxfBytes:
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
    // An empty field is all zero bytes. pxlib sees that for short and number
    // fields, but reads an empty long field as -2147483648.
    const char* stored = at(field);
    if (std::all_of(stored, stored + def.length, [](char byte) { return byte == 0; }))
        return false;
    int result = 0;
    if (def.type == pxfShort) {
        short whole = 0;
        result = PX_get_data_short(doc_, at(field), def.length, &whole);
        value = whole;
    } else if (isWholeNumberType(def.type)) {
        long whole = 0;
        result = PX_get_data_long(doc_, at(field), def.length, &whole);
        value = static_cast<double>(whole);
    } else {
        result = PX_get_data_double(doc_, at(field), def.length, &value);
    }
    if (result < 0)
        fail(pxMessage_);
    // A damaged number reads as NaN or infinity, which no field here can hold.
    if (result > 0 && !std::isfinite(value))
        fail("レコード " + std::to_string(recordNumber_) + " の項目「" + toUtf8(def.name) +
             "」の値は数ではありません");
    return result > 0;
}

std::string ParadoxTable::text(int field) const {
    const ParadoxField& def = fields_[static_cast<std::size_t>(field)];
    if (def.type == pxfLogical) {
        int state = logical(field);
        return state < 0 ? "" : state ? "True" : "False";
    }
    if (def.type != pxfAlpha) {
        double stored = 0;
        return number(field, stored) ? numberText(stored) : std::string();
    }
    char* stored = nullptr;
    // No target encoding is set, so the bytes come through as they stand: CP932.
    int result = PX_get_data_alpha(doc_, at(field), def.length, &stored);
    if (result < 0)
        fail(pxMessage_);
    std::string bytes = stored ? stored : "";
    if (stored)
        doc_->free(doc_, stored);
    return bytes;
}

std::string ParadoxTable::integerText(int field) const {
    const ParadoxField& def = fields_[static_cast<std::size_t>(field)];
    double stored = 0;
    if (def.type == pxfAlpha) {
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
    const ParadoxField& def = fields_[static_cast<std::size_t>(field)];
    char stored = 0;
    int result = PX_get_data_byte(doc_, at(field), def.length, &stored);
    if (result < 0)
        fail(pxMessage_);
    return result == 0 ? -1 : stored != 0;
}

std::string ParadoxTable::flagText(int field) const {
    return logical(field) > 0 ? "True" : "False";
}

} // namespace mivora
