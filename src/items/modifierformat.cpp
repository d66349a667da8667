#include "items/modifierformat.h"

#include "items/charsearch.h"

#include <algorithm>
#include <cstdlib>

namespace mivora {

namespace {

// No form has room for more: a larger number in a modifier is a typing error, and
// must not make a slot allocate without bound.
constexpr int kWidestModifier = 255;

bool printsNothing(const std::string& text) {
    return text.empty() || text == "0";
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where the digits of the value's leading number end.
std::size_t endOfLeadingDigits(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

// Separators go at the digits of the number, so decimals and units after it ("1234.5",
// "1234円") keep their place.
void insertThousandsSeparators(std::string& text) {
    const int value = leadingNumber(text);
    std::size_t end = endOfLeadingDigits(text);
    if (value >= 1'000'000 || value <= -1'000'000) {
        text.insert(end - 6, 1, ',');
        ++end;
    }
    if (value >= 1'000 || value <= -1'000)
        text.insert(end - 3, 1, ',');
}

} // namespace

void applySplit(std::string& text, const ItemModifiers& modifiers) {
    if (modifiers.split == SplitSide::None) {
        text += modifiers.honorific;
        return;
    }
    const bool longer = static_cast<long long>(text.size()) > modifiers.judgeLength;
    const std::size_t at = longer ? findChars(text, modifiers.splitText) : kNotFound;
    const bool before = modifiers.split == SplitSide::Before;
    if (at == kNotFound)
        text = before ? text + modifiers.honorific : std::string();
    else if (before)
        text.resize(at);
    else
        text = text.substr(at + modifiers.splitText.size()) + modifiers.honorific;
}

void applyDecimals(std::string& text, int decimals) {
    if (decimals == 0)
        return;
    if (printsNothing(text)) {
        text.clear();
        return;
    }
    const std::size_t wanted =
        static_cast<std::size_t>(std::min(std::abs(decimals), kWidestModifier));
    const std::size_t dot = text.find('.');
    const std::size_t present = dot == kNotFound ? 0 : text.size() - dot - 1;
    if (present >= wanted)
        return;
    const char fill = decimals > 0 ? '0' : ' ';
    if (dot == kNotFound)
        text += decimals > 0 ? '.' : ' ';
    text.append(wanted - present, fill);
}

std::optional<int> applyRightAlign(std::string& text, int width, bool pad) {
    if (width == 0)
        return std::nullopt;
    if (printsNothing(text)) {
        text.clear();
        return std::nullopt;
    }
    insertThousandsSeparators(text);
    // A stored width may be any integer; beyond the widest a modifier takes the
    // arithmetic below would overflow.
    width = std::clamp(width, -kWidestModifier, kWidestModifier);
    if (pad && static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return width - static_cast<int>(text.size());
}

void applySubstring(std::string& text, int start, int length) {
    if (start == 0 || length == 0)
        return;
    const std::size_t from = static_cast<std::size_t>(std::max(start, 1) - 1);
    if (length < 0 || from >= text.size()) {
        text.clear();
        return;
    }
    const std::size_t end = from + std::min(static_cast<std::size_t>(length), text.size() - from);
    const std::string_view head = headBytes(text, end);
    text = std::string(from < head.size() ? tailBytes(head, head.size() - from) : "");
}

} // namespace mivora
