#pragma once
// The framework's own file and font dialogs as the program opens them: the same
// on every desktop, and readable in full. The framework leaves the columns of the
// file list at widths guessed for English, and the fonts' style names as the
// fonts spell them.

class QFileDialog;
class QFontDialog;

namespace mivora {

// Not the desktop's dialog. Each folder listed widens the columns after the name
// (size, kind, date) to what they show, so that no size or date is cut short.
void prepareFileDialog(QFileDialog& dialog);

// Not the desktop's dialog. Layouts print Japanese: the dialog offers the fonts
// that have its glyphs, shows its sample in Japanese, and names the styles in
// Japanese ("Bold Italic" shows as "太字 斜体"); the style chosen is still the
// font's own.
void prepareFontDialog(QFontDialog& dialog);

} // namespace mivora
