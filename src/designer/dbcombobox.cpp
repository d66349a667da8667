#include "designer/dbcombobox.h"

#include <QEvent>
#include <QLineEdit>

namespace mivora {

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent), link_(*this, [this] { showField(); }) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr); // typing is free: nothing is completed from the list
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::currentTextChanged, this, &DBComboBox::textWasChanged);
}

void DBComboBox::setChoices(const QStringList& choices) {
    showing_ = true;
    clear();
    addItems(choices);
    setEditText(link_.text());
    showing_ = false;
}

void DBComboBox::showField() {
    const QString text = link_.text();
    if (text == currentText())
        return;
    showing_ = true;
    setEditText(text);
    showing_ = false;
}

void DBComboBox::textWasChanged(const QString& text) {
    if (showing_)
        return;
    link_.write(text);
    emit changed();
}

bool DBComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonDblClick)
        emit doubleClicked();
    return QComboBox::eventFilter(watched, event);
}

} // namespace mivora
