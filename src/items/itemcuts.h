#pragma once
// The pieces that cut items take of a field value: the parts of a registration
// number, the tail of a chassis number and its hyphen marks, an address without its
// prefecture, the first word of a make. Pure functions of CP932 texts.

#include <string>
#include <string_view>

namespace mivora {

// A registration number reads office, class number, kana, serial: "品川５００あ１２３４".
enum class PlatePiece {
    FromClass, // "５００あ１２３４"
    Office,    // "品川"
    Class,     // "５００"
    Kana,      // "あ"
    Serial,    // "１２３４"
};

// The pieces are told apart by their full-width digits, looked for from the second
// character on. A number whose pieces cannot be told apart (no class number; for the
// class, kana and serial also a class number that ends the text; for the kana and
// serial no serial) stays whole.
std::string platePiece(std::string_view plate, PlatePiece piece);

// The tail of a chassis number that fits the seven boxes of the forms: blanks
// trimmed, full-width blanks removed from the end, the last 14 bytes; then what
// follows a "－", padded with full-width blanks to 14 bytes, and what follows a "-",
// padded with blanks to 7 bytes.
std::string chassisTail(std::string_view chassis);

// The hyphen marks of a chassis tail: the tail made half-width, then for every
// second byte from the first (not the last byte) the mark where it is no digit and
// a blank of the mark's width (full-width for a two-byte mark) where it is.
std::string chassisMarks(std::string tail, std::string_view mark);

// The address after the first "東京都", then after the first "北海道", "大阪府",
// "京都府" and "県", each looked for in what the previous step left.
std::string withoutPrefecture(std::string_view address);

// The make up to its first blank, then up to its first full-width blank.
std::string firstWordOfMake(std::string_view make);

} // namespace mivora
