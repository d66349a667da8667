#include "designer/dbcombobox.h"

#include "widgets/composition.h"
#include "widgets/numberentry.h"

#include <QEvent>
#include <QLineEdit>

namespace mivora {

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent), link_(*this, [this] { showField(); }) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr); // typing is free: nothing is completed from the list
    lineEdit()->installEventFilter(this);
    CompositionGuard::guard(*lineEdit(), this);
    connect(this, &QComboBox::currentTextChanged, this, &DBComboBox::textWasChanged);
}

void DBComboBox::setChoices(const QStringList& choices) {
    showing_ = true;
    clear();
    addItems(choices);
    showing_ = false;
    showField();
}

// The list marks the entry of the field's value, if it offers one.
void DBComboBox::showField() {
    validateAsInteger(*lineEdit(), link_.isInteger());
    const QString text = link_.text();
    const int entry = findText(text);
    if (text == currentText() && entry == currentIndex())
        return;
    showing_ = true;
    setCurrentIndex(entry);
    setEditText(text);
    showing_ = false;
}

void DBComboBox::textWasChanged(const QString& text) {
    if (showing_)
        return;
    const QString meant = typingRule_ ? typingRule_(text) : text;
    if (meant != text)
        showTyped(meant);
    link_.write(meant);
    emit changed();
}

// The typing goes on where it was: a rule changes characters, not their number.
void DBComboBox::showTyped(const QString& text) {
    const int cursor = lineEdit()->cursorPosition();
    showing_ = true;
    setEditText(text);
    showing_ = false;
    lineEdit()->setCursorPosition(cursor);
}

bool DBComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonDblClick)
        emit doubleClicked();
    return QComboBox::eventFilter(watched, event);
}

} // namespace mivora
