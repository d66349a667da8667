#include "store/sortkey.h"

#include "text/codec.h"

#include <algorithm>

namespace mivora {

namespace {

// A zero byte inside a value becomes 00 01; a value ends with 00 00, which sorts
// before any byte that could continue it. The value is the key from start on.
void endValue(std::string& key, std::size_t start) {
    if (key.find('\0', start) != std::string::npos) {
        const std::string value = key.substr(start);
        key.resize(start);
        for (char c : value) {
            key += c;
            if (c == '\0')
                key += '\x01';
        }
    }
    key.append(2, '\0');
}

// Keys that differ in their first eight bytes compare as these numbers do (a key
// that ends sooner is padded with zero bytes, and so is never after one it begins).
std::uint64_t headOf(std::string_view key) {
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < 8; ++i)
        head = head << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0);
    return head;
}

} // namespace

void appendTextKey(std::string& key, std::string_view cp932) {
    const std::size_t start = key.size();
    key += cp932;
    endValue(key, start);
}

void appendUtf8TextKey(std::string& key, std::string_view utf8) {
    const std::size_t start = key.size();
    appendAsCp932(utf8, key);
    endValue(key, start);
}

void appendNumberKey(std::string& key, std::optional<std::int64_t> number) {
    if (!number) {
        key += '\0';
        return;
    }
    // Flipping the sign bit makes two's complement numbers sort as unsigned bytes.
    std::uint64_t bits = static_cast<std::uint64_t>(*number) ^ (std::uint64_t{1} << 63);
    key += '\x01';
    for (int shift = 56; shift >= 0; shift -= 8)
        key += static_cast<char>(bits >> shift & 0xFF);
}

const char* SortedRowids::keep(std::string_view key) {
    // Blocks of a mebibyte waste little at their ends and are never copied, as a
    // growing buffer would be at twice its size.
    constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
    if (key.size() > freeBytes_) {
        const std::size_t size = std::max(kBlockBytes, key.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        free_ = blocks_.back().get();
        freeBytes_ = size;
    }
    char* kept = free_;
    std::copy(key.begin(), key.end(), kept);
    free_ += key.size();
    freeBytes_ -= key.size();
    return kept;
}

void SortedRowids::add(std::int64_t rowid, std::string_view key) {
    entries_.push_back({rowid, headOf(key), keep(key), key.size()});
}

std::vector<std::int64_t> SortedRowids::sorted() {
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        if (a.head != b.head)
            return a.head < b.head;
        const int order = std::string_view(a.key, a.length).compare({b.key, b.length});
        return order != 0 ? order < 0 : a.rowid < b.rowid;
    });
    std::vector<std::int64_t> rowids;
    rowids.reserve(entries_.size());
    for (const Entry& entry : entries_)
        rowids.push_back(entry.rowid);
    return rowids;
}

} // namespace mivora
