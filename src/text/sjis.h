#pragma once
// Shift-JIS (CP932) byte strings: the form of every text inside the core.
// Lengths and positions count bytes, so a full-width character counts 2.

#include <cstddef>
#include <string>
#include <string_view>

namespace mivora {

// A byte from 127 to 160 or from 224 to 255 begins a double-byte character.
constexpr bool isLeadByte(unsigned char byte) {
    return (byte >= 127 && byte <= 160) || byte >= 224;
}

// Number of bytes of the character starting at pos: 2 for a lead byte that has a
// byte after it, else 1. A lone lead byte at the end counts 1, so no walk reads
// past the end of the text.
inline std::size_t charLength(std::string_view text, std::size_t pos) {
    return isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// The leading-integer rule of settings files, free contents and modifiers: blanks
// skipped, an optional sign, then decimal digits up to the first other character.
// A text without digits gives 0; a value beyond int saturates.
int leadingInteger(std::string_view text);

// Whether the whole text is a decimal integer (optional sign, at least one digit,
// blanks around allowed) and its value.
bool parseInteger(std::string_view text, long long& value);

// CP932 bytes of a UTF-8 text written in the source code (field names, keywords,
// messages). Converted once per distinct literal.
const std::string& sj(std::string_view utf8Literal);

} // namespace mivora
