#include "designer/itemlabel.h"

#include <QApplication>
#include <QMouseEvent>

namespace mivora {

ItemLabel::ItemLabel(int number, QWidget* parent) : QLabel(parent), number_(number) {
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setMargin(0);
    setCursor(Qt::PointingHandCursor);
}

void ItemLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    pressing_ = true;
    dragging_ = false;
    pressAt_ = event->globalPosition().toPoint();
    startedAt_ = pos();
    emit pressed(number_);
}

// A hand that shakes a little while clicking moves nothing.
void ItemLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!pressing_)
        return;
    const QPoint distance = event->globalPosition().toPoint() - pressAt_;
    if (!dragging_ && distance.manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    move(startedAt_ + distance);
}

void ItemLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressing_ || event->button() != Qt::LeftButton)
        return;
    pressing_ = false;
    if (!dragging_)
        return;
    dragging_ = false;
    emit dropped(number_, event->globalPosition().toPoint() - pressAt_);
}

} // namespace mivora
