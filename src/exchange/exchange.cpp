#include "exchange/exchange.h"

#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <cerrno>
#include <unistd.h>

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
    return findFile(directory, pathText(std::filesystem::path(base + fixedExtension)));
}

FileName splitFileName(const std::filesystem::path& chosen) {
    FileName name;
    name.directory = chosen.parent_path();
    std::string file = chosen.filename().string();
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

namespace {

// ".NAME.part" beside the target.
std::string hiddenPartName(const std::filesystem::path& target) {
    std::string name(1, '.');
    name += target.filename().string();
    name += ".part";
    return name;
}

} // namespace

AtomicFile::AtomicFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(target_.parent_path() / hiddenPartName(target_)),
      file_(std::fopen(temporary_.c_str(), "wb")) {
    if (!file_)
        throw fileFailure(target_, FileAction::Create, errno);
}

AtomicFile::~AtomicFile() {
    if (file_) {
        std::fclose(file_);
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
}

void AtomicFile::write(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        throw fileFailure(target_, FileAction::Write, errno);
}

void AtomicFile::commit() {
    bool written = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    written = std::fclose(file_) == 0 && written;
    int failure = errno;
    file_ = nullptr;
    std::error_code error;
    if (written) {
        std::filesystem::rename(temporary_, target_, error);
        failure = error.value();
    }
    if (!written || error) {
        std::filesystem::remove(temporary_, error);
        throw fileFailure(target_, FileAction::Write, failure);
    }
}

ByteReader::ByteReader(const std::filesystem::path& file)
    : file_(std::fopen(file.c_str(), "rb")), name_(file) {
    if (!file_)
        throw fileFailure(file, FileAction::Read, errno);
    std::error_code ignored;
    size_ = std::filesystem::file_size(file, ignored);
}

ByteReader::~ByteReader() {
    std::fclose(file_);
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
