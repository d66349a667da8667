#pragma once
// Placement rules shared by the small windows.

class QPushButton;
class QWidget;

namespace mivora {

// The bottom panel of a settings window with its "OK(&Y)" (the default button) and
// "ｷｬﾝｾﾙ" buttons, which placeInThirds puts in place.
struct OkCancelPanel {
    QWidget* panel;
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancelPanel okCancelPanel(QWidget* parent);

// The OK / Cancel pair of a button panel: the first button at a third of the
// panel's width less 37 pixels, the second at two thirds less 37. The thirds are
// whole numbers, the second point twice the first. The heights stay.
void placeInThirds(QWidget& first, QWidget& second, int panelWidth);

// Centres a top-level window on the screen it is on (not on its parent).
void centreOnScreen(QWidget& window);

} // namespace mivora
