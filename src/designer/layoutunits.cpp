#include "designer/layoutunits.h"

#include "text/sjis.h"

#include <algorithm>
#include <climits>

namespace mivora {

namespace {

constexpr int kDefaultScale = 2;
constexpr int kLargestScale = 5;

} // namespace

// Computed wide: a stored size of any int must not overflow.
int paperDots(int millimetres) {
    const long long dots = static_cast<long long>(std::max(millimetres, 0)) * 379 / 100;
    return static_cast<int>(std::min<long long>(dots, INT_MAX));
}

int dotsToMillimetres(int dots) {
    return static_cast<int>(static_cast<long long>(dots) * 100 / 379);
}

int previewScale(std::string_view text) {
    const int scale = leadingInteger(text);
    return scale >= 1 && scale <= kLargestScale ? scale : kDefaultScale;
}

int scaledFontSize(int points, int scale) {
    return std::max(points / scale, 0);
}

} // namespace mivora
