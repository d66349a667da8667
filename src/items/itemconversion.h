#pragma once
// The conversion form of an item text: "#item=check<converted/alternative".
//
//   "#item=0<converted/alternative"   converted when the item's number is 0
//   "#item\0<converted/alternative"   converted when it is not 0
//   "#item=check<converted/alternative" converted when the item's value contains the
//                                     value of check (an item name or a plain word)
//   "#item\check<converted/alternative" converted when it does not
//
// The selected text is then resolved like an item text of its own; "/alternative"
// may be left out (an empty text). "\" wins over "=" when both occur. The markers are
// looked for among the single-byte characters only.

#include <optional>
#include <string>
#include <string_view>

namespace mivora {

struct ItemConversion {
    bool numeric = false; // compares the item's leading number with 0
    bool negated = false; // "\": the converted text when the comparison fails
    std::string item;
    std::string check; // the text form's check content, still to be resolved
    std::string converted;
    std::string alternative;
};

// The conversion of a text that starts with "#", or nothing when it has none of the
// forms (no "=" or "\" followed by a "<"): such a text is an item name, such as
// "#車台番号下７桁=－".
std::optional<ItemConversion> parseConversion(std::string_view text);

} // namespace mivora
