#include "designer/datasource.h"

namespace mivora {

DataSource::DataSource(Table& table, QObject* parent) : QObject(parent), table_(table) {}

void DataSource::setText(const std::string& field, const std::string& value) {
    table_.setText(field, value);
    emit fieldChanged(field);
}

void DataSource::setInteger(const std::string& field, int value) {
    setText(field, std::to_string(value));
}

bool isBlankRecord(const Table& table) {
    const std::vector<FieldInfo>& fields = table.fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& value = table.textAt(static_cast<int>(i));
        const bool blank = fields[i].type == FieldType::Flag ? value == "False" : value.empty();
        if (!blank)
            return false;
    }
    return true;
}

} // namespace mivora
