#include "items/eradate.h"

#include "platform/localtime.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/sjis.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <memory>
#include <string_view>

namespace mivora {

namespace {

namespace chr = std::chrono;

constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;

struct Era {
    std::string_view name; // UTF-8
    int offset;            // added to the era year gives the Western year
};

// Tested in this order against the start of a date text.
constexpr Era kEras[] = {
    {"令和", 2018}, {"平成", 1988}, {"昭和", 1925}, {"大正", 1911}, {"明治", 1867},
};

chr::year_month_day toChrono(const CivilDate& date) {
    return chr::year_month_day{chr::year{date.year}, chr::month{static_cast<unsigned>(date.month)},
                               chr::day{static_cast<unsigned>(date.day)}};
}

CivilDate fromChrono(const chr::year_month_day& date) {
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

bool exists(const CivilDate& date) {
    return date.year >= kMinYear && date.year <= kMaxYear && date.month >= 1 && date.month <= 12 &&
           date.day >= 1 && date.day <= daysInMonth(date.year, date.month);
}

std::string describe(const CivilDate& date) {
    return std::to_string(date.year) + "/" + std::to_string(date.month) + "/" +
           std::to_string(date.day);
}

void requireExisting(const CivilDate& date) {
    if (!exists(date))
        throw ConversionError("存在しない日付です: " + describe(date));
}

// --- formatting ---

void checkIcu(UErrorCode status) {
    if (U_FAILURE(status))
        throw ConversionError(std::string("和暦の日付を作れません (ICU: ") + u_errorName(status) +
                              ")");
}

// A formatter of the Japanese calendar in UTC: the date is built as UTC midnight
// too, so no local offset can move it to another day (and era). The calendar is
// Gregorian all the way back, as CivilDate is.
std::unique_ptr<icu::SimpleDateFormat> makeEraFormatter(EraYearDigits digits) {
    const icu::Locale locale("ja_JP@calendar=japanese");
    const icu::UnicodeString pattern(digits == EraYearDigits::Two ? u"GGGGyy年MM月dd日"
                                                                  : u"GGGGy年MM月dd日");
    UErrorCode status = U_ZERO_ERROR;
    // Latin digits for the year: the locale's default writes year 1 as "元".
    auto format = std::make_unique<icu::SimpleDateFormat>(pattern, icu::UnicodeString(u"y=latn"),
                                                          locale, status);
    checkIcu(status);
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), locale, status));
    checkIcu(status);
    if (auto* gregorian = dynamic_cast<icu::GregorianCalendar*>(calendar.get()))
        gregorian->setGregorianChange(U_DATE_MIN, status);
    checkIcu(status);
    format->adoptCalendar(calendar.release());
    return format;
}

icu::SimpleDateFormat& eraFormatter(EraYearDigits digits) {
    // ICU formatters are not safe to share between threads; building one is slow.
    thread_local std::array<std::unique_ptr<icu::SimpleDateFormat>, 2> formatters;
    auto& slot = formatters[digits == EraYearDigits::Two ? 0 : 1];
    if (!slot)
        slot = makeEraFormatter(digits);
    return *slot;
}

UDate utcMidnight(const CivilDate& date) {
    const chr::sys_days days{toChrono(date)};
    return static_cast<UDate>(days.time_since_epoch().count()) * U_MILLIS_PER_DAY;
}

// --- reading ---

// The offset of the era name that starts text, which is removed; 0 without one.
int takeEra(std::string& text) {
    for (const Era& era : kEras) {
        const std::string& name = sj(era.name);
        if (text.starts_with(name)) {
            text.erase(0, name.size());
            return era.offset;
        }
    }
    return 0;
}

// A digit at pos, half-width (one byte) or full-width "０" to "９" (0x824F to 0x8258).
struct Digit {
    int value = -1; // -1: no digit
    std::size_t bytes = 1;
};

Digit digitAt(std::string_view text, std::size_t pos) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte >= '0' && byte <= '9')
        return {byte - '0', 1};
    if (byte == 0x82 && pos + 1 < text.size()) {
        const int value = static_cast<unsigned char>(text[pos + 1]) - 0x4F;
        if (value >= 0 && value <= 9)
            return {value, 2};
    }
    return {};
}

// "元年", the first year of an era as people write it, reads as year 1.
bool isGan(std::string_view text, std::size_t pos) {
    const std::string& gan = sj("元");
    return text.substr(pos, gan.size()) == gan;
}

// A run of digits longer than any date saturates instead of overflowing.
constexpr long long kMaxNumber = 999'999'999;

} // namespace

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<CivilDate> makeDate(int year, int month, int day) {
    const CivilDate date{year, month, day};
    if (!exists(date))
        return std::nullopt;
    return date;
}

CivilDate localToday() {
    const std::tm local = localTimeOf(std::time(nullptr));
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

CivilDate addDays(const CivilDate& date, int days) {
    requireExisting(date);
    const chr::sys_days first{chr::year{kMinYear} / 1 / 1};
    const chr::sys_days last{chr::year{kMaxYear} / 12 / 31};
    const chr::sys_days from{toChrono(date)};
    if (days < (first - from).count() || days > (last - from).count())
        throw ConversionError("日付が範囲外です: " + describe(date) + " + " + std::to_string(days));
    return fromChrono(from + chr::days{days});
}

std::string formatEraDate(const CivilDate& date, EraYearDigits digits) {
    requireExisting(date);
    icu::UnicodeString formatted;
    eraFormatter(digits).format(utcMidnight(date), formatted);
    std::string utf8;
    formatted.toUTF8String(utf8);
    return fromUtf8(utf8);
}

void CharToDate(std::string& text, int& year, int& month, int& day, const CivilDate& today) {
    std::array<int, 3> fields{today.year, today.month, today.day};
    int offset = takeEra(text);
    long long number = 0;
    std::size_t field = 0;
    for (std::size_t i = 0; i < text.size();) {
        const bool gannen = field == 0 && number == 0 && isGan(text, i);
        const Digit digit = gannen ? Digit{1, 2} : digitAt(text, i);
        if (digit.value >= 0) {
            number = std::min(number * 10 + digit.value, kMaxNumber);
            i += digit.bytes;
            continue;
        }
        if ((number != 0 || offset != 0) && field < fields.size())
            fields[field] = static_cast<int>(number) + offset;
        ++field;
        number = 0;
        offset = 0;
        i += 2; // the separator and, for a single-byte one, the byte after it
    }
    year = fields[0];
    month = std::clamp(fields[1], 1, 12);
    day = std::clamp(fields[2], 1, daysInMonth(year, month));
}

void CharToDate(std::string& text, int& year, int& month, int& day) {
    CharToDate(text, year, month, day, localToday());
}

} // namespace mivora
