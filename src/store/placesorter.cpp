#include "store/placesorter.h"

#include "text/errors.h"

#include <algorithm>
#include <limits>

namespace mivora {

namespace {

// Neighbouring places share a bucket: one bucket in memory at a time while
// visiting, a few hundred bytes a record.
constexpr std::size_t kPlacesPerBucket = 4096;
// What a bucket gathers before it goes to the scratch file: large writes, and
// little memory for all buckets together.
constexpr std::size_t kSpillBytes = 32 * 1024;

constexpr std::size_t kNoRecord = std::numeric_limits<std::size_t>::max();

// A record is its place within the bucket and then each field as its length and
// its bytes; numbers take seven bits a byte, the last byte without the high bit.
void appendNumber(std::string& out, std::size_t number) {
    while (number >= 0x80) {
        out += static_cast<char>((number & 0x7F) | 0x80);
        number >>= 7;
    }
    out += static_cast<char>(number);
}

std::size_t readNumber(const std::string& bytes, std::size_t& pos) {
    std::size_t number = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(bytes[pos++]);
        number |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80)
            return number;
    }
}

} // namespace

PlaceSorter::PlaceSorter(std::size_t places, std::size_t fieldCount)
    : places_(places), fieldCount_(fieldCount),
      buckets_((places + kPlacesPerBucket - 1) / kPlacesPerBucket) {}

void PlaceSorter::add(std::size_t place, const std::vector<std::string>& fields) {
    Bucket& bucket = buckets_[place / kPlacesPerBucket];
    appendNumber(bucket.pending, place % kPlacesPerBucket);
    for (std::size_t i = 0; i < fieldCount_; ++i) {
        appendNumber(bucket.pending, fields[i].size());
        bucket.pending += fields[i];
    }
    if (bucket.pending.size() >= kSpillBytes)
        spill(bucket);
}

void PlaceSorter::spill(Bucket& bucket) {
    if (!scratch_ && !scratchRefused_) {
        scratch_.reset(std::tmpfile());
        scratchRefused_ = !scratch_;
    }
    if (scratchRefused_)
        return;
    if (std::fseek(scratch_.get(), scratchEnd_, SEEK_SET) != 0 ||
        std::fwrite(bucket.pending.data(), 1, bucket.pending.size(), scratch_.get()) !=
            bucket.pending.size()) {
        // A full disk: what was written stays readable, the rest stays in memory.
        scratchRefused_ = true;
        return;
    }
    bucket.spilled.push_back({scratchEnd_, bucket.pending.size()});
    scratchEnd_ += static_cast<long>(bucket.pending.size());
    bucket.pending.clear();
}

std::string PlaceSorter::takeWhole(Bucket& bucket) {
    std::string bytes;
    for (const Chunk& chunk : bucket.spilled) {
        const std::size_t start = bytes.size();
        bytes.resize(start + chunk.size);
        if (std::fseek(scratch_.get(), chunk.offset, SEEK_SET) != 0 ||
            std::fread(bytes.data() + start, 1, chunk.size, scratch_.get()) != chunk.size)
            throw FileError("一時ファイルを読み込めません。");
    }
    bytes += bucket.pending;
    bucket = Bucket{};
    return bytes;
}

void PlaceSorter::visitInOrder(const std::function<void(std::vector<std::string>&)>& visit) {
    for (std::size_t b = 0; b < buckets_.size(); ++b) {
        const std::size_t places = std::min(kPlacesPerBucket, places_ - b * kPlacesPerBucket);
        visitBucket(takeWhole(buckets_[b]), places, visit);
    }
}

void PlaceSorter::visitBucket(const std::string& bytes, std::size_t places,
                              const std::function<void(std::vector<std::string>&)>& visit) {
    std::vector<std::size_t> startOf(places, kNoRecord);
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t place = readNumber(bytes, pos);
        startOf[place] = pos;
        for (std::size_t i = 0; i < fieldCount_; ++i) {
            const std::size_t size = readNumber(bytes, pos);
            pos += size;
        }
    }
    std::vector<std::string> row(fieldCount_);
    for (std::size_t start : startOf) {
        if (start == kNoRecord)
            continue;
        for (std::size_t i = 0; i < fieldCount_; ++i) {
            const std::size_t size = readNumber(bytes, start);
            row[i].assign(bytes, start, size);
            start += size;
        }
        visit(row);
    }
}

} // namespace mivora
