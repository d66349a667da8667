#include "items/changeitem.h"

#include "items/charconv.h"
#include "items/charsearch.h"
#include "items/itemcuts.h"
#include "text/sjis.h"

#include <algorithm>
#include <array>
#include <optional>

namespace mivora {

namespace {

// The names ChangeItem knows, converted once.
struct Names {
    std::array<std::string, 5> days = {sj("今日"), sj("明日"), sj("明後日"), sj("明々後日"),
                                       sj("弥明後日")};
    std::string thisMonth = sj("今月");
    std::string lastMonth = sj("先月");
    std::string lastDay = sj("末日");

    std::string plate = sj("登録番号");
    std::string plateOffice = sj("登録番号陸運支局");
    std::string plateClass = sj("登録番号分類");
    std::string plateClassHalf = sj("登録番号分類半角");
    std::string plateKana = sj("登録番号文字");
    std::string plateSerial = sj("登録番号一連");
    std::string plateSerialHalf = sj("登録番号一連半角");
    std::string firstYear = sj("初度登録年");
    std::string makeWord = sj("車名４文字");
    std::string makeHalf = sj("車名半角");
    std::string chassisHalf = sj("車台番号半角");
    std::string chassisTail = sj("車台番号下７桁");
    std::string chassisTailHalf = sj("車台番号下７桁半角");
    std::string chassisMarks = sj("#車台番号下７桁=");
    std::string withoutPrefecture = sj("都道府県無");
    std::array<std::string, 3> eighteen = {sj("使用者住所１８文字"), sj("所有者住所１８文字"),
                                           sj("使用の本拠の位置１８文字")};
    std::array<std::string, 3> bracketed = {sj("定員"), sj("積載量"), sj("総重量")};

    std::string plateField = sj("自動車登録番号");
    std::string firstYearField = sj("初度登録年月");
    std::string makeField = sj("車名");
    std::string chassisField = sj("車台番号");
    // Fields whose name begins a family of items ("使用者住所１８文字", "...都道府県無").
    std::array<std::string, 3> addressFields = {sj("使用者住所"), sj("所有者住所"),
                                                sj("使用の本拠の位置")};

