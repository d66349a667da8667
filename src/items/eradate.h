#pragma once
// Dates of the Japanese era calendar, as vehicle certificates write them
// ("令和０８年１２月０７日"): reading such a text back into numbers, forming calendar
// dates from numbers, and writing dates in era notation. Texts are CP932.

#include <optional>
#include <string>

namespace mivora {

// A date of the (proleptic) Gregorian calendar. Only makeDate, localToday and
// addDays hand out dates; a date built by hand may not exist.
struct CivilDate {
    int year = 1;
    int month = 1;
    int day = 1;

    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Divisible by 4 and not by 100, or divisible by 400.
bool isLeapYear(int year);

// 28 to 31; 0 for a month outside 1 to 12.
int daysInMonth(int year, int month);

// The date of year, month and day numbers, or nothing when there is no such day
// (29 February of a common year, month 13, day 0, a year outside 1 to 9999).
std::optional<CivilDate> makeDate(int year, int month, int day);

// Today on the local clock.
CivilDate localToday();

// The date days later (earlier for a negative count): today plus one to four days
// for the items that print a coming date. Throws ConversionError when the result
// leaves the years 1 to 9999.
CivilDate addDays(const CivilDate& date, int days);

enum class EraYearDigits {
    Two,     // "平成03年04月05日": the dates of item texts
    Minimal, // "平成3年04月05日": backup file names
};

// The date in era notation with half-width digits, in the era of the Japanese
// calendar on that day (every era, from the oldest to 令和). The first year of an
// era is written as the number 1, never "元". Throws ConversionError for a date that
// does not exist.
std::string formatEraDate(const CivilDate& date, EraYearDigits digits);

// Reads an era date text such as "平成１５年０４月０５日" into a Western year, month
// and day. Parts missing from the text keep the values of today. A leading era name
// (令和, 平成, 昭和, 大正, 明治) is removed from text and its offset added to the
// year; without one the year number is taken as Western. Numbers are half- or
// full-width digits ("元" as the year counts 1); each other byte ends a number and the byte after
// it is skipped (separators are double-byte: 年, 月, 日), a number with no separator after it and a
// zero number are not stored. The month is limited to 1-12 and the day to the month's length, so
// the result always exists when the year is within 1-9999.
void CharToDate(std::string& text, int& year, int& month, int& day, const CivilDate& today);

// The same with today taken from the local clock.
void CharToDate(std::string& text, int& year, int& month, int& day);

} // namespace mivora
