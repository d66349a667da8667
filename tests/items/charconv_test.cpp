#include "items/charconv.h"

#include "text/codec.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <string>

namespace mivora {
namespace {

struct CheckCase {
    int mode;
    const char* in;
    const char* expected;
};

TEST(CharCheck, ConvertsByMode) {
    const CheckCase cases[] = {
        {3, "平成15年04月05日", "平成１５年０４月０５日"},
        {3, "ABC１", "ABC１"},
        {0, "１５年０４月０５日", "15年 4月 5日"},
        {0, "００５", " 05"},
        {0, "0０", "0 "},    // a half-width digit ends the run
        {0, "A０１", "A 1"}, // so does any other character
        {0, "ＡＢ", "ＡＢ"},
        {1, "ガソリン", "ｶﾞｿﾘﾝ"},
        {1, "ＡＢＣ１２３", "ABC123"},
        {1, "ａｚＺ９０", "azZ90"},
        {1, "漢字", "漢字"},
        {1, "パピプペポヴ", "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｳﾞ"},
        {1, "ァィゥェォャュョッヲン", "ｧｨｩｪｫｬｭｮｯｦﾝ"},
        {1, "。「」、・ー", "｡｢｣､･ｰ"},
        {1, "　！＃＄％＆（）＊＋，－．／：；＜＝＞？＠［］＾＿", " !#$%&()*+,-./:;<=>?@[]^_"},
        {1, "￥～", "\\~"},
        {1, "”’｀｛｜｝μ×∧ヶヮあ゛", "”’｀｛｜｝μ×∧ヶヮあ゛"},
        {1, "ｶﾞ a", "ｶﾞ a"},
        {2, "ＡＢ", "A B "},
        {2, "ガ漢a", "ｶﾞ 漢 a "},
        {4, "１a", "１a"},
        {-1, "１a", "１a"},
    };
    for (const CheckCase& c : cases) {
        std::string text = sj(c.in);
        CharCheck(text, c.mode);
        EXPECT_EQ(toUtf8(text), c.expected) << "mode " << c.mode << " on " << c.in;
    }
}

TEST(CharCheck, EmptyTextStaysEmpty) {
    for (int mode = 0; mode <= 3; ++mode) {
        std::string text;
        CharCheck(text, mode);
        EXPECT_EQ(text, "") << "mode " << mode;
    }
}

// Codes that are easily confused with look-alikes (minus sign, wave dash, yen sign,
// quotation marks) are checked as bytes.
TEST(WidthConversion, UsesTheFormsCodes) {
    const struct {
        std::string half;
        std::string full;
    } pairs[] = {
        {"-", "\x81\x7C"},  {"^", "\x81\x4F"},    {"\\", "\x81\x8F"},   {"~", "\x81\x60"},
        {"\"", "\x81\x68"}, {"'", "\x81\x66"},    {"`", "\x81\x4D"},    {"0", "\x82\x4F"},
        {"a", "\x82\x81"},  {"\xDE", "\x81\x4A"}, {"\xDF", "\x81\x4B"},
    };
    for (const auto& pair : pairs) {
        std::string text = pair.half;
        ChangeChar(text);
        EXPECT_EQ(text, pair.full) << "half " << pair.half;
    }
    std::string minus = "\x81\x7C";
    CharCheck(minus, 1);
    EXPECT_EQ(minus, "-");
}

struct TextCase {
    const char* in;
    const char* expected;
};

TEST(ChangeChar, WidensHalfWidthText) {
    const TextCase cases[] = {
        {" ｶﾞｿﾘﾝ 1 ", "ガソリン １"},
        {"ux^", "ｕｘ＾"},
        {"\t漢字\r\n", "漢字"},
        {"ﾊﾟﾋﾞﾌﾟﾍﾞﾎﾟｳﾞ", "パビプベポヴ"},
        {"｡｢｣､･ｦｧｯｰﾝ", "。「」、・ヲァッーン"},
        {"ｱﾞﾏﾟ", "ア゛マ゜"}, // marks that complete no kana stand alone
        {"ﾞｶ", "゛カ"},
        {"\"'`{|}", "”’｀｛｜｝"},
        {"!#$%&()*+,-./:;<=>?@[]_", "！＃＄％＆（）＊＋，－．／：；＜＝＞？＠［］＿"},
        {"09AZaz", "０９ＡＺａｚ"},
        {"ガ漢", "ガ漢"},
        {"   ", ""},
        {"", ""},
    };
    for (const TextCase& c : cases) {
        std::string text = sj(c.in);
        ChangeChar(text);
        EXPECT_EQ(toUtf8(text), c.expected) << "on " << c.in;
    }
}

// ChangeChar and CharCheck mode 1 are inverse on every half-width character that has
// a full-width twin of the same shape, so a kana text survives the round trip.
TEST(ChangeChar, HalfWidthCharactersSurviveRoundTrip) {
    const std::string marks[] = {"", "\xDE", "\xDF"};
    int voiced = 0;
    for (int byte = 0x21; byte <= 0xDD; ++byte) {
        if (byte > 0x7E && byte < 0xA1)
            continue;
        const std::string character(1, static_cast<char>(byte));
        if (std::string("\"'`{|}").find(character) != std::string::npos)
            continue;
        for (const std::string& mark : marks) {
            std::string text = character + mark;
            ChangeChar(text);
            const bool joined = text.size() == 2;
            if (!mark.empty() && !joined)
                continue; // not a voiced kana
            voiced += !mark.empty();
            EXPECT_EQ(text.size(), 2u) << "byte " << byte;
            CharCheck(text, 1);
            EXPECT_EQ(text, character + mark) << "byte " << byte << " mark " << mark.size();
        }
    }
    EXPECT_EQ(voiced, 26);
}

TEST(CharTranse, TurnsOnesIntoEll) {
    const TextCase cases[] = {
        {"１２1", "ｌ２l"},
        {"11１１", "llｌｌ"},
        {"モP", "モP"}, // 0x83 0x82 0x50 holds the bytes of "１" across two characters
        {"", ""},
    };
    for (const TextCase& c : cases) {
        std::string text = sj(c.in);
        CharTranse(text);
        EXPECT_EQ(toUtf8(text), c.expected) << "on " << c.in;
    }
}

TEST(SpaceSet, FollowsEachCharacterWithBlanks) {
    const struct {
        const char* in;
        int count;
        std::string expected;
    } cases[] = {
        {"車1", 1, "車 1 "},
        {"ab", 2, "a  b  "},
        {"ab", 0, "ab"},
        {"ab", -3, "ab"},
        {"a", 100, "a" + std::string(47, ' ')},
        {"", 5, ""},
    };
    for (const auto& c : cases) {
        std::string text = sj(c.in);
        SpaceSet(text, c.count);
        EXPECT_EQ(toUtf8(text), c.expected) << c.count << " on " << c.in;
    }
}

// A lone lead byte at the end is one character: it is kept and nothing past it is read
// (the sanitizer build catches a read past the end).
TEST(WidthConversion, LoneLeadByteAtEndIsKept) {
    using Operation = void (*)(std::string&);
    const struct {
        Operation operation;
        std::string in;
        std::string expected;
    } cases[] = {
        {[](std::string& t) { CharCheck(t, 0); }, "\x82", "\x82"},
        {[](std::string& t) { CharCheck(t, 0); }, "\x82\x4F\x82", " \x82"},
        {[](std::string& t) { CharCheck(t, 1); }, "A\x82", "A\x82"},
        {[](std::string& t) { CharCheck(t, 2); }, "A\x83", "A \x83 "},
        {[](std::string& t) { CharCheck(t, 3); }, "1\x82", "\x82\x50\x82"},
        {CharTranse, "1\x82", "l\x82"},
        {[](std::string& t) { SpaceSet(t, 1); }, "A\x82", "A \x82 "},
        {ChangeChar, "\xB1\x83", "\x83\x41\x83"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        c.operation(text);
        EXPECT_EQ(text, c.expected);
    }
}

} // namespace
} // namespace mivora
