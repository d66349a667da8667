#include "text/codec.h"
#include "text/errors.h"
#include "text/sjis.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace mivora {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int value : values)
        text += static_cast<char>(value);
    return text;
}

TEST(Codec, ConvertsJapaneseBothWays) {
    const std::string utf8 = "山田　太郎 ｶﾞｿﾘﾝ ＡＢＣ１２３ ① ㈱ \\~";
    const std::string cp932 = fromUtf8(utf8);
    EXPECT_EQ(cp932.substr(0, 4), bytes({0x8E, 0x52, 0x93, 0x63})); // 山田
    EXPECT_EQ(toUtf8(cp932), utf8);
}

TEST(Codec, BytesThatAreNoCharacterComeBackExactly) {
    const std::string cases[] = {
        bytes({0x82}), // a lone lead byte at the end
        bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF}),
        bytes({0x81, 0x20}), // a lead byte before a byte that cannot follow it
        bytes({0x00, 0x41, 0x00}),
    };
    for (const std::string& original : cases) {
        SCOPED_TRACE(toUtf8(original));
        EXPECT_EQ(fromUtf8(toUtf8(original)), original);
    }
}

// The reference table of tests/text/cp932_reference.py, read from the file
// MIVORA_CP932_REFERENCE names (written beforehand where python3 cannot be
// started, as under wine), or else from python3 itself.
FILE* openReference() {
    if (const char* file = std::getenv("MIVORA_CP932_REFERENCE"))
        return std::fopen(file, "r");
    return popen("python3 " MIVORA_TEST_DATA "/../text/cp932_reference.py", "r");
}

TEST(Codec, EveryTwoByteCodeAsWindowsReadsAndWritesIt) {
    std::map<int, std::pair<std::string, std::string>> windows; // code -> UTF-8, code written
    FILE* python = openReference();
    if (!python)
        GTEST_SKIP() << "python3 is needed for the reference table";
    unsigned code, cp, written;
    while (std::fscanf(python, "%X %X %X", &code, &cp, &written) == 3) {
        // Every CP932 character is one of the Basic Multilingual Plane.
        const std::string character =
            cp < 0x80 ? bytes({static_cast<int>(cp)})
            : cp < 0x800
                ? bytes({static_cast<int>(0xC0 | cp >> 6), static_cast<int>(0x80 | (cp & 0x3F))})
                : bytes({static_cast<int>(0xE0 | cp >> 12),
                         static_cast<int>(0x80 | (cp >> 6 & 0x3F)),
                         static_cast<int>(0x80 | (cp & 0x3F))});
        windows[static_cast<int>(code)] = {
            character, written > 0xFF ? bytes({static_cast<int>(written >> 8),
                                               static_cast<int>(written & 0xFF)})
                                      : bytes({static_cast<int>(written)})};
    }
    ASSERT_EQ(std::getenv("MIVORA_CP932_REFERENCE") ? std::fclose(python) : pclose(python), 0);
    ASSERT_GT(windows.size(), 9000u);

    std::vector<std::string> faults;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0)
            continue;
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::string original = bytes({lead, trail});
            const std::string read = toUtf8(original);
            std::string fault;
            if (fromUtf8(read) != original)
                fault = "does not come back";
            if (auto it = windows.find(lead << 8 | trail); it != windows.end()) {
                const auto& [character, code] = it->second;
                // Nothing after the character but the selector of the code it came from.
                const std::string rest = read.compare(0, character.size(), character) == 0
                                             ? read.substr(character.size())
                                             : "?";
                if (rest != "" && rest != "\uFE00" && rest != "\uFE01")
                    fault += " reads as " + read;
                if (fromUtf8(character) != code)
                    fault += " written as " + toUtf8(fromUtf8(character));
            } else if (read.compare(0, 4, toUtf8(bytes({lead}))) != 0) {
                fault += " reads as a character";
            }
            if (!fault.empty() && faults.size() < 20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "%04X", lead << 8 | trail);
                faults.push_back(hex + fault);
            }
        }
    }
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST(Codec, RandomByteStringsRoundTrip) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byte(0, 255), ascii(0, 127), length(0, 40), percent(0, 99);
    // Any bytes, and mostly ASCII with a few others: long runs of ASCII between them.
    for (int asciiShare : {0, 90}) {
        for (int round = 0; round < 20000; ++round) {
            std::string original;
            for (int i = length(random); i > 0; --i)
                original +=
                    static_cast<char>(percent(random) < asciiShare ? ascii(random) : byte(random));
            ASSERT_EQ(fromUtf8(toUtf8(original)), original) << asciiShare << "% round " << round;
        }
    }
}

