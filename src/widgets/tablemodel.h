#pragma once
// A Qt item model over a Table cursor: one row per visible record, one column
// per field, fetched as the view shows them. The rows are laid out from the
// table's view when the model is refreshed, and each row stays the record it
// showed (its row id and its values as shown) until the next refresh, whatever
// the table reads meanwhile: what a person acts on is the vehicle they saw.
// Editing a cell moves the cursor to its record, writes the field and posts. A
// row added at the end collects what is typed into it and becomes a record only
// when stored.

#include "store/table.h"

#include <QAbstractTableModel>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace mivora {

class Error;

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
    bool readOnly() const { return readOnly_; }
    Table& table() { return table_; }

    // Lays the rows out anew from the table's view; relistLater does it once the
    // event at hand (an editor closing) is over.
    void refresh();
    void relistLater();
    // Whether the table changed or read its view anew since the rows were laid out.
    bool stale() const { return laidOut_ != table_.viewVersion(); }

    // A record as a row showed it: what a person acts on.
    struct Shown {
        std::int64_t rowid = 0;
        Table::Row values;
    };
    Shown shownAt(int row) const;
    // The row id a row shows; the row that shows a record, -1 when none does.
    std::int64_t rowidAt(int row) const;
    int rowOf(std::int64_t rowid) const;
    // Makes the record of a row the table's current record, wherever it is now.
    // False when it is gone, or refused (editFailed tells).
    bool moveTableTo(int row);
    // The same, only while the record still holds the values it was shown with.
    bool holdTableAt(const Shown& record);

    // The empty row after the last record; the number of that row.
    int addRow();
    bool isAddedRow(int row) const { return adding_ && row == static_cast<int>(rows_.size()); }
    bool adding() const { return adding_; }
    // Stores the added row as a record (it takes its place in the order) when
    // something was typed into it, else drops it. False when the post failed:
    // the row and its texts stay for the person to correct.
    bool storeAddedRow();
    void dropAddedRow();
    // Deletes the record as it was shown. False when the table refused.
    bool removeRecord(const Shown& record);

  signals:
    // An edit was refused (a value that does not fit the field, a failed post).
    void editFailed(const QString& message);

  private:
    // note: what was typed and is not stored (unstoredInputNote).
    void reportFailure(const Error& error, const std::string& note = {});
    // Runs work on the table; false, with the failure told, when it throws.
    bool reporting(const std::function<void()>& work, const std::string& note = {});
    const Table::Row& shownRecord(int row) const;

    Table& table_;
    std::vector<std::int64_t> rows_; // the row id each row shows
    std::uint64_t laidOut_ = 0;      // the table's view version rows_ was taken at
    // The values of the records as the rows first showed them.
    mutable std::unordered_map<std::int64_t, Table::Row> shown_;
    bool relistQueued_ = false;
    bool readOnly_ = false;
    bool adding_ = false;
    std::vector<std::string> addedTexts_; // CP932, one per field
};

} // namespace mivora
