#include "designer/dbcheckbox.h"

namespace mivora {

DBCheckBox::DBCheckBox(const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent), link_(*this, [this] { showField(); }) {
    connect(this, &QCheckBox::clicked, this, &DBCheckBox::wasClicked);
}

void DBCheckBox::showField() {
    setChecked(link_.text() == QStringLiteral("True"));
}

// A closed table takes nothing: the box then shows the field as it is.
void DBCheckBox::wasClicked(bool checked) {
    if (!link_.write(checked ? QStringLiteral("True") : QStringLiteral("False")))
        showField();
    emit changed();
}

} // namespace mivora
