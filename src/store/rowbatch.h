#pragma once
// Records copied out of the engine as it stores them (texts in UTF-8) and turned
// into rows of the program's Shift-JIS texts. Turning them is most of the work of
// reading a whole table, so a whole-table read does it on a second thread while
// the engine reads the next batch.

#include "store/backgroundtask.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

class PlaceSorter;

// One field as a row holds it: a stored text converted (ConversionError when it
// has no Shift-JIS form), any other value as it is.
void setRowValue(std::string& value, std::string_view stored, bool isText);

class RowBatch {
  public:
    // isText: for each field, whether it is stored as UTF-8 text.
    explicit RowBatch(std::vector<bool> isText);

    // A record for a place of the view; then each of its fields in order.
    void startRecord(std::size_t place);
    void addField(std::string_view stored);
    bool full() const { return places_.size() >= kRecords; }
    bool empty() const { return places_.empty(); }
    void clear();

    // Fills the rows from what was copied, and packs each for a PlaceSorter.
    // Throws ConversionError.
    void convert();
    std::size_t size() const { return places_.size(); }
    std::size_t place(std::size_t record) const { return places_[record]; }
    std::vector<std::string>& row(std::size_t record) { return rows_[record]; }
    std::string_view packed(std::size_t record) const;

  private:
    static constexpr std::size_t kRecords = 1024;

    std::vector<bool> isText_;
    std::vector<std::size_t> places_;
    std::string stored_;            // the fields of all records, one after another
    std::vector<std::size_t> ends_; // where each field ends in stored_
    std::vector<std::vector<std::string>> rows_;
    std::string packed_;
    std::vector<std::size_t> packedEnds_;
};

// Two batches taking turns: the reader fills one while a second thread converts
// the other. Converted records go to the sorter in the order they were read.
class BatchConverter {
  public:
    BatchConverter(const std::vector<bool>& isText, PlaceSorter& sorter);

    RowBatch& filling() { return *filling_; }
    // Starts converting the filled batch, once the one before is converted and
    // handed on. Throws what converting threw.
    void handOver();
    // Hands on the batches that are left.
    void finish();

  private:
    RowBatch batches_[2];
    RowBatch* filling_ = &batches_[0];
    RowBatch* converted_ = &batches_[1];
    PlaceSorter& sorter_;
    BackgroundTask converting_; // the last member: joins the thread before the batches go
};

} // namespace mivora
