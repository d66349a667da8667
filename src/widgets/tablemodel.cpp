#include "widgets/tablemodel.h"

#include "text/codec.h"
#include "text/errors.h"

namespace mivora {

TableModel::TableModel(Table& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_.active() ? 0 : table_.recordCount();
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_.active() ? 0 : static_cast<int>(table_.fields().size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
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
    try {
        std::string text = fromUtf8(value.toString().toStdString());
        if (table_.recNo() != index.row() + 1)
            table_.setRecNo(index.row() + 1);
        table_.setTextAt(index.column(), text);
        table_.post();
    } catch (const Error& error) {
        table_.cancel();
        emit editFailed(QString::fromStdString(error.what()));
        refresh(); // a refused post has read the records anew
        return false;
    }
    // A post can move the record in the order: show the whole table anew.
    refresh();
    return true;
}

void TableModel::refresh() {
    beginResetModel();
    endResetModel();
}

} // namespace mivora
