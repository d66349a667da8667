#include "widgets/dbgrid.h"

#include "text/errors.h"

#include <QHeaderView>
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
        QMessageBox::critical(this, windowTitle(), message);
        followTable();
    });
    connect(&model_, &QAbstractItemModel::modelReset, this, &DBGrid::followTable,
            Qt::QueuedConnection);
}

void DBGrid::refresh() {
    model_.refresh();
    followTable();
}

void DBGrid::followTable() {
    Table& table = model_.table();
    if (!table.active() || table.recNo() < 1)
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
    Table& table = model_.table();
    if (following_ || !current.isValid() || !table.active() || current.row() + 1 == table.recNo())
        return;
    try {
        table.setRecNo(current.row() + 1);
    } catch (const Error& error) {
        QMessageBox::critical(this, windowTitle(), QString::fromStdString(error.what()));
    }
}

} // namespace mivora
