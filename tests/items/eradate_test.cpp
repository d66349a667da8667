#include "items/eradate.h"

#include "items/charconv.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/sjis.h"

#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include <climits>
#include <memory>
#include <string>

namespace mivora {
namespace {

const CivilDate kToday{2026, 12, 7};

struct ParseCase {
    std::string text;
    CivilDate expected;
    const char* rest; // the text after the call
};

TEST(CharToDate, ReadsEraDateTexts) {
    const ParseCase cases[] = {
        {sj("平成１５年０４月０５日"), {2003, 4, 5}, "１５年０４月０５日"},
        {sj("昭和64年1月7日"), {1989, 1, 7}, "64年1月7日"},
        {sj("2003年4月5日"), {2003, 4, 5}, "2003年4月5日"},
        {sj("令和０８年１２月０７日"), {2026, 12, 7}, "０８年１２月０７日"},
        {sj("明治４５年０７月２９日"), {1912, 7, 29}, "４５年０７月２９日"},
        {sj("大正０１年０７月３０日"), {1912, 7, 30}, "０１年０７月３０日"},
        {sj("昭和６４年０１月０７日"), {1989, 1, 7}, "６４年０１月０７日"},
        {sj("平成０１年０１月０８日"), {1989, 1, 8}, "０１年０１月０８日"},
        {sj("平成３１年０４月３０日"), {2019, 4, 30}, "３１年０４月３０日"},
        {sj("令和０１年０５月０１日"), {2019, 5, 1}, "０１年０５月０１日"},
        {sj("令和元年５月１日"), {2019, 5, 1}, "元年５月１日"},
        // the day is limited to the month
        {sj("平成１２年０２月３０日"), {2000, 2, 29}, nullptr},
        {sj("平成１３年０２月２９日"), {2001, 2, 28}, nullptr},
        {sj("平成１５年０４月３１日"), {2003, 4, 30}, nullptr},
        {sj("平成１５年０６月４５日"), {2003, 6, 30}, nullptr},
        {sj("平成１５年０１月４５日"), {2003, 1, 31}, nullptr},
        {sj("平成１５年１３月０１日"), {2003, 12, 1}, nullptr},
        // missing and zero parts keep today's
        {sj("平成１５年０４月"), {2003, 4, 7}, nullptr},
        {sj("平成１５年０４月０５"), {2003, 4, 7}, nullptr},
        {sj("１５年００月０５日"), {15, 12, 5}, nullptr},
        {sj("なし"), kToday, nullptr},
        {"", kToday, ""},
        {sj("平成"), kToday, ""},
        // a separator swallows the byte after it
        {"2003/04/05", {2003, 4, 7}, nullptr},
        {"2003//4//5/", {2003, 4, 5}, nullptr},
        // odd bytes
        {sj("平成１５年") + "\x82", {2003, 12, 7}, nullptr},
        {"\x82", kToday, nullptr},
        {"12\x82", {12, 12, 7}, nullptr},
        {sj("平"), kToday, nullptr},
        {"99999999999999999999/", {999999999, 12, 7}, nullptr},
    };
    for (const ParseCase& c : cases) {
        std::string text = c.text;
        int year = 0, month = 0, day = 0;
        CharToDate(text, year, month, day, kToday);
        EXPECT_EQ((CivilDate{year, month, day}), c.expected) << toUtf8(c.text);
        if (c.rest) {
            EXPECT_EQ(toUtf8(text), c.rest) << toUtf8(c.text);
        }
    }
}

struct FormatCase {
    CivilDate date;
    const char* two;
    const char* minimal;
};

const FormatCase kFormatCases[] = {
    {{2003, 4, 5}, "平成15年04月05日", "平成15年04月05日"},
    {{2021, 4, 5}, "令和03年04月05日", "令和3年04月05日"},
    {{1989, 1, 7}, "昭和64年01月07日", "昭和64年01月07日"},
    {{1989, 1, 8}, "平成01年01月08日", "平成1年01月08日"},
    {{2019, 4, 30}, "平成31年04月30日", "平成31年04月30日"},
    {{2019, 5, 1}, "令和01年05月01日", "令和1年05月01日"},
    {{1926, 12, 24}, "大正15年12月24日", "大正15年12月24日"},
    {{1926, 12, 25}, "昭和01年12月25日", "昭和1年12月25日"},
    {{1900, 1, 1}, "明治33年01月01日", "明治33年01月01日"},
    {{2026, 12, 31}, "令和08年12月31日", "令和8年12月31日"},
    {{1582, 10, 10}, "天正10年10月10日", "天正10年10月10日"}, // before ICU's Julian change
};

TEST(FormatEraDate, WritesTheEraOfTheDay) {
    for (const FormatCase& c : kFormatCases) {
        EXPECT_EQ(toUtf8(formatEraDate(c.date, EraYearDigits::Two)), c.two);
        EXPECT_EQ(toUtf8(formatEraDate(c.date, EraYearDigits::Minimal)), c.minimal);
    }
}

// The date must not move to the day before or after (and so to another era) when
// the process runs far from UTC.
TEST(FormatEraDate, DoesNotDependOnTheTimeZone) {
    std::unique_ptr<icu::TimeZone> saved(icu::TimeZone::createDefault());
    for (const char* zone : {"Pacific/Kiritimati", "Pacific/Pago_Pago", "Asia/Tokyo"}) {
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(zone));
        for (const FormatCase& c : kFormatCases)
            EXPECT_EQ(toUtf8(formatEraDate(c.date, EraYearDigits::Two)), c.two) << zone;
    }
    icu::TimeZone::adoptDefault(saved.release());
}

TEST(FormatEraDate, RejectsDatesThatDoNotExist) {
    for (const CivilDate date : {CivilDate{2001, 2, 29}, CivilDate{2003, 4, 31},
                                 CivilDate{2003, 0, 1}, CivilDate{0, 1, 1}})
        EXPECT_THROW(formatEraDate(date, EraYearDigits::Two), ConversionError);
}

// What the item texts store (era date, digits made full-width) reads back as the
// same date, from the first year of the Gregorian calendar in Japan on. A step of a
// week still meets every day of the month and every era.
TEST(EraDate, FormattedDatesReadBack) {
    for (CivilDate date{1873, 1, 1}; date.year < 2040; date = addDays(date, 7)) {
        std::string text = formatEraDate(date, EraYearDigits::Two);
        CharCheck(text, 3);
        int year = 0, month = 0, day = 0;
        CharToDate(text, year, month, day, kToday);
        ASSERT_EQ((CivilDate{year, month, day}), date);
    }
}

TEST(MakeDate, TellsWhenTheDateDoesNotExist) {
    const struct {
        int year, month, day;
        bool exists;
    } cases[] = {
        {2000, 2, 29, true},  {2001, 2, 29, false}, {1900, 2, 29, false}, {2024, 2, 29, true},
        {2003, 4, 31, false}, {2003, 12, 31, true}, {2003, 13, 1, false}, {2003, 0, 1, false},
        {2003, 1, 0, false},  {0, 1, 1, false},     {9999, 12, 31, true}, {10000, 1, 1, false},
    };
    for (const auto& c : cases) {
        const auto date = makeDate(c.year, c.month, c.day);
        EXPECT_EQ(date.has_value(), c.exists) << c.year << "-" << c.month << "-" << c.day;
        if (date) {
            EXPECT_EQ(*date, (CivilDate{c.year, c.month, c.day}));
        }
    }
}

TEST(AddDays, CountsAcrossMonthsAndYears) {
    const struct {
        CivilDate from;
        int days;
        CivilDate expected;
    } cases[] = {
        {{2024, 2, 28}, 1, {2024, 2, 29}},  {{2024, 2, 28}, 2, {2024, 3, 1}},
        {{2023, 2, 28}, 1, {2023, 3, 1}},   {{2026, 12, 31}, 1, {2027, 1, 1}},
        {{2027, 1, 1}, -1, {2026, 12, 31}}, {{2026, 12, 7}, 0, {2026, 12, 7}},
        {{2026, 12, 29}, 4, {2027, 1, 2}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(addDays(c.from, c.days), c.expected);
    EXPECT_THROW(addDays({9999, 12, 31}, 1), ConversionError);
    EXPECT_THROW(addDays({1, 1, 1}, -1), ConversionError);
    EXPECT_THROW(addDays({2026, 12, 7}, INT_MAX), ConversionError);
    EXPECT_THROW(addDays({2026, 12, 7}, INT_MIN), ConversionError);
    EXPECT_THROW(addDays({2001, 2, 29}, 1), ConversionError);
}

} // namespace
} // namespace mivora
