#pragma once
// A grid bound to a table: its current row is the table's current record, both
// ways. Rows are fetched as they are shown, so it stays smooth on large tables.

#include "widgets/tablemodel.h"

#include <QTableView>

namespace mivora {

class DBGrid : public QTableView {
    Q_OBJECT
  public:
    DBGrid(Table& table, QWidget* parent = nullptr);

    TableModel& model() { return model_; }
    // Shows the table anew and selects its current record.
    void refresh();
    // Selects the table's current record.
    void followTable();

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

  private:
    TableModel model_;
    bool following_ = false;
};

} // namespace mivora
