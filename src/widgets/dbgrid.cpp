#include "widgets/dbgrid.h"

#include "session/prompter.h"
#include "text/errors.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>

namespace mivora {

DBGrid::DBGrid(Table& table, QWidget* parent) : QTableView(parent), model_(table) {
    setModel(&model_);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultSectionSize(110);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    connect(&model_, &TableModel::editFailed, this, [this](const QString& message) {
        report(message);
        if (!model_.adding())
            followTable();
    });
    connect(&model_, &QAbstractItemModel::modelReset, this, &DBGrid::followTable,
            Qt::QueuedConnection);
}

void DBGrid::refresh() {
    model_.refresh();
    followTable();
}

// Coming back to the grid, from another window or another program, shows what
// other PCs and programs have committed meanwhile.
void DBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    Table& table = model_.table();
    if (!table.active() || table.state() != TableState::Browse || model_.adding())
        return;
    try {
        if (table.catchUp())
            refresh();
    } catch (const Error& error) {
        report(QString::fromStdString(error.what()));
    }
}

// An added row is no record of the table: the grid stays on it.
void DBGrid::followTable() {
    Table& table = model_.table();
    if (!table.active() || table.recNo() < 1 ||
        (currentIndex().isValid() && model_.isAddedRow(currentIndex().row())))
        return;
    following_ = true;
    int column = currentIndex().isValid() ? currentIndex().column() : 0;
    QModelIndex index = model_.index(table.recNo() - 1, column);
    setCurrentIndex(index);
    scrollTo(index);
    following_ = false;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // Storing the row shows the table anew, which must not happen while the view
    // is still moving its current cell.
    if (previous.isValid() && model_.isAddedRow(previous.row()) &&
        !(current.isValid() && current.row() == previous.row()))
        QMetaObject::invokeMethod(this, &DBGrid::leaveAddedRow, Qt::QueuedConnection);
    Table& table = model_.table();
    if (following_ || !current.isValid() || !table.active() || model_.isAddedRow(current.row()) ||
        current.row() + 1 == table.recNo())
        return;
    try {
        table.setRecNo(current.row() + 1);
    } catch (const Error& error) {
        report(QString::fromStdString(error.what()));
    }
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    const bool onAddedRow = current.isValid() && model_.isAddedRow(current.row());
    const bool onLastRow = !current.isValid() || current.row() + 1 == model_.rowCount();
    const bool plain = event->modifiers() == Qt::NoModifier;
    const bool ctrlDelete =
        event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier;
    if ((event->key() == Qt::Key_Insert && plain) ||
        (event->key() == Qt::Key_Down && plain && onLastRow && !onAddedRow)) {
        addRow();
    } else if (onAddedRow && (event->key() == Qt::Key_Escape || ctrlDelete)) {
        model_.dropAddedRow();
        followTable();
    } else if (ctrlDelete) {
        deleteCurrentRecord();
    } else {
        QTableView::keyPressEvent(event);
    }
}

// On an added row that holds something, Insert stores it and adds the next one.
void DBGrid::addRow() {
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    if (model_.adding() && !model_.storeAddedRow())
        return;
    const int row = model_.addRow();
    if (row >= 0)
        setCurrentIndex(model_.index(row, column));
}

void DBGrid::leaveAddedRow() {
    if (model_.storeAddedRow())
        followTable();
}

void DBGrid::deleteCurrentRecord() {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || model_.readOnly() || !model_.table().active() ||
        model_.table().recordCount() == 0)
        return;
    const QString question = QStringLiteral("レコードを削除しますか？");
    const bool yes = prompter_ ? prompter_->askYesNo(question.toStdString())
                               : QMessageBox::question(this, window()->windowTitle(), question,
                                                       QMessageBox::Yes | QMessageBox::No,
                                                       QMessageBox::No) == QMessageBox::Yes;
    if (yes && model_.removeRecord(current.row()))
        followTable();
}

void DBGrid::report(const QString& message) {
    if (prompter_)
        prompter_->showError(message.toStdString());
    else
        QMessageBox::critical(this, window()->windowTitle(), message);
}

} // namespace mivora
