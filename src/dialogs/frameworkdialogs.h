#pragma once
// The framework's own file dialog as the program opens it: the same on every
// desktop, and readable in full. The framework leaves the columns of the file
// list at widths guessed for English. (Fonts are chosen in the program's own
// chooser, dialogs/fontchooser.h.)

class QFileDialog;

namespace mivora {

// Not the desktop's dialog. Each folder listed widens the columns after the name
// (size, kind, date) to what they show, so that no size or date is cut short.
void prepareFileDialog(QFileDialog& dialog);

} // namespace mivora
