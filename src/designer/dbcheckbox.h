#pragma once
// A check box bound to a flag field: checked is "True", unchecked "False". A click
// goes into the field at once, then changed() follows.

#include "designer/fieldlink.h"

#include <QCheckBox>

namespace mivora {

class DBCheckBox : public QCheckBox {
    Q_OBJECT
  public:
    DBCheckBox(const QString& caption, QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    void setDataField(const std::string& field) { link_.setFieldName(field); }

  signals:
    void changed();

  private:
    void showField();
    void wasClicked(bool checked);

    FieldLink link_;
};

} // namespace mivora
