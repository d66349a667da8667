#include "dialogs/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace mivora {

void placeInThirds(QWidget& first, QWidget& second, int panelWidth) {
    const int third = panelWidth / 3;
    first.move(third - 37, first.y());
    second.move(2 * third - 37, second.y());
}

void centreOnScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

} // namespace mivora
