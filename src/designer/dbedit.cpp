#include "designer/dbedit.h"

#include "designer/datasource.h"
#include "widgets/composition.h"
#include "widgets/numberentry.h"

namespace mivora {

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent), link_(*this, [this] { showField(); }) {
    CompositionGuard::guard(*this);
    connect(this, &QLineEdit::textChanged, this, &DBEdit::textWasChanged);
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (writeOnFinish_ && pending())
            emit finished();
    });
}

void DBEdit::setNegativeAllowed(bool allowed) {
    negativeAllowed_ = allowed;
    useValidator();
}

void DBEdit::useValidator() {
    validateAsInteger(*this, link_.isInteger(), negativeAllowed_);
}

void DBEdit::showField() {
    useValidator();
    const QString text = link_.text();
    if (text == this->text())
        return;
    showing_ = true;
    setText(text);
    showing_ = false;
}

// A text the field refuses (a lone sign on the way to a negative number) leaves
// the field as it was.
void DBEdit::textWasChanged(const QString& text) {
    if (writeOnFinish_ && !showing_)
        return;
    if (!showing_)
        link_.write(text);
    emit changed();
}

} // namespace mivora
