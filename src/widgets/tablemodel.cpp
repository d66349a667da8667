#include "widgets/tablemodel.h"

#include "text/codec.h"
#include "text/errors.h"

#include <algorithm>

namespace mivora {

namespace {

constexpr const char* kNotSaved = "変更は保存されていません。";

} // namespace

TableModel::TableModel(Table& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size()) + (adding_ ? 1 : 0);
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_.active() ? 0 : static_cast<int>(table_.fields().size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole) || !table_.active())
        return {};
    if (isAddedRow(index.row()))
        return QString::fromStdString(toUtf8(addedTexts_[index.column()]));
    try {
        return QString::fromStdString(toUtf8(shownRecord(index.row()).at(index.column())));
    } catch (const Error& error) {
        return QString::fromStdString(error.what());
    }
}

const Table::Row& TableModel::shownRecord(int row) const {
    const std::int64_t rowid = rows_.at(row);
    auto found = shown_.find(rowid);
    if (found != shown_.end())
        return found->second;
    // Far more than a window shows; scrolling through a large table must not grow it.
    if (shown_.size() >= 1024)
        shown_.clear();
    return shown_.emplace(rowid, table_.recordOf(rowid)).first->second;
}

std::int64_t TableModel::rowidAt(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[row] : 0;
}

int TableModel::rowOf(std::int64_t rowid) const {
    auto found = std::find(rows_.begin(), rows_.end(), rowid);
    return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

TableModel::Shown TableModel::shownAt(int row) const {
    const std::int64_t rowid = rowidAt(row);
    return {rowid, rowid ? shownRecord(row) : Table::Row()};
}

bool TableModel::reporting(const std::function<void()>& work, const std::string& note) {
    try {
        work();
    } catch (const Error& error) {
        reportFailure(error, note);
        return false;
    }
    return true;
}

bool TableModel::moveTableTo(int row) {
    bool found = false;
    return reporting([&] { found = table_.moveTo(rowidAt(row)); }) && found;
}

bool TableModel::holdTableAt(const Shown& record) {
    return reporting([&] { table_.holdAsShown(record.rowid, record.values); });
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= columnCount())
        return {};
    return QString::fromStdString(table_.fields()[section].column);
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return readOnly_ ? flags : flags | Qt::ItemIsEditable;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || readOnly_)
        return false;
    std::string text;
    if (!reporting([&] { text = fromUtf8(value.toString().toStdString()); }))
        return false;
    if (isAddedRow(index.row())) {
        addedTexts_[index.column()] = std::move(text);
        emit dataChanged(index, index);
        return true;
    }
    // The view is still closing the cell's editor: the rows are laid out anew
    // (a post can move the record in the order) once it is done.
    relistLater();
    // A refused edit shows the record as it now is: what was typed goes into the
    // message, not into the cell.
    const std::string note = unstoredInputNote({{table_.fields()[index.column()].column, text}});
    if (!reporting([&] { table_.holdAsShown(rowidAt(index.row()), shownRecord(index.row())); },
                   note))
        return false;
    try {
        table_.setTextAt(index.column(), text);
        table_.post();
    } catch (const ConnectionError& error) {
        // The typed text stays in the record and its cell; the next move posts it.
        std::string message = error.what();
        if (message.find(kNotSaved) == std::string::npos)
            message += kNotSaved;
        emit editFailed(QString::fromStdString(message));
        return true;
    } catch (const Error& error) {
        reportFailure(error, note);
        return false;
    }
    return true;
}

void TableModel::reportFailure(const Error& error, const std::string& note) {
    if (table_.active())
        table_.cancel();
    emit editFailed(QString::fromStdString(error.what() + note));
}

void TableModel::refresh() {
    beginResetModel();
    rows_ = table_.active() ? table_.viewRowids() : std::vector<std::int64_t>();
    laidOut_ = table_.viewVersion();
    shown_.clear();
    endResetModel();
}

void TableModel::relistLater() {
    if (relistQueued_)
        return;
    relistQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            relistQueued_ = false;
            refresh();
        },
        Qt::QueuedConnection);
}

int TableModel::addRow() {
    const int row = static_cast<int>(rows_.size());
    if (adding_ || readOnly_ || !table_.active())
        return adding_ ? row : -1;
    beginInsertRows({}, row, row);
    adding_ = true;
    addedTexts_.assign(table_.fields().size(), std::string());
    endInsertRows();
    return row;
}

void TableModel::dropAddedRow() {
    if (!adding_)
        return;
    const int row = static_cast<int>(rows_.size());
    beginRemoveRows({}, row, row);
    adding_ = false;
    endRemoveRows();
}

bool TableModel::storeAddedRow() {
    if (!adding_)
        return true;
    if (std::all_of(addedTexts_.begin(), addedTexts_.end(),
                    [](const std::string& text) { return text.empty(); })) {
        dropAddedRow();
        return true;
    }
    try {
        table_.insert();
        for (std::size_t i = 0; i < addedTexts_.size(); ++i)
            if (!addedTexts_[i].empty())
                table_.setTextAt(static_cast<int>(i), addedTexts_[i]);
        table_.post();
    } catch (const Error& error) {
        reportFailure(error);
        return false;
    }
    adding_ = false;
    refresh();
    return true;
}

bool TableModel::removeRecord(const Shown& record) {
    if (!holdTableAt(record) || !reporting([this] { table_.remove(); }))
        return false;
    refresh();
    return true;
}

} // namespace mivora
