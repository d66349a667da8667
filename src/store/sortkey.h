#pragma once
// The record order of a cursor, worked out by the program rather than by the
// database: every record gets a key, a byte string whose plain byte order is the
// order of the record by a list of fields (texts by their Shift-JIS bytes,
// numbers by value, empty before any number), and the row ids are sorted by key.
// The files then need no collation of their own, and every backend that can
// hand over the order fields of its records orders them alike.

#include "store/schema.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

// Appends one field to a key (keys compare as std::string does: unsigned bytes). Each part ends in
// a way that no value continues, so a longer key never sorts by a later field before an earlier one
// has ended.
void appendTextKey(std::string& key, std::string_view cp932);
void appendUtf8TextKey(std::string& key, std::string_view utf8); // as its CP932 bytes
void appendNumberKey(std::string& key, std::optional<std::int64_t> number);

// Collects (row id, key) pairs and hands the row ids back in key order, equal
// keys by row id. Whole keys are kept, so that records alike in their first
// fields (one user's many vehicles) are ordered from memory as fast as any
// others; they are kept in blocks that never move, without a string of each.
class SortedRowids {
  public:
    void add(std::int64_t rowid, std::string_view key);
    std::vector<std::int64_t> sorted();

  private:
    struct Entry {
        std::int64_t rowid;
        std::uint64_t head; // the first eight bytes, as a big-endian number
        const char* key;
        std::size_t length;
    };
    const char* keep(std::string_view key);

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;
    std::size_t freeBytes_ = 0;
    std::vector<Entry> entries_;
};

} // namespace mivora
