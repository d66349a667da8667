#include "items/itemconversion.h"

#include "items/charsearch.h"

namespace mivora {

namespace {

// The position of the preferred comparison marker ("\" forms before "=" forms).
std::size_t findComparison(std::string_view mask, std::string_view negatedMarker,
                           std::string_view marker, bool& negated) {
    const std::size_t at = mask.find(negatedMarker);
    negated = at != kNotFound;
    return negated ? at : mask.find(marker);
}

} // namespace

std::optional<ItemConversion> parseConversion(std::string_view text) {
    if (!text.starts_with('#'))
        return std::nullopt;
    text.remove_prefix(1);
    const std::string mask = singleByteMask(text);

    ItemConversion conversion;
    std::size_t marker = findComparison(mask, "\\0", "=0", conversion.negated);
    std::size_t open = marker == kNotFound ? kNotFound : mask.find('<', marker);
    conversion.numeric = open != kNotFound;
    if (!conversion.numeric) {
        marker = findComparison(mask, "\\", "=", conversion.negated);
        open = marker == kNotFound ? kNotFound : mask.find('<', marker);
        if (open == kNotFound)
            return std::nullopt;
        conversion.check = text.substr(marker + 1, open - marker - 1);
    }
    const std::size_t slash = mask.find('/', open);
    conversion.item = text.substr(0, marker);
    conversion.converted = text.substr(open + 1, slash == kNotFound ? kNotFound : slash - open - 1);
    if (slash != kNotFound)
        conversion.alternative = text.substr(slash + 1);
    return conversion;
}

} // namespace mivora
