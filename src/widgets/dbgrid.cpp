#include "widgets/dbgrid.h"

#include "session/prompter.h"
#include "text/errors.h"
#include "widgets/composition.h"

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QStyledItemDelegate>

namespace mivora {

namespace {

// A cell stores what its editor shows, a composition still open in it included.
class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor))
            CompositionGuard::guard(*edit);
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (CompositionGuard* guard = CompositionGuard::of(*editor))
            guard->commit();
        QStyledItemDelegate::setModelData(editor, model, index);
    }
};

} // namespace

DBGrid::DBGrid(Table& table, QWidget* parent) : QTableView(parent), model_(table) {
    setModel(&model_);
    setItemDelegate(new CellDelegate(this));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultSectionSize(110);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    connect(&model_, &TableModel::editFailed, this, [this](const QString& message) {
        report(message);
        // A refused edit may have read the table anew; the editor is still closing.
        if (!model_.adding())
            QMetaObject::invokeMethod(this, &DBGrid::followTable, Qt::QueuedConnection);
    });
    connect(&model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (currentIndex().isValid())
            keptColumn_ = currentIndex().column();
    });
    connect(&model_, &QAbstractItemModel::modelReset, this, &DBGrid::followTable,
            Qt::QueuedConnection);
}

void DBGrid::refresh() {
    model_.refresh();
    followTable();
}

// Coming back to the grid, from another window or another program, shows what
// other PCs and programs have committed meanwhile: once the click that brought
// the focus has been taken by the row it was on.
void DBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    QMetaObject::invokeMethod(this, &DBGrid::catchUp, Qt::QueuedConnection);
}

void DBGrid::catchUp() {
    Table& table = model_.table();
    if (!table.active() || table.state() != TableState::Browse || model_.adding())
        return;
    try {
        table.catchUp();
    } catch (const Error& error) {
        report(QString::fromStdString(error.what()));
    }
    followTable();
}

// An added row is no record of the table: the grid stays on it.
void DBGrid::followTable() {
    Table& table = model_.table();
    if (!table.active() || (currentIndex().isValid() && model_.isAddedRow(currentIndex().row())))
        return;
    if (model_.stale())
        model_.refresh();
    const int row = model_.rowOf(table.currentRowid());
    if (row < 0)
        return;
    following_ = true;
    int column = currentIndex().isValid() ? currentIndex().column() : keptColumn_;
    QModelIndex index = model_.index(row, column);
    setCurrentIndex(index);
    scrollTo(index);
    following_ = false;
}

bool DBGrid::holdShownRecord() {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || model_.isAddedRow(current.row()))
        return true;
    return model_.holdTableAt(model_.shownAt(current.row()));
}

// Like a spreadsheet: Enter goes down a row, Tab and Shift+Tab to the next and the
// previous column, without opening the cell there.
void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (hint == QAbstractItemDelegate::SubmitModelCache)
        moveCurrent(1, 0);
    else if (hint == QAbstractItemDelegate::EditNextItem)
        moveCurrent(0, 1);
    else if (hint == QAbstractItemDelegate::EditPreviousItem)
        moveCurrent(0, -1);
}

// Enter never goes down into the added row; Tab goes on along it.
void DBGrid::moveCurrent(int rowStep, int columnStep) {
    const QModelIndex current = currentIndex();
    const QModelIndex next = model_.index(current.row() + rowStep, current.column() + columnStep);
    if (current.isValid() && next.isValid() &&
        !(model_.isAddedRow(next.row()) && next.row() != current.row()))
        setCurrentIndex(next);
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // Storing the row shows the table anew, which must not happen while the view
    // is still moving its current cell.
    if (previous.isValid() && model_.isAddedRow(previous.row()) &&
        !(current.isValid() && current.row() == previous.row())) {
        const std::int64_t clicked =
            pressing_ && current.isValid() ? model_.rowidAt(current.row()) : 0;
        QMetaObject::invokeMethod(
            this, [this, clicked] { leaveAddedRow(clicked); }, Qt::QueuedConnection);
    }
    Table& table = model_.table();
    if (following_ || !current.isValid() || !table.active() || model_.isAddedRow(current.row()) ||
        model_.rowidAt(current.row()) == table.currentRowid())
        return;
    // The vehicle the row showed, wherever a catch-up has moved it; the rows are
    // laid out anew once the view is done moving its current cell.
    model_.moveTableTo(current.row());
    if (model_.stale())
        QMetaObject::invokeMethod(this, &DBGrid::followTable, Qt::QueuedConnection);
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
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
               (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
               state() != EditingState) {
        moveCurrent(1, 0);
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

// The new vehicle takes its place in the order and stays current, unless the
// person left its row by clicking another vehicle.
void DBGrid::leaveAddedRow(std::int64_t clickedRowid) {
    if (!model_.storeAddedRow())
        return;
    if (clickedRowid)
        model_.moveTableTo(model_.rowOf(clickedRowid));
    followTable();
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
    pressing_ = true;
    QTableView::mousePressEvent(event);
    pressing_ = false;
}

// What an input method still sends of a composition a cell's editor settled
// must not open the cell the person has moved to.
void DBGrid::inputMethodEvent(QInputMethodEvent* event) {
    if (isLeftOverComposition(*event))
        event->accept();
    else
        QTableView::inputMethodEvent(event);
}

void DBGrid::deleteCurrentRecord() {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || model_.readOnly() || !model_.table().active() ||
        model_.table().recordCount() == 0)
        return;
    // Taken before the question: the rows may be laid out anew while it is asked.
    const TableModel::Shown record = model_.shownAt(current.row());
    const QString question = QStringLiteral("レコードを削除しますか？");
    const bool yes = prompter_ ? prompter_->askYesNo(question.toStdString())
                               : QMessageBox::question(this, window()->windowTitle(), question,
                                                       QMessageBox::Yes | QMessageBox::No,
                                                       QMessageBox::No) == QMessageBox::Yes;
    if (yes && model_.removeRecord(record))
        followTable();
}

void DBGrid::report(const QString& message) {
    if (prompter_)
        prompter_->showError(message.toStdString());
    else
        QMessageBox::critical(this, window()->windowTitle(), message);
}

} // namespace mivora
