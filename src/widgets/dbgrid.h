#pragma once
// A grid bound to a table: its current row is the table's current record, both
// ways. Rows are fetched as they are shown, so it stays smooth on large tables.
// Insert (or the down arrow past the last row) adds an empty row, stored when the
// person leaves it with something typed and dropped when left empty or on Esc;
// Ctrl+Delete deletes the current record after a question.

#include "widgets/tablemodel.h"

#include <QTableView>

namespace mivora {

class Prompter;

class DBGrid : public QTableView {
    Q_OBJECT
  public:
    DBGrid(Table& table, QWidget* parent = nullptr);

    TableModel& model() { return model_; }
    // Shows the table anew and selects its current record.
    void refresh();
    // Selects the table's current record.
    void followTable();
    // Who answers the delete question and hears of refused edits; a message box
    // when nobody is set.
    void setPrompter(Prompter* prompter) { prompter_ = prompter; }

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void addRow();
    void leaveAddedRow();
    void deleteCurrentRecord();
    void report(const QString& message);

    TableModel model_;
    Prompter* prompter_ = nullptr;
    bool following_ = false;
};

} // namespace mivora
