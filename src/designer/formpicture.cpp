#include "designer/formpicture.h"

#include <QPainter>

namespace mivora {

FormPicture::FormPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FormPicture::setPicture(const QImage& picture) {
    picture_ = picture;
    shown_ = QPixmap();
    update();
}

void FormPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    if (shown_.size() != size())
        shown_ = QPixmap::fromImage(
            picture_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    painter.drawPixmap(0, 0, shown_);
}

} // namespace mivora
