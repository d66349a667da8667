#pragma once
// The date display rule of a layout. Forms that print the era name and the
// characters 年, 月 and 日 themselves want only the numbers of a date, each at the
// place the form leaves for it.

#include <string>

namespace mivora {

struct DateDisplay {
    bool shown = true; // the layout's 日付の表示: dates print whole
    int width = 0;     // the layout's 日付の幅, 0 to 10: blanks after each number, plus 2
};

// With dates not shown, blanks the first 平成, 昭和 and 令和 of value by two
// full-width blanks each and its first 年, ヶ, 月 and 日 by width + 2 blanks each,
// then makes the full-width digits half-width with the first zero of each number
// blanked ("　　 8  12   7  "). A value that holds no full-width digit before the
// last of these replacements is no date and stays as it was. Returns whether the
// value was spaced out.
bool blankDate(std::string& value, const DateDisplay& display);

} // namespace mivora
