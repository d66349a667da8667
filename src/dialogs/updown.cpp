#include "dialogs/updown.h"

#include "text/sjis.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace mivora {

UpDown::UpDown(QLineEdit& associate, int min, int max, QWidget* parent)
    : QWidget(parent), associate_(associate), min_(min), max_(max), position_(min) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setFixedSize(17, 11);
        button->setAutoRepeat(true);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(down_, &QToolButton::clicked, this, &UpDown::stepDown);
}

void UpDown::step(int delta) {
    long long shown = 0;
    if (parseInteger(associate_.text().toStdString(), shown))
        position_ = static_cast<int>(std::clamp<long long>(shown, min_, max_));
    position_ = std::clamp(position_ + delta, min_, max_);
    associate_.setText(QString::number(position_));
}

} // namespace mivora
