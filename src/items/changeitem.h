#pragma once
// The value of one bare item name (its modifiers already taken off) for the current
// vehicle record: a field, a piece of a field, a hand-written text, a date, or the
// name itself when it names nothing.

#include "items/itemsources.h"

#include <string>
#include <string_view>

namespace mivora {

enum class DateBlanking { Off, On };

struct ItemValue {
    std::string text;
    bool spacedDate = false; // the layout's date display rule spaced the value out
};

// ChangeItem, in this order:
//   "@text"            the text, literally, with nothing else applied;
//   "今日" … "弥明後日"  today and one to four days later as an item date;
//   "今月N日", "先月N日" day N of this or last month ("末日": its last day), limited to
//                      the month's length; a day below 1 is no date;
//   "?name"            slot N of the input record ("+amount" is right-aligned in 14 bytes);
//   otherwise          the vehicle field the name reads (a cut item reads the field it
//                      cuts), then the cut of the name;
// then, with blanking on, the layout's date display rule, and the half-width
// conversion of the measurement and code items. A name that is no field (and no date)
// is its own value, untouched.
ItemValue ChangeItem(const ItemSources& sources, std::string_view name, int slotNumber,
                     DateBlanking blanking);

} // namespace mivora
