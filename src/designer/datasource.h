#pragma once
// What the data-aware controls of a window are bound to: one table and the news of
// its current record. Writes that the window makes go through here, so that every
// control showing the field follows at once.

#include "store/table.h"

#include <QObject>

#include <string>

namespace mivora {

class DataSource : public QObject {
    Q_OBJECT
  public:
    explicit DataSource(Table& table, QObject* parent = nullptr);

    Table& table() const { return table_; }

    // Writes a field (CP932 name and value) of the current record, entering the edit
    // state from browse, and tells the controls bound to it. Throws what the table
    // throws (ConversionError for a text that does not fit the field).
    void setText(const std::string& field, const std::string& value);
    void setInteger(const std::string& field, int value);

    // The current record is another one, or was dropped or stored: every control
    // shows it anew.
    void recordChanged() { emit dataChanged(); }

    // A control could not write what was typed (UTF-8 message).
    void refuse(const std::string& message) { emit refused(message); }

  signals:
    void dataChanged();
    void refused(const std::string& message);
    void fieldChanged(const std::string& field);

  private:
    Table& table_;
};

// Whether the record being added still holds nothing but the empty values it was
// created with (a new layout that nobody filled in, which a move then drops).
bool isBlankRecord(const Table& table);

} // namespace mivora
