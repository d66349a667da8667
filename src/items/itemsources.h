#pragma once
// What item resolution reads, and nothing else: the current vehicle record, the
// current layout's settings, the input record of hand-written items, the preset free
// contents of the layouts, and the date of today. Field positions are looked up once,
// so reading a value copies nothing.

#include "items/dateblanking.h"
#include "items/eradate.h"
#include "session/session.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mivora {

enum class CircleMark { Use, PrivateOrCommercial };

class ItemSources {
  public:
    using Clock = std::function<CivilDate()>;

    // The session's vehicle, layout and free-content tables must be open when an item
    // is read (DatabaseError otherwise).
    explicit ItemSources(const Session& session, Clock today = localToday);

    // The field of that name of the current vehicle, or nullptr when the vehicle
    // table has no such field.
    const std::string* vehicleField(std::string_view name) const;

    // Slot N of the confirmation answers of the run going on, else of the input
    // record (the current record of the free contents); nullptr for a number
    // outside 1 to 60.
    const std::string* handWritten(int slotNumber) const;

    // Slot N of the preset free contents of the current layout (the free-content
    // record with the layout's number); empty when there is none.
    std::string preset(int slotNumber) const;

    // The record number of the current layout (0 while a new one is being added).
    int layoutNumber() const;

    DateDisplay dateDisplay() const;

    // The layout's spacing between the words of a circle-mark item, 0 to 10.
    int circleSpacing(CircleMark mark) const;

    CivilDate today() const { return today_(); }

    // The date as items print it: era name, two-digit era year, month and day, all
    // digits full-width ("令和０８年１２月０７日"). Throws ConversionError for a date
    // that does not exist.
    const std::string& itemDate(const CivilDate& date) const;

  private:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const {
            return std::hash<std::string_view>{}(name);
        }
    };
    using FieldIndex = std::unordered_map<std::string, int, NameHash, std::equal_to<>>;

    const Table& vehicles() const;
    const Table& layouts() const;
    const Table& freeData() const;
    int layoutInteger(int field, int low, int high) const;

    const Session& session_;
    Clock today_;
    mutable FieldIndex vehicleFields_;
    mutable std::vector<int> slotFields_; // index i: the field 項目(i + 1) of the free contents
    mutable int dateShownField_ = -1;
    mutable int dateWidthField_ = -1;
    mutable int useSpacingField_ = -1;
    mutable int privateSpacingField_ = -1;
    // Dates already written out; a handful per record at most, so kept small.
    mutable std::vector<std::pair<CivilDate, std::string>> itemDates_;
};

} // namespace mivora
