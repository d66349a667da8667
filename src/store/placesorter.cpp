#include "store/placesorter.h"

#include "store/backgroundtask.h"
#include "text/errors.h"

#include <algorithm>
#include <limits>

namespace mivora {

namespace {

// Records unpacked at a time while visiting a bucket.
constexpr std::size_t kRecordsPerSlice = 512;

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

PlaceSorter::PlaceSorter(std::size_t places, std::size_t fieldCount, Visit visit)
    : places_(places), fieldCount_(fieldCount), visit_(std::move(visit)),
      buckets_((places + kPlacesPerBucket - 1) / kPlacesPerBucket) {}

void PlaceSorter::pack(std::size_t place, const std::vector<std::string>& fields,
                       std::string& out) {
    appendNumber(out, place % kPlacesPerBucket);
    for (const std::string& field : fields) {
        appendNumber(out, field.size());
        out += field;
    }
}

void PlaceSorter::add(std::size_t place, std::vector<std::string>& fields,
                      std::string_view packed) {
    // Waiting records all have places beyond the turn, so that this one comes
    // before them.
    if (place == nextTurn_) {
        ++nextTurn_;
        visit_(fields);
        return;
    }
    Bucket& bucket = buckets_[place / kPlacesPerBucket];
    bucket.pending += packed;
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

void PlaceSorter::finish() {
    for (std::size_t b = 0; b < buckets_.size(); ++b)
        visitBucket(takeWhole(buckets_[b]), b * kPlacesPerBucket);
}

// Where each waiting record of a bucket starts, in the order of their places.
std::vector<std::size_t> PlaceSorter::recordStarts(const std::string& bytes,
                                                   std::size_t firstPlace) const {
    std::vector<std::size_t> startOf(std::min(kPlacesPerBucket, places_ - firstPlace), kNoRecord);
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t place = readNumber(bytes, pos);
        startOf[place] = pos;
        for (std::size_t i = 0; i < fieldCount_; ++i) {
            const std::size_t size = readNumber(bytes, pos);
            pos += size;
        }
    }
    std::erase(startOf, kNoRecord);
    return startOf;
}

void PlaceSorter::unpack(const std::string& bytes, std::span<const std::size_t> starts,
                         std::vector<std::vector<std::string>>& rows) const {
    if (rows.size() < starts.size())
        rows.resize(starts.size(), std::vector<std::string>(fieldCount_));
    for (std::size_t record = 0; record < starts.size(); ++record) {
        std::size_t pos = starts[record];
        for (std::string& field : rows[record]) {
            const std::size_t size = readNumber(bytes, pos);
            field.assign(bytes, pos, size);
            pos += size;
        }
    }
}

// A slice of the records is unpacked on a second thread while the one before is
// visited.
void PlaceSorter::visitBucket(const std::string& bytes, std::size_t firstPlace) {
    const std::vector<std::size_t> starts = recordStarts(bytes, firstPlace);
    auto slice = [&](std::size_t from) {
        return std::span(starts).subspan(from, std::min(kRecordsPerSlice, starts.size() - from));
    };
    std::vector<std::vector<std::string>> slices[2];
    BackgroundTask unpacking; // joins, if it must, the thread before the slices go
    if (!starts.empty())
        unpack(bytes, slice(0), slices[0]);
    for (std::size_t from = 0, s = 0; from < starts.size(); from += kRecordsPerSlice, s ^= 1) {
        const std::size_t next = from + kRecordsPerSlice;
        if (next < starts.size())
            unpacking.start([&, next, s] { unpack(bytes, slice(next), slices[s ^ 1]); });
        const std::size_t records = slice(from).size();
        for (std::size_t record = 0; record < records; ++record)
            visit_(slices[s][record]);
        unpacking.wait();
    }
}

} // namespace mivora
