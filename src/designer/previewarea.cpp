#include "designer/previewarea.h"

#include <QPaintEvent>
#include <QPainter>

namespace mivora {

namespace {

// Wide enough to be seen at a glance beside the controls' own focus marks.
constexpr int kFrameWidth = 2;

} // namespace

PreviewArea::PreviewArea(QWidget* parent) : QScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kFrameWidth);
}

// The area's own paint is its frame (the form is painted by the widgets it
// scrolls); the focus colours the frame over what the style drew.
bool PreviewArea::event(QEvent* event) {
    const bool handled = QScrollArea::event(event);
    if (event->type() == QEvent::Paint && hasFocus()) {
        QPainter painter(this);
        const QRect inside =
            rect().adjusted(frameWidth(), frameWidth(), -frameWidth(), -frameWidth());
        painter.setClipRegion(QRegion(rect()).subtracted(inside));
        painter.fillRect(rect(), palette().color(QPalette::Highlight));
    }
    return handled;
}

} // namespace mivora
