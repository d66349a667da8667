#pragma once
// ItemChange: the value of a bare item name, with arithmetic between items.

#include "items/changeitem.h"

namespace mivora {

// Whether the item of slot N is arithmetic is decided, on the first layout, by the
// item name itself and, on the later layouts, by the layout's preset free content of
// the same slot: the fee layouts keep their amounts there. An arithmetic item is
// split at "+", "-", "*" and "/" into operands (item names or whole numbers, each
// resolved by ChangeItem, made half-width and read as a number), evaluated with "*"
// and "/" before "+" and "-", left to right, in 32-bit integers, and written as a
// decimal number. An operand missing before or after an operator makes the whole
// name one item again. A division by zero or a result beyond 32 bits yields an empty
// text. Every other item goes to ChangeItem.
ItemValue ItemChange(const ItemSources& sources, std::string_view name, int slotNumber,
                     DateBlanking blanking);

} // namespace mivora
