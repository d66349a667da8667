#include "designer/fieldlink.h"

#include "designer/datasource.h"
#include "text/codec.h"
#include "text/errors.h"

namespace mivora {

FieldLink::FieldLink(QObject& control, std::function<void()> show)
    : control_(control), show_(std::move(show)) {}

FieldLink::~FieldLink() {
    QObject::disconnect(recordConnection_);
    QObject::disconnect(fieldConnection_);
}

void FieldLink::setDataSource(DataSource* source) {
    source_ = source;
    connectSource();
    show();
}

void FieldLink::setFieldName(const std::string& name) {
    field_ = name;
    show();
}

void FieldLink::connectSource() {
    QObject::disconnect(recordConnection_);
    QObject::disconnect(fieldConnection_);
    if (!source_)
        return;
    recordConnection_ =
        QObject::connect(source_, &DataSource::dataChanged, &control_, [this] { show(); });
    fieldConnection_ = QObject::connect(source_, &DataSource::fieldChanged, &control_,
                                        [this](const std::string& field) {
                                            if (field == field_ && !writing_)
                                                show();
                                        });
}

void FieldLink::show() {
    if (show_)
        show_();
}

bool FieldLink::bound() const {
    return source_ && source_->table().active() && source_->table().hasField(field_);
}

bool FieldLink::isInteger() const {
    if (!bound())
        return false;
    const Table& table = source_->table();
    return table.fields()[table.fieldIndex(field_)].type == FieldType::Integer;
}

bool FieldLink::isFlag() const {
    if (!bound())
        return false;
    const Table& table = source_->table();
    return table.fields()[table.fieldIndex(field_)].type == FieldType::Flag;
}

QString FieldLink::text() const {
    if (!bound())
        return {};
    return QString::fromStdString(toUtf8(source_->table().text(field_)));
}

// The control already shows what it writes: the news of the write goes to the
// other controls only. A character without a Shift-JIS code is told to the person
// and the control shows the field's value again; a text the field itself refuses
// (a lone sign on the way to a negative number) passes in silence.
bool FieldLink::write(const QString& text) {
    if (!bound())
        return false;
    std::string value;
    try {
        value = fromUtf8(text.toStdString());
    } catch (const ConversionError& error) {
        source_->refuse(error.what());
        show();
        return false;
    }
    writing_ = true;
    bool written = true;
    try {
        source_->setText(field_, value);
    } catch (const Error&) {
        written = false;
    }
    writing_ = false;
    return written;
}

} // namespace mivora
