#pragma once
// The units of a layout on screen: positions in layout dots (379 make 100 mm), the
// paper in whole millimetres, and the preview drawn at one s-th of real size.

#include <string_view>

namespace mivora {

// The largest paper side a layout takes: form printers take far less, and the
// preview grows with the paper.
constexpr int kLargestPaperMillimetres = 2000;

// Paper of mm millimetres spans mm × 379 div 100 dots. A negative size (only stored
// data can hold one) spans nothing.
int paperDots(int millimetres);

// A position in whole millimetres, truncated: dots × 100 div 379.
int dotsToMillimetres(int dots);

// The preview scale of a scale text: 1 to 5. An empty text, one that is no number,
// or a number outside 1 to 5 gives 2.
int previewScale(std::string_view text);

// A font size in points at a scale; 0 when nothing is left of it (the label then
// takes the window's own size).
int scaledFontSize(int points, int scale);

} // namespace mivora
