#include "store/rowbatch.h"

#include "store/placesorter.h"
#include "text/codec.h"

namespace mivora {

void setRowValue(std::string& value, std::string_view stored, bool isText) {
    if (isText)
        fromUtf8(stored, value);
    else
        value.assign(stored);
}

RowBatch::RowBatch(std::vector<bool> isText) : isText_(std::move(isText)) {}

void RowBatch::startRecord(std::size_t place) {
    places_.push_back(place);
}

void RowBatch::addField(std::string_view stored) {
    stored_ += stored;
    ends_.push_back(stored_.size());
}

void RowBatch::clear() {
    places_.clear();
    stored_.clear();
    ends_.clear();
    packed_.clear();
    packedEnds_.clear();
}

void RowBatch::convert() {
    const std::size_t fields = isText_.size();
    if (rows_.size() < places_.size())
        rows_.resize(places_.size(), std::vector<std::string>(fields));
    std::size_t begin = 0;
    for (std::size_t record = 0; record < places_.size(); ++record) {
        std::vector<std::string>& row = rows_[record];
        for (std::size_t i = 0; i < fields; ++i) {
            const std::size_t end = ends_[record * fields + i];
            setRowValue(row[i], std::string_view(stored_).substr(begin, end - begin), isText_[i]);
            begin = end;
        }
        PlaceSorter::pack(places_[record], row, packed_);
        packedEnds_.push_back(packed_.size());
    }
}

std::string_view RowBatch::packed(std::size_t record) const {
    const std::size_t begin = record ? packedEnds_[record - 1] : 0;
    return std::string_view(packed_).substr(begin, packedEnds_[record] - begin);
}

BatchConverter::BatchConverter(const std::vector<bool>& isText, PlaceSorter& sorter)
    : batches_{RowBatch(isText), RowBatch(isText)}, sorter_(sorter) {}

void BatchConverter::handOver() {
    if (converting_.started()) {
        converting_.wait();
        for (std::size_t record = 0; record < converted_->size(); ++record)
            sorter_.add(converted_->place(record), converted_->row(record),
                        converted_->packed(record));
    }
    std::swap(filling_, converted_);
    filling_->clear();
    if (!converted_->empty())
        converting_.start([batch = converted_] { batch->convert(); });
}

void BatchConverter::finish() {
    handOver(); // the last one filled
    handOver(); // the last one converted
}

} // namespace mivora
