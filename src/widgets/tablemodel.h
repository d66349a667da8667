#pragma once
// A Qt item model over a Table cursor: one row per visible record, one column
// per field, fetched as the view shows them. Editing a cell moves the cursor to
// its record, writes the field and posts.

#include "store/table.h"

#include <QAbstractTableModel>

namespace mivora {

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
    Table& table() { return table_; }

    // Shows the table anew after its records changed behind the model's back.
    void refresh();

  signals:
    // An edit was refused (a value that does not fit the field, a failed post).
    void editFailed(const QString& message);

  private:
    Table& table_;
    bool readOnly_ = false;
};

} // namespace mivora
