#include "exchange/exchange.h"

#include "platform/files.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <cerrno>
#include <cstring>

namespace mivora {

bool DigitCountRow::addressBook() const {
    return use.find(sj("住所録")) != std::string::npos;
}

DigitCountRow readDigitCountRow(const Table& digitCounts) {
    DigitCountRow row;
    row.use = digitCounts.text(sj("データ用途"));
    for (int i = 0; i < kColumnCount; ++i)
        row.counts[i] = digitCounts.integer(sj(vehicleFieldNames()[i]));
    row.postal = digitCounts.integer(sj("郵便番号"));
    return row;
}

std::filesystem::path FileName::with(const char* fixedExtension) const {
    return findFile(directory, base + fixedExtension);
}

FileName splitFileName(const std::filesystem::path& chosen) {
    FileName name;
    name.directory = chosen.parent_path();
    std::string file = pathText(chosen.filename());
    std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        name.base = file;
    } else {
        name.base = file.substr(0, dot);
        name.extension = file.substr(dot);
    }
    return name;
}

std::array<int, kColumnCount> columnIndexes(const Table& vehicles) {
    std::array<int, kColumnCount> indexes{};
    for (int i = 0; i < kColumnCount; ++i)
        indexes[i] = vehicles.fieldIndex(sj(vehicleFieldNames()[i]));
    return indexes;
}

ByteReader::ByteReader(const std::filesystem::path& file)
    : file_(openStream(file, "rb")), name_(file) {
    if (!file_)
        throw fileFailure(file, FileAction::Read, errno);
    std::error_code ignored;
    size_ = std::filesystem::file_size(file, ignored);
}

ByteReader::~ByteReader() {
    std::fclose(file_);
}

bool ByteReader::appendUntil(char delimiter, std::string& field) {
    for (;;) {
        if (pos_ == end_ && !fill())
            return false;
        const char* begin = buffer_ + pos_;
        const std::size_t left = end_ - pos_;
        if (const void* found = std::memchr(begin, delimiter, left)) {
            const std::size_t length =
                static_cast<std::size_t>(static_cast<const char*>(found) - begin);
            field.append(begin, length);
            pos_ += length + 1;
            return true;
        }
        field.append(begin, left);
        pos_ = end_;
    }
}

bool ByteReader::fill() {
    consumedBefore_ += end_;
    pos_ = 0;
    end_ = std::fread(buffer_, 1, sizeof buffer_, file_);
    if (end_ == 0 && std::ferror(file_))
        throw fileFailure(name_, FileAction::Read, errno);
    return end_ > 0;
}

} // namespace mivora
