#pragma once
// An edit box bound to a field: it shows the field of the current record, and what
// is typed goes into the field at once. changed() comes after every change of the
// text, typed or shown from the record, as the window's change handlers expect.
// An edit that writes on finish keeps what is typed to itself until Enter or the
// focus leaving, then reports finished(); its owner decides whether to write.

#include "designer/fieldlink.h"

#include <QLineEdit>

namespace mivora {

class DBEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit DBEdit(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    void setDataField(const std::string& field) { link_.setFieldName(field); }
    const std::string& dataField() const { return link_.fieldName(); }

    // An integer field takes digits, and a sign unless negative numbers are refused.
    void setNegativeAllowed(bool allowed);

    void setWriteOnFinish(bool onFinish) { writeOnFinish_ = onFinish; }
    // Whether the text typed differs from the field.
    bool pending() const { return text() != link_.text(); }
    // Shows the field again, dropping what was typed.
    void revert() { showField(); }

  signals:
    void changed();
    // A write-on-finish edit was left with a text that differs from the field.
    void finished();

  private:
    void showField();
    void textWasChanged(const QString& text);
    void useValidator();

    FieldLink link_;
    bool showing_ = false;
    bool negativeAllowed_ = true;
    bool writeOnFinish_ = false;
};

} // namespace mivora
