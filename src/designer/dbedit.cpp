#include "designer/dbedit.h"

#include "designer/datasource.h"

#include <QRegularExpressionValidator>

namespace mivora {

namespace {

// Nine digits always fit the field's 32 bits.
const QRegularExpression& integerPattern(bool negativeAllowed) {
    static const QRegularExpression withSign(QStringLiteral("[+-]?[0-9]{0,9}"));
    static const QRegularExpression digitsOnly(QStringLiteral("[0-9]{0,9}"));
    return negativeAllowed ? withSign : digitsOnly;
}

} // namespace

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent), link_(*this, [this] { showField(); }) {
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
    if (!link_.isInteger()) {
        setValidator(nullptr);
        return;
    }
    if (auto* current = qobject_cast<const QRegularExpressionValidator*>(validator());
        current && current->regularExpression() == integerPattern(negativeAllowed_))
        return;
    setValidator(new QRegularExpressionValidator(integerPattern(negativeAllowed_), this));
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
