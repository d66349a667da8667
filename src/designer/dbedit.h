#pragma once
// An edit box bound to a field: it shows the field of the current record, and what
// is typed goes into the field at once. changed() comes after every change of the
// text, typed or shown from the record, as the window's change handlers expect.

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

  signals:
    void changed();

  private:
    void showField();
    void textWasChanged(const QString& text);
    void useValidator();

    FieldLink link_;
    bool showing_ = false;
    bool negativeAllowed_ = true;
};

} // namespace mivora
