#pragma once
// A grid bound to a table: its current row is the table's current record, both
// ways, held by the record's identity: when the places in the table change (a
// post that moves the record, what another PC committed), the grid is laid out
// anew and stays on the same vehicle. Rows are fetched as they are shown, so it
// stays smooth on large tables. Enter goes down a row and Tab to the next column,
// as in a spreadsheet.
// Insert (or the down arrow past the last row) adds an empty row, stored when the
// person leaves it with something typed (the grid then stays on the new vehicle,
// or goes to the one clicked) and dropped when left empty or on Esc;
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
    // Selects the table's current record, laying the rows out anew when the table
    // changed since.
    void followTable();
    // Makes the vehicle the grid shows as current the table's current record, as
    // it was shown: false (and told) when another PC changed or deleted it since.
    bool holdShownRecord();
    // Who answers the delete question and hears of refused edits; a message box
    // when nobody is set.
    void setPrompter(Prompter* prompter) { prompter_ = prompter; }

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void catchUp();
    void moveCurrent(int rowStep, int columnStep);
    void addRow();
    void leaveAddedRow(std::int64_t clickedRowid);
    void deleteCurrentRecord();
    void report(const QString& message);

    TableModel model_;
    Prompter* prompter_ = nullptr;
    bool following_ = false;
    bool pressing_ = false; // a mouse press is choosing the current cell
    int keptColumn_ = 0;    // the current column while the rows are laid out anew
};

} // namespace mivora
