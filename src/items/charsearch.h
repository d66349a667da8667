#pragma once
// Searching and cutting CP932 texts by whole characters, for the item resolver. A
// match never begins on the second byte of a double-byte character, and a cut never
// keeps half of one: the second byte of "ソ" is "\" and that of "ダ" is "_", so a byte
// search would find markers and words inside other characters.

#include <cstddef>
#include <string>
#include <string_view>

namespace mivora {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// The first occurrence of needle beginning at a character boundary at or after from;
// an empty needle is never found.
std::size_t findChars(std::string_view text, std::string_view needle, std::size_t from = 0);

inline bool containsChars(std::string_view text, std::string_view needle) {
    return findChars(text, needle) != kNotFound;
}

// Whether text ends with suffix and the suffix begins at a character boundary.
bool endsWithChars(std::string_view text, std::string_view suffix);

// At most the first count bytes; one byte less where the cut would split a character.
std::string_view headBytes(std::string_view text, std::size_t count);

// At most the last count bytes; one byte less where the cut would split a character.
std::string_view tailBytes(std::string_view text, std::size_t count);

// The text from byte pos on; empty when pos lies beyond it.
inline std::string_view bytesFrom(std::string_view text, std::size_t pos) {
    return pos < text.size() ? text.substr(pos) : std::string_view();
}

// The text with both bytes of every double-byte character replaced by blanks, so
// that the single-byte marker characters are searched among single-byte characters
// only, at the same positions as in the text.
std::string singleByteMask(std::string_view text);

// Whether the character at pos is a full-width digit "０" to "９".
bool isFullDigitAt(std::string_view text, std::size_t pos);

// Whether the text holds a full-width digit.
bool holdsFullDigit(std::string_view text);

// The number that a modifier, a free content or a value stands for: blanks skipped,
// an optional sign, then decimal digits up to the first other character (0 without
// digits; saturated beyond int). The sign counts only when the digits end the text,
// so "-2" is -2 while "-2$10" reads 2, as layouts written so far expect.
int leadingNumber(std::string_view text);

} // namespace mivora
