#include "designer/formpicture.h"

#include <QPainter>

namespace mivora {

FormPicture::FormPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FormPicture::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

// Stretched as it is drawn, and only where the widget is exposed: a copy at the
// paper's size would cost memory in proportion to the paper.
void FormPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

} // namespace mivora
