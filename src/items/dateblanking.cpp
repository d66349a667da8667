#include "items/dateblanking.h"

#include "items/charconv.h"
#include "items/charsearch.h"
#include "text/sjis.h"

#include <algorithm>
#include <array>

namespace mivora {

namespace {

// Replaces the first occurrence of what, noting where the replacement begins.
void replaceFirst(std::string& text, const std::string& what, std::string_view by,
                  std::size_t& replacedAt) {
    const std::size_t at = findChars(text, what);
    if (at == kNotFound)
        return;
    text.replace(at, what.size(), by);
    replacedAt = at;
}

} // namespace

bool blankDate(std::string& value, const DateDisplay& display) {
    if (display.shown)
        return false;
    static const std::array<std::string, 3> eras = {sj("平成"), sj("昭和"), sj("令和")};
    static const std::array<std::string, 4> units = {sj("年"), sj("ヶ"), sj("月"), sj("日")};
    static const std::string& eraBlank = sj("　　");
    const std::string unitBlank(static_cast<std::size_t>(std::clamp(display.width, 0, 10) + 2),
                                ' ');

    std::string blanked = value;
    std::size_t lastReplaced = kNotFound;
    for (const std::string& era : eras)
        replaceFirst(blanked, era, eraBlank, lastReplaced);
    for (const std::string& unit : units)
        replaceFirst(blanked, unit, unitBlank, lastReplaced);
    if (lastReplaced == kNotFound ||
        !holdsFullDigit(std::string_view(blanked).substr(0, lastReplaced)))
        return false;
    CharCheck(blanked, 0);
    value = std::move(blanked);
    return true;
}

} // namespace mivora
