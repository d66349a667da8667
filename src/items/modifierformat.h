#pragma once
// The modifiers that shape a resolved value: the split of "^", the decimals of "%",
// the thousands separators and right alignment of "$", and the substring of "&".

#include "items/itemmodifiers.h"

#include <optional>
#include <string>

namespace mivora {

// "^" and the honorific. With a split side, a value longer than the judge length
// that holds the split text keeps what precedes it ("before") or, with the
// honorific, what follows it ("after"). A value that is not split is kept whole with
// the honorific by "before" and left out by "after", so two slots print a long value
// on two lines and a short one on the first. Without a split side the honorific is
// added.
void applySplit(std::string& text, const ItemModifiers& modifiers);

// "%n" (n not 0): "" and "0" print nothing; a value with fewer than |n| decimals gets
// "." (where it has none) and zeros up to n decimals, or blanks of the same width for
// a negative n.
void applyDecimals(std::string& text, int decimals);

// "$w" (w not 0): "" and "0" print nothing; otherwise "," goes between the thousands
// and the millions of the value's leading number, and the value is padded on the
// left with blanks to w bytes when padding is asked for. Returns w minus the length
// of the separated value, the blanks a printer would have to leave, or nothing when
// the value was dropped.
std::optional<int> applyRightAlign(std::string& text, int width, bool pad);

// "&s,l" (both not 0): l bytes from byte s on. A character that the cut would halve
// is left out.
void applySubstring(std::string& text, int start, int length);

} // namespace mivora