    std::array<std::string, 28> halfWidth = {sj("型式"),
                                             sj("車台番号半角"),
                                             sj("車台番号下７桁半角"),
                                             sj("原動機の型式"),
                                             sj("自動車型式指定番号"),
                                             sj("類別区分番号"),
                                             sj("乗車定員"),
                                             sj("最大積載量"),
                                             sj("車両総重量"),
                                             sj("車名半角"),
                                             sj("定員"),
                                             sj("積載量"),
                                             sj("総重量"),
                                             sj("車両重量"),
                                             sj("長さ"),
                                             sj("幅"),
                                             sj("高さ"),
                                             sj("総排気量又は定格出力"),
                                             sj("定格出力"),
                                             sj("燃料の種類"),
                                             sj("燃料"),
                                             sj("前前軸重"),
                                             sj("前後軸重"),
                                             sj("後前軸重"),
                                             sj("後後軸重"),
                                             sj("車体の形状"),
                                             sj("登録番号分類半角"),
                                             sj("登録番号一連半角")};
};

const Names& names() {
    static const Names instance;
    return instance;
}

template <std::size_t N>
bool isOneOf(std::string_view name, const std::array<std::string, N>& list) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

bool isPlateItem(std::string_view name) {
    const Names& n = names();
    return name == n.plate || name == n.plateOffice || name == n.plateClass ||
           name == n.plateClassHalf || name == n.plateKana || name == n.plateSerial ||
           name == n.plateSerialHalf;
}

bool isChassisTailItem(std::string_view name) {
    const Names& n = names();
    return name == n.chassisTail || name == n.chassisTailHalf || name.starts_with(n.chassisMarks);
}

// The vehicle field that an item name reads: a cut item reads the field it cuts.
std::string_view fieldOf(std::string_view name) {
    const Names& n = names();
    if (isPlateItem(name))
        return n.plateField;
    if (name == n.firstYear)
        return n.firstYearField;
    if (name == n.makeWord || name == n.makeHalf)
        return n.makeField;
    for (const std::string& address : n.addressFields)
        if (name.starts_with(address))
            return address;
    if (name == n.chassisHalf || isChassisTailItem(name))
        return n.chassisField;
    return name;
}

std::optional<int> dayOffsetOf(std::string_view name) {
    const auto& days = names().days;
    const auto found = std::find(days.begin(), days.end(), name);
    if (found == days.end())
        return std::nullopt;
    return static_cast<int>(found - days.begin());
}

bool isMonthItem(std::string_view name) {
    return name.starts_with(names().thisMonth) || name.starts_with(names().lastMonth);
}

// The date of "今月N日" or "先月N日"; nothing for a day below 1.
std::optional<CivilDate> monthItemDate(std::string_view name, const CivilDate& today) {
    const Names& n = names();
    const std::string_view dayText = name.substr(n.thisMonth.size());
    int day = 31;
    if (dayText != n.lastDay) {
        std::string digits(dayText);
        CharCheck(digits, 1);
        day = leadingNumber(digits);
    }
    int year = today.year;
    int month = today.month;
    if (name.starts_with(n.lastMonth) && --month == 0) {
        month = 12;
        --year;
    }
    return makeDate(year, month, std::min(day, daysInMonth(year, month)));
}

// A typed amount ("+12000") prints right-aligned in the 14 bytes of the amount boxes.
void alignTypedAmount(std::string& value) {
    if (!value.starts_with('+'))
        return;
    value.erase(0, 1);
    CharCheck(value, 1);
    if (value.size() < 14)
        value.insert(0, 14 - value.size(), ' ');
}

// Cuts the piece that the name asks for out of the field's value; returns the name
// under which the value is finished (the make's first word is finished as "車名半角").
std::string_view cutByName(std::string_view name, std::string& value) {
    const Names& n = names();
    if (name == n.plate)
        value = platePiece(value, PlatePiece::FromClass);
    else if (name == n.plateOffice)
        value = platePiece(value, PlatePiece::Office);
    else if (name == n.plateClass || name == n.plateClassHalf)
        value = platePiece(value, PlatePiece::Class);
    else if (name == n.plateKana)
        value = platePiece(value, PlatePiece::Kana);
    else if (name == n.plateSerial || name == n.plateSerialHalf)
        value = platePiece(value, PlatePiece::Serial);
    else if (name == n.firstYear)
        value = std::string(headBytes(value, 10));
    else if (name == n.makeWord) {
        value = firstWordOfMake(value);
        name = n.makeHalf;
    }
    if (isChassisTailItem(name))
        value = chassisTail(value);
    if (name.starts_with(n.chassisMarks))
        value = chassisMarks(std::move(value), name.substr(n.chassisMarks.size()));
    if (name.size() > n.withoutPrefecture.size() && endsWithChars(name, n.withoutPrefecture)) {
        name.remove_suffix(n.withoutPrefecture.size());
        value = withoutPrefecture(value);
    }
    if (isOneOf(name, n.eighteen))
        value = std::string(headBytes(value, 36));
    if (isOneOf(name, n.bracketed) && !value.empty())
        value = "(" + value + ")";
    return name;
}

} // namespace

ItemValue ChangeItem(const ItemSources& sources, std::string_view name, int slotNumber,
                     DateBlanking blanking) {
    if (name.starts_with('@'))
        return {std::string(name.substr(1))};

    std::string value;
    std::string_view finishedAs = name;
    if (const auto days = dayOffsetOf(name)) {
        value = sources.itemDate(addDays(sources.today(), *days));
    } else if (isMonthItem(name)) {
        const auto date = monthItemDate(name, sources.today());
        if (!date)
            return {std::string(name)};
        value = sources.itemDate(*date);
    } else if (name.starts_with('?')) {
        const std::string* typed = sources.handWritten(slotNumber);
        if (!typed)
            return {std::string(name)};
        value = *typed;
        alignTypedAmount(value);
        finishedAs = cutByName(name.substr(1), value);
    } else {
        const std::string* field = sources.vehicleField(fieldOf(name));
        if (!field)
            return {std::string(name)};
        value = *field;
        finishedAs = cutByName(name, value);
    }

    ItemValue result{std::move(value)};
    if (blanking == DateBlanking::On)
        result.spacedDate = blankDate(result.text, sources.dateDisplay());
    if (isOneOf(finishedAs, names().halfWidth))
        CharCheck(result.text, 1);
    return result;
}

} // namespace mivora
