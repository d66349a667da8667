#include "dialogs/captionpanel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace mivora {

CaptionPanel::CaptionPanel(const QString& caption, Qt::Alignment alignment, QWidget* parent)
    : QFrame(parent) {
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(8, 4, 8, 4);
    label_ = new QLabel(caption, this);
    label_->setAlignment(alignment | Qt::AlignVCenter);
    label_->setTextFormat(Qt::PlainText);
    row_->addWidget(label_, 1);
}

QString CaptionPanel::caption() const {
    return label_->text();
}

void CaptionPanel::setCaption(const QString& caption) {
    label_->setText(caption);
}

} // namespace mivora
