#include "text/sjis.h"

#include "text/codec.h"

#include <climits>
#include <map>
#include <mutex>

namespace mivora {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

int leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

bool parseInteger(std::string_view text, long long& value) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size() || text.size() - i > 18)
        return false;
    long long result = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        result = result * 10 + (text[i] - '0');
    }
    value = negative ? -result : result;
    return true;
}

const std::string& sj(std::string_view utf8Literal) {
    static std::mutex mutex;
    static std::map<std::string, std::string, std::less<>> converted;
    std::lock_guard lock(mutex);
    auto found = converted.find(utf8Literal);
    if (found == converted.end())
        found = converted.emplace(std::string(utf8Literal), fromUtf8(utf8Literal)).first;
    return found->second;
}

} // namespace mivora
