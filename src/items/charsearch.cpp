#include "items/charsearch.h"

#include "text/sjis.h"

#include <algorithm>
#include <climits>

namespace mivora {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether pos begins a character (or is the end of the text).
bool isBoundary(std::string_view text, std::size_t pos) {
    std::size_t i = 0;
    while (i < pos)
        i += charLength(text, i);
    return i == pos;
}

} // namespace

std::size_t findChars(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty())
        return kNotFound;
    for (std::size_t i = 0; i + needle.size() <= text.size(); i += charLength(text, i))
        if (i >= from && text.compare(i, needle.size(), needle) == 0)
            return i;
    return kNotFound;
}

bool endsWithChars(std::string_view text, std::string_view suffix) {
    return text.ends_with(suffix) && isBoundary(text, text.size() - suffix.size());
}

std::string_view headBytes(std::string_view text, std::size_t count) {
    if (count >= text.size())
        return text;
    return text.substr(0, isBoundary(text, count) ? count : count - 1);
}

std::string_view tailBytes(std::string_view text, std::size_t count) {
    if (count >= text.size())
        return text;
    const std::size_t start = text.size() - count;
    return text.substr(isBoundary(text, start) ? start : start + 1);
}

std::string singleByteMask(std::string_view text) {
    std::string mask(text);
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i))
        if (charLength(text, i) == 2)
            mask[i] = mask[i + 1] = ' ';
    return mask;
}

bool isFullDigitAt(std::string_view text, std::size_t pos) {
    if (charLength(text, pos) != 2 || static_cast<unsigned char>(text[pos]) != 0x82)
        return false;
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    return trail >= 0x4F && trail <= 0x58;
}

bool holdsFullDigit(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i))
        if (isFullDigitAt(text, i))
            return true;
    return false;
}

int leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    return static_cast<int>(negative && i == text.size() ? -value : value);
}

} // namespace mivora
