#pragma once
// The link of one data-aware control to one field of a data source, by field name.
// The control shows the field whenever the record changes, or the field is written
// by someone other than the control itself; rebinding to another name shows the
// new field at once.

#include <QMetaObject>
#include <QString>

#include <functional>
#include <string>

class QObject;

namespace mivora {

class DataSource;

class FieldLink {
  public:
    // show is called whenever the control must show the field anew.
    FieldLink(QObject& control, std::function<void()> show);
    ~FieldLink();
    FieldLink(const FieldLink&) = delete;
    FieldLink& operator=(const FieldLink&) = delete;

    void setDataSource(DataSource* source);
    void setFieldName(const std::string& name); // CP932
    const std::string& fieldName() const { return field_; }

    // Whether the table is open and has the field.
    bool bound() const;
    bool isInteger() const;
    bool isFlag() const;

    // The field's text; empty while unbound.
    QString text() const;
    // Writes the field; false when unbound or when the table refuses the text (the
    // field then keeps its value).
    bool write(const QString& text);

  private:
    void connectSource();
    void show();

    QObject& control_;
    std::function<void()> show_;
    DataSource* source_ = nullptr;
    std::string field_;
    bool writing_ = false;
    QMetaObject::Connection recordConnection_;
    QMetaObject::Connection fieldConnection_;
};

} // namespace mivora
