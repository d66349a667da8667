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

void SortedRowids::add(std::int64_t rowid, std::string_view key) {
    std::string_view kept = key.substr(0, kKeptBytes);
    entries_.push_back({rowid, headOf(kept), keys_.size(), static_cast<std::uint32_t>(kept.size()),
                        key.size() > kept.size()});
    keys_ += kept;
}

int SortedRowids::compare(const Entry& a, const Entry& b, const FullOrder& fullOrder) const {
    if (a.head != b.head)
        return a.head < b.head ? -1 : 1;
    const std::size_t common = std::min(a.length, b.length);
    std::string_view keys = keys_;
    int order = keys.substr(a.begin, common).compare(keys.substr(b.begin, common));
    if (order != 0)
        return order;
    if (a.cut && b.cut)
        return fullOrder(a.rowid, b.rowid);
    // Equal as far as both were kept: a key that ends first is smaller, and a cut
    // key goes on beyond what was kept.
    const std::size_t lengthA = a.length + (a.cut ? 1 : 0), lengthB = b.length + (b.cut ? 1 : 0);
    return lengthA < lengthB ? -1 : lengthA > lengthB ? 1 : 0;
}

std::vector<std::int64_t> SortedRowids::sorted(const FullOrder& fullOrder) {
    std::sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
        int order = compare(a, b, fullOrder);
        return order != 0 ? order < 0 : a.rowid < b.rowid;
    });
    std::vector<std::int64_t> rowids;
    rowids.reserve(entries_.size());
    for (const Entry& entry : entries_)
        rowids.push_back(entry.rowid);
    return rowids;
}

} // namespace mivora
