#include "items/charconv.h"

#include "text/codec.h"
#include "text/sjis.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace mivora {

namespace {

enum class Way { Both, ToFull, ToHalf };

// One row pairs each half-width character of `half` (followed by `mark`) with the
// full-width character at the same place in `full`. Written in UTF-8 so the glyphs
// can be read; turned into CP932 once.
struct WidthRow {
    std::string_view half;
    std::string_view full;
    std::string_view mark;
    Way way;
};

constexpr WidthRow kWidthRows[] = {
    // The half-width katakana block 0xA1-0xDD in code order.
    {"｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ",
     "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
     "マミムメモヤユヨラリルレロワン",
     "", Way::Both},
    {"ｳｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ", "ヴガギグゲゴザジズゼゾダヂヅデドバビブベボ", "ﾞ", Way::Both},
    {"ﾊﾋﾌﾍﾎ", "パピプペポ", "ﾟ", Way::Both},
    {"0123456789", "０１２３４５６７８９", "", Way::Both},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ", "",
     Way::Both},
    {"abcdefghijklmnopqrstuvwxyz", "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ", "",
     Way::Both},
    {"!#$%&()*+,-./:;<=>?@[]^_", "！＃＄％＆（）＊＋，－．／：；＜＝＞？＠［］＾＿", "", Way::Both},
    // Twins of another shape: the forms print the yen sign and the wave dash.
    {"\\~", "￥～", "", Way::Both},
    // Only towards full-width: the half-width forms read back are not these glyphs.
    {"\"'`{|}", "”’｀｛｜｝", "", Way::ToFull},
    // A voicing mark that completes no kana stands alone.
    {"ﾞﾟ", "゛゜", "", Way::ToFull},
    // Full-width conversion keeps blanks half-width; narrowing turns them half-width.
    {" ", "　", "", Way::ToHalf},
};

using WidthMap = std::map<std::string, std::string, std::less<>>;

std::vector<std::string> splitCharacters(std::string_view text) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i))
        characters.emplace_back(text.substr(i, charLength(text, i)));
    return characters;
}

class WidthTables {
  public:
    static const WidthTables& instance() {
        static const WidthTables tables;
        return tables;
    }

    // The other width of a character (a half-width kana with its mark counts as one),
    // or nullptr when it has none.
    const std::string* toFull(std::string_view half) const { return find(toFull_, half); }
    const std::string* toHalf(std::string_view full) const { return find(toHalf_, full); }

  private:
    WidthTables() {
        for (const WidthRow& row : kWidthRows)
            learn(row);
    }

    void learn(const WidthRow& row) {
        const std::vector<std::string> halves = splitCharacters(fromUtf8(row.half));
        const std::vector<std::string> fulls = splitCharacters(fromUtf8(row.full));
        if (halves.size() != fulls.size())
            throw std::logic_error("width table row of unequal lengths");
        const std::string mark = fromUtf8(row.mark);
        for (std::size_t i = 0; i < halves.size(); ++i) {
            if (row.way != Way::ToHalf)
                toFull_.emplace(halves[i] + mark, fulls[i]);
            if (row.way != Way::ToFull)
                toHalf_.emplace(fulls[i], halves[i] + mark);
        }
    }

    static const std::string* find(const WidthMap& map, std::string_view key) {
        auto found = map.find(key);
        return found == map.end() ? nullptr : &found->second;
    }

    WidthMap toFull_;
    WidthMap toHalf_;
};

// Full-width digits "０" to "９" are 0x824F to 0x8258.
constexpr unsigned char kFullDigitLead = 0x82;
constexpr unsigned char kFullZeroTrail = 0x4F;

// The value of the full-width digit at pos, or -1.
int fullDigitAt(std::string_view text, std::size_t pos) {
    if (charLength(text, pos) != 2 || static_cast<unsigned char>(text[pos]) != kFullDigitLead)
        return -1;
    const int value = static_cast<unsigned char>(text[pos + 1]) - kFullZeroTrail;
    return value >= 0 && value <= 9 ? value : -1;
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// Rebuilds text character by character; convert appends the replacement of one
// character and returns how many bytes it consumed (at least the character).
template <typename Convert> void rewrite(std::string& text, Convert convert) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();)
        i += convert(std::string_view(text), i, out);
    text = std::move(out);
}

void fullDigitsToHalf(std::string& text) {
    bool inRun = false;
    rewrite(text, [&](std::string_view in, std::size_t i, std::string& out) {
        const std::size_t length = charLength(in, i);
        const int digit = fullDigitAt(in, i);
        if (digit < 0)
            out.append(in.substr(i, length));
        else
            out += digit == 0 && !inRun ? ' ' : static_cast<char>('0' + digit);
        inRun = digit >= 0;
        return length;
    });
}

void fullToHalf(std::string& text, bool blankAfterEach) {
    const WidthTables& tables = WidthTables::instance();
    rewrite(text, [&](std::string_view in, std::size_t i, std::string& out) {
        const std::size_t length = charLength(in, i);
        const std::string_view character = in.substr(i, length);
        const std::string* half = length == 2 ? tables.toHalf(character) : nullptr;
        out.append(half ? std::string_view(*half) : character);
        if (blankAfterEach)
            out += ' ';
        return length;
    });
}

void halfDigitsToFull(std::string& text) {
    rewrite(text, [](std::string_view in, std::size_t i, std::string& out) {
        const std::size_t length = charLength(in, i);
        if (length == 1 && isAsciiDigit(in[i])) {
            out += static_cast<char>(kFullDigitLead);
            out += static_cast<char>(kFullZeroTrail + (in[i] - '0'));
        } else {
            out.append(in.substr(i, length));
        }
        return length;
    });
}

void trimControls(std::string& text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    text = first < last ? std::string(first, last) : std::string();
}

} // namespace

void CharCheck(std::string& text, int mode) {
    switch (mode) {
    case 0:
        fullDigitsToHalf(text);
        break;
    case 1:
    case 2:
        fullToHalf(text, mode == 2);
        break;
    case 3:
        halfDigitsToFull(text);
        break;
    default:
        break;
    }
}

void CharTranse(std::string& text) {
    const std::string& fullOne = sj("１");
    const std::string& fullEll = sj("ｌ");
    rewrite(text, [&](std::string_view in, std::size_t i, std::string& out) {
        const std::size_t length = charLength(in, i);
        const std::string_view character = in.substr(i, length);
        if (character == fullOne)
            out += fullEll;
        else if (character == "1")
            out += 'l';
        else
            out.append(character);
        return length;
    });
}

void SpaceSet(std::string& text, int count) {
    const std::size_t blanks = static_cast<std::size_t>(std::clamp(count, 0, 47));
    rewrite(text, [&](std::string_view in, std::size_t i, std::string& out) {
        const std::size_t length = charLength(in, i);
        out.append(in.substr(i, length));
        out.append(blanks, ' ');
        return length;
    });
}

void ChangeChar(std::string& text) {
    const WidthTables& tables = WidthTables::instance();
    trimControls(text);
    rewrite(text, [&](std::string_view in, std::size_t i, std::string& out) {
        const std::size_t length = charLength(in, i);
        if (length == 1 && i + 1 < in.size()) {
            // A kana and its voicing mark make one full-width character.
            if (const std::string* voiced = tables.toFull(in.substr(i, 2))) {
                out += *voiced;
                return std::size_t{2};
            }
        }
        const std::string_view character = in.substr(i, length);
        const std::string* full = length == 1 ? tables.toFull(character) : nullptr;
        out.append(full ? std::string_view(*full) : character);
        return length;
    });
    trimControls(text);
}

} // namespace mivora
