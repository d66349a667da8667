#include "widgets/tablemodel.h"

#include "text/codec.h"
#include "text/errors.h"

#include <algorithm>

namespace mivora {

TableModel::TableModel(Table& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_.active() ? 0 : table_.recordCount() + (adding_ ? 1 : 0);
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_.active() ? 0 : static_cast<int>(table_.fields().size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    if (isAddedRow(index.row()))
        return QString::fromStdString(toUtf8(addedTexts_[index.column()]));
    try {
        return QString::fromStdString(toUtf8(table_.peek(index.row() + 1, index.column())));
    } catch (const Error& error) {
        return QString::fromStdString(error.what());
    }
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
    if (isAddedRow(index.row())) {
        try {
            addedTexts_[index.column()] = fromUtf8(value.toString().toStdString());
        } catch (const Error& error) {
            reportFailure(error);
            return false;
        }
        emit dataChanged(index, index);
        return true;
    }
    try {
        std::string text = fromUtf8(value.toString().toStdString());
        if (table_.recNo() != index.row() + 1)
            table_.setRecNo(index.row() + 1);
        table_.setTextAt(index.column(), text);
        table_.post();
    } catch (const Error& error) {
        reportFailure(error);
        refresh(); // a refused post has read the records anew
        return false;
    }
    // A post can move the record in the order: show the whole table anew.
    refresh();
    return true;
}

void TableModel::reportFailure(const Error& error) {
    if (table_.active())
        table_.cancel();
    emit editFailed(QString::fromStdString(error.what()));
}

void TableModel::refresh() {
    beginResetModel();
    endResetModel();
}

int TableModel::addRow() {
    const int row = table_.recordCount();
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
    const int row = table_.recordCount();
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

bool TableModel::removeRecord(int row) {
    try {
        table_.setRecNo(row + 1);
        table_.remove();
    } catch (const Error& error) {
        reportFailure(error);
        return false;
    }
    refresh();
    return true;
}

} // namespace mivora
