#include "dialogs/placement.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace mivora {

OkCancelPanel okCancelPanel(QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setFixedHeight(41);
    auto* ok = new QPushButton(QStringLiteral("OK(&Y)"), panel);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), panel);
    for (QPushButton* button : {ok, cancel})
        button->setGeometry(0, 8, 75, 25);
    ok->setDefault(true);
    return {panel, ok, cancel};
}

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
