#pragma once
// The item list that the designer offers for a slot, in the order it offers it. The
// list is only an offer: a slot holds free text, and every text is resolved by the
// same rules, listed or not.

#include <span>
#include <string_view>

namespace mivora {

enum class ItemKind {
    Field,      // a field of the vehicle record
    Piece,      // a piece of a field, cut or converted
    Date,       // today and the days after
    CircleMark, // a "○" on one of the words the form prints
    Inspection, // the 12-month inspection dates
    Prepared,   // replaced by the print-data preparation of the fee layouts
    NoRule,     // offered, but prints as written
    Mode,       // a line that describes a modifier, not an item
};

struct VocabularyEntry {
    std::string_view text; // UTF-8
    ItemKind kind;
};

std::span<const VocabularyEntry> itemVocabulary();

} // namespace mivora
