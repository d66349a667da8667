#pragma once
// A Qt item model over a Table cursor: one row per visible record, one column
// per field, fetched as the view shows them. Editing a cell moves the cursor to
// its record, writes the field and posts. A row added at the end collects what is
// typed into it and becomes a record only when stored.

#include "store/table.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace mivora {

class Error;

class TableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit TableModel(Table& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool readOnly() const { return readOnly_; }
    Table& table() { return table_; }

    // Shows the table anew after its records changed behind the model's back.
    void refresh();

    // The empty row after the last record; the number of that row.
    int addRow();
    bool isAddedRow(int row) const { return adding_ && row == table_.recordCount(); }
    bool adding() const { return adding_; }
    // Stores the added row as a record (it takes its place in the order) when
    // something was typed into it, else drops it. False when the post failed:
    // the row and its texts stay for the person to correct.
    bool storeAddedRow();
    void dropAddedRow();
    // Deletes the record of the row. False when the table refused.
    bool removeRecord(int row);

  signals:
    // An edit was refused (a value that does not fit the field, a failed post).
    void editFailed(const QString& message);

  private:
    void reportFailure(const Error& error);

    Table& table_;
    bool readOnly_ = false;
    bool adding_ = false;
    std::vector<std::string> addedTexts_; // CP932, one per field
};

} // namespace mivora
