#include "items/itemsources.h"

#include "items/charconv.h"
#include "store/schema.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <algorithm>

namespace mivora {

namespace {

const Table& requireOpen(const Table& table) {
    if (!table.active())
        throw DatabaseError("テーブル " + pathText(table.file().filename()) +
                            " が開いていません。");
    return table;
}

// Enough for the dates of one record (today and the four days after, this and last
// month, the inspection dates) without growing over a print run.
constexpr std::size_t kKeptDates = 16;

} // namespace

ItemSources::ItemSources(const Session& session, Clock today)
    : session_(session), today_(std::move(today)) {}

const Table& ItemSources::vehicles() const {
    const Table& table = requireOpen(session_.vehicles);
    if (vehicleFields_.empty())
        for (std::size_t i = 0; i < table.fields().size(); ++i)
            vehicleFields_.emplace(table.fields()[i].name, static_cast<int>(i));
    return table;
}

const Table& ItemSources::layouts() const {
    const Table& table = requireOpen(session_.layouts);
    if (dateShownField_ < 0) {
        dateWidthField_ = table.fieldIndex(sj("日付の幅"));
        useSpacingField_ = table.fieldIndex(sj("用途○印"));
        privateSpacingField_ = table.fieldIndex(sj("自家用事業用の別○印"));
        dateShownField_ = table.fieldIndex(sj("日付の表示"));
    }
    return table;
}

const Table& ItemSources::freeData() const {
    const Table& table = requireOpen(session_.freeData);
    if (slotFields_.empty())
        for (int slot = 1; slot <= kSlotCount; ++slot)
            slotFields_.push_back(table.fieldIndex(sj("項目") + std::to_string(slot)));
    return table;
}

const std::string* ItemSources::vehicleField(std::string_view name) const {
    const Table& table = vehicles();
    const auto found = vehicleFields_.find(name);
    return found == vehicleFields_.end() ? nullptr : &table.textAt(found->second);
}

const std::string* ItemSources::handWritten(int slotNumber) const {
    const Table& table = freeData();
    if (slotNumber < 1 || slotNumber > kSlotCount)
        return nullptr;
    if (const std::string* answer = session_.preparation.answer(slotNumber))
        return answer;
    return &table.textAt(slotFields_[slotNumber - 1]);
}

std::string ItemSources::preset(int slotNumber) const {
    const Table& table = freeData();
    if (slotNumber < 1 || slotNumber > kSlotCount)
        return {};
    // Read in place: the free contents stay on the input record that the
    // confirmation window edits.
    return table.peek(layoutNumber(), slotFields_[slotNumber - 1]);
}

int ItemSources::layoutNumber() const {
    return layouts().recNo();
}

int ItemSources::layoutInteger(int field, int low, int high) const {
    return std::clamp(leadingInteger(layouts().textAt(field)), low, high);
}

DateDisplay ItemSources::dateDisplay() const {
    const Table& table = layouts();
    return {table.textAt(dateShownField_) == "True", layoutInteger(dateWidthField_, 0, 10)};
}

int ItemSources::circleSpacing(CircleMark mark) const {
    layouts();
    return layoutInteger(mark == CircleMark::Use ? useSpacingField_ : privateSpacingField_, 0, 10);
}

const std::string& ItemSources::itemDate(const CivilDate& date) const {
    for (const auto& [known, text] : itemDates_)
        if (known == date)
            return text;
    std::string text = formatEraDate(date, EraYearDigits::Two);
    CharCheck(text, 3);
    if (itemDates_.size() >= kKeptDates)
        itemDates_.clear();
    return itemDates_.emplace_back(date, std::move(text)).second;
}

} // namespace mivora
