#include "items/itemmodifiers.h"

#include "items/charsearch.h"
#include "text/sjis.h"

#include <array>

namespace mivora {

namespace {

void cutAt(std::string& text, std::size_t pos) {
    if (pos < text.size())
        text.resize(pos);
}

// The number after the marker at pos of source (0 when the marker lies beyond it).
int numberAfter(std::string_view source, std::size_t pos) {
    return leadingNumber(bytesFrom(source, pos + 1));
}

// "&s,l" counts on the whole item text, wherever it stands; without its comma it is
// no marker and stays in the text.
void takeSubstring(std::string_view itemText, std::string_view mask, std::string& working,
                   ItemModifiers& modifiers) {
    const std::size_t at = mask.find('&');
    if (at == kNotFound)
        return;
    const std::size_t comma = mask.find(',', at);
    if (comma == kNotFound)
        return;
    modifiers.substringStart = leadingNumber(itemText.substr(at + 1, comma - at - 1));
    modifiers.substringLength = leadingNumber(itemText.substr(comma + 1));
    cutAt(working, at);
}

bool takeSuffix(std::string& text, const std::string& suffix) {
    if (!endsWithChars(text, suffix))
        return false;
    text.resize(text.size() - suffix.size());
    return true;
}

void takeHonorific(std::string& working, ItemModifiers& modifiers) {
    static const std::array<std::string, 4> honorifics = {sj("　様"), sj("　殿"), sj("様"),
                                                          sj("殿")};
    for (const std::string& honorific : honorifics) {
        if (takeSuffix(working, honorific)) {
            modifiers.honorific = honorific;
            return;
        }
    }
}

// "^name,split,side,length": without a first comma the rest is the name; with a
// first but no second comma the name is what precedes it and nothing is split.
void takeSplit(std::string& working, ItemModifiers& modifiers) {
    static const std::string& after = sj("後");
    const std::size_t first = working.find(',');
    if (first == kNotFound)
        return;
    const std::size_t second = working.find(',', first + 1);
    if (second != kNotFound) {
        const std::size_t third = working.find(',', second + 1);
        const std::string_view rest(working);
        const std::size_t sideLength = third == kNotFound ? kNotFound : third - second - 1;
        modifiers.splitText = working.substr(first + 1, second - first - 1);
        const std::string_view side = rest.substr(second + 1, sideLength);
        modifiers.split = side == after ? SplitSide::After : SplitSide::Before;
        modifiers.judgeLength = third == kNotFound ? 0 : leadingNumber(rest.substr(third + 1));
    }
    working.resize(first);
}

} // namespace

std::string takeSuffixMarkers(std::string_view itemText, ItemModifiers& modifiers) {
    const std::string mask = singleByteMask(itemText);
    std::string working(itemText);

    const std::size_t tilde = mask.find('~');
    if (tilde != kNotFound) {
        cutAt(working, tilde);
        modifiers.fullWidth = true;
    }
    takeSubstring(itemText, mask, working, modifiers);

    // "_" and "$" read their numbers from the text as "~" and "&" left it.
    const std::string afterSubstring = working;
    if (const std::size_t at = mask.find('_'); at != kNotFound) {
        modifiers.spacing = numberAfter(afterSubstring, at);
        cutAt(working, at);
    }
    if (const std::size_t at = mask.find('$'); at != kNotFound) {
        modifiers.rightAlign = numberAfter(afterSubstring, at);
        cutAt(working, at);
    }
    if (const std::size_t at = mask.find('%'); at != kNotFound) {
        modifiers.decimals = numberAfter(working, at);
        cutAt(working, at);
    }
    return working;
}

void takeNameAffixes(std::string& working, ItemModifiers& modifiers) {
    static const std::string& lConversion = sj("Ｌ変");
    modifiers.lConversion = takeSuffix(working, lConversion);
    takeHonorific(working, modifiers);
    if (working.starts_with('!')) {
        working.erase(0, 1);
        modifiers.confirm = true;
    }
    if (working.starts_with('^')) {
        working.erase(0, 1);
        takeSplit(working, modifiers);
    }
}

} // namespace mivora
