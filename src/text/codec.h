#pragma once
// CP932 <-> UTF-8 at the boundaries of the core (the tables, the windows, the
// command line), reading every code as Windows does. Every byte string comes back
// exactly: bytes that are no CP932 character travel as one private-use code point
// each (U+F0000 + byte), which CP932 never uses, and a character read from a code
// that Windows would not write for it (0xED95 for 﨑, which Windows writes as
// 0xFAB1) is followed by a variation selector (U+FE00 or U+FE01) that takes it
// back to the code it came from.

#include <string>
#include <string_view>

namespace mivora {

std::string toUtf8(std::string_view cp932);
// The same into out, reusing its memory (for converting many values in a row).
void toUtf8(std::string_view cp932, std::string& out);

// Throws ConversionError for text that is not UTF-8 or holds a character that has
// no CP932 code.
std::string fromUtf8(std::string_view utf8);
// The same into out, reusing its memory.
void fromUtf8(std::string_view utf8, std::string& out);

// Orders two UTF-8 texts as their CP932 bytes compare (negative, 0, positive),
// without converting them. Text that does not convert compares by its own bytes
// from there on.
int compareAsCp932(std::string_view utf8A, std::string_view utf8B);

// Appends the CP932 bytes of a UTF-8 text in the order compareAsCp932 sees them:
// never throws; text that does not convert is appended as its own bytes from there on.
void appendAsCp932(std::string_view utf8, std::string& out);

} // namespace mivora