TEST(Codec, ComparesAsTheShiftJisBytesWould) {
    std::mt19937 random(42);
    // Texts from a few characters, so that long common prefixes are frequent; two
    // of them are bytes that travel escaped.
    std::vector<std::string> alphabet;
    for (const char* utf8 : {"A", "a", "ｱ", "ｶﾞ", "亜", "弌", "漾", "１", "　", "ソ"})
        alphabet.push_back(fromUtf8(utf8));
    alphabet.push_back(bytes({0xED, 0x40}));
    alphabet.push_back(bytes({0xFA, 0x5C})); // the code Windows writes for 0xED40's character
    alphabet.push_back(bytes({0x80}));
    auto text = [&] {
        std::string cp932;
        for (int i = random() % 6; i > 0; --i)
            cp932 += alphabet[random() % alphabet.size()];
        return cp932;
    };
    auto sign = [](int value) { return (value > 0) - (value < 0); };
    for (int round = 0; round < 5000; ++round) {
        std::string a = text(), b = text();
        ASSERT_EQ(sign(compareAsCp932(toUtf8(a), toUtf8(b))), sign(a.compare(b)))
            << toUtf8(a) << " / " << toUtf8(b);
    }
}

TEST(Codec, JisSymbolsTypedOnLinuxEnterAsTheirShiftJisCodes) {
    const std::pair<const char*, std::string> cases[] = {
        {"〜", bytes({0x81, 0x60})}, {"−", bytes({0x81, 0x7C})}, {"‖", bytes({0x81, 0x61})},
        {"¢", bytes({0x81, 0x91})},  {"£", bytes({0x81, 0x92})}, {"¬", bytes({0x81, 0xCA})},
        {"—", bytes({0x81, 0x5C})},
    };
    for (const auto& [typed, code] : cases) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(fromUtf8(typed), code);
        // Reading gives CP932's own character, which enters as the same code.
        EXPECT_NE(toUtf8(code), typed);
        EXPECT_EQ(fromUtf8(toUtf8(code)), code);
        EXPECT_EQ(compareAsCp932(typed, toUtf8(code)), 0);
    }
}

TEST(Codec, RefusesWhatShiftJisCannotHold) {
    EXPECT_THROW(fromUtf8("\xF0\x9F\x98\x80"), ConversionError); // an emoji
    EXPECT_THROW(fromUtf8("€"), ConversionError);
    EXPECT_THROW(fromUtf8("\xE3\x81"), ConversionError);       // cut UTF-8
    EXPECT_THROW(fromUtf8("\xC0\xAF"), ConversionError);       // overlong form
    EXPECT_THROW(fromUtf8("\xE0\x80\xAF"), ConversionError);   // overlong three-byte form
    EXPECT_THROW(fromUtf8("ｱ\xED\xA0\x80ｱ"), ConversionError); // a surrogate half
    EXPECT_THROW(fromUtf8("ｱ\xE3\x81ｱ"), ConversionError);     // cut inside a text
    EXPECT_THROW(fromUtf8("12345678€"), ConversionError);      // after a run of ASCII
    EXPECT_THROW(fromUtf8("1234567890123456\xE3\x81"), ConversionError);
    // Named by code and place, for a screen whose font lacks it.
    try {
        fromUtf8("山田𠮷男");
        ADD_FAILURE();
    } catch (const ConversionError& refused) {
        EXPECT_STREQ(refused.what(), "3 文字目の「𠮷」(U+20BB7) は Shift-JIS で表せない文字です。");
    }
}

TEST(Sjis, CharacterWalkNeverPassesTheEnd) {
    const std::string text = bytes({'A', 0x82, 0xA0, 0x82});
    EXPECT_EQ(charLength(text, 0), 1u);
    EXPECT_EQ(charLength(text, 1), 2u);
    EXPECT_EQ(charLength(text, 3), 1u);
    EXPECT_TRUE(isLeadByte(127));
    EXPECT_TRUE(isLeadByte(160));
    EXPECT_FALSE(isLeadByte(161)); // half-width katakana stand alone
    EXPECT_TRUE(isLeadByte(224));
}

TEST(Sjis, LeadingInteger) {
    const std::pair<const char*, int> cases[] = {
        {"12", 12},
        {"  -7abc", -7},
        {"+3", 3},
        {"abc", 0},
        {"", 0},
        {"4 5", 4},
        {"99999999999", 2147483647},
        {"-", 0},
        {"\t8", 8},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(leadingInteger(text), value) << '"' << text << '"';
}

TEST(Codec, BytesForSortingAgreeWithTheComparison) {
    // Convertible texts, an escaped byte, a character without a CP932 code and
    // malformed UTF-8, each against the others.
    std::vector<std::string> texts = {"",  "A",   "ｱ",      "亜", "漾", toUtf8("\xFF"),
                                      "😀", "亜😀", "亜\xC3", "Ab", "ｱ亜"};
    texts.insert(texts.end(), {"亜\xED\xA0\x80", "\xE0\x80\xAF"}); // malformed three-byte forms
    auto sign = [](int value) { return (value > 0) - (value < 0); };
    for (const std::string& a : texts)
        for (const std::string& b : texts) {
            std::string bytesA, bytesB;
            appendAsCp932(a, bytesA);
            appendAsCp932(b, bytesB);
            EXPECT_EQ(sign(bytesA.compare(bytesB)), sign(compareAsCp932(a, b))) << a << " / " << b;
        }
}

} // namespace
} // namespace mivora
