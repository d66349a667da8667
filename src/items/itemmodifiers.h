#pragma once
// The modifier syntax around an item name, taken off an item text:
//
//   [!][^]name[,split,前|後,length][Ｌ変][様|殿|　様|　殿][%n][_n|$w][&s,l][~]
//
// with "#item=check<converted/alternative" standing for the name (see
// itemconversion.h). The suffix markers are looked for among the single-byte
// characters of the item text only; each cuts the text where it stands. Their
// numbers are read in a fixed order, so they work when written in the order above:
// "%" first, then "_" and "$" (either way round), then "&" and "~" (either way round);
// a "%" after any of the others, and a "_" or "$" after "~" or "&", is cut off with
// it and ignored.

#include <string>
#include <string_view>

namespace mivora {

enum class SplitSide { None, Before, After };

struct ItemModifiers {
    bool fullWidth = false; // "~": made full-width
    int substringStart = 0; // "&s,l": l bytes from byte s (1-based)
    int substringLength = 0;
    int spacing = 0;                   // "_n": n blanks after each character
    int rightAlign = 0;                // "$w": thousands separators, right-aligned in w bytes
    int decimals = 0;                  // "%n": n decimals (blanks instead for negative n)
    bool lConversion = false;          // "Ｌ変": the digit one printed as the letter l
    std::string honorific;             // "様", "殿", "　様" or "　殿", added after the value
    bool confirm = false;              // "!": asked before printing
    SplitSide split = SplitSide::None; // "^": the part before or after the split text
    std::string splitText;
    int judgeLength = 0; // split only values longer than this many bytes
};

// Takes "~", "&s,l", "_n", "$w" and "%n" off the item text; returns the rest.
std::string takeSuffixMarkers(std::string_view itemText, ItemModifiers& modifiers);

// Takes "Ｌ変", the honorific, "!" and "^" off the working text (after any
// conversion), leaving the bare item name in it.
void takeNameAffixes(std::string& working, ItemModifiers& modifiers);

} // namespace mivora
