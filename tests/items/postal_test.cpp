#include "items/postal.h"

#include "items/postal_reference.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace mivora {
namespace {

namespace fs = std::filesystem;

// Forty lines of the national list, in its order: wards of the same name in
// several prefectures, an area name continued over three lines, the catch-all
// keywords and the last lines of the file.
std::string excerpt() {
    return readBytes(fs::path(MIVORA_TEST_DATA) / "ken_all_excerpt.csv");
}

const PostalList& excerptList() {
    static const PostalList list(excerpt());
    return list;
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

struct LookupCase {
    const char* address;
    int mode;
    const char* code;
    const char* prefectureToAdd;
};

TEST(PostalLookup, AnswersFromTheExcerpt) {
    const LookupCase cases[] = {
        // Ranges in parentheses, read as half-width numbers.
        {"北海道札幌市中央区大通西１０丁目", 0, "0600042", ""},
        {"北海道札幌市中央区大通西２５丁目", 0, "0640820", ""},
        // The catch-all line only when no line fits better.
        {"北海道札幌市中央区大通西３０丁目", 0, "0600000", ""},
        {"北海道札幌市中央区旭ケ丘５丁目", 0, "0640941", ""},
        {"札幌市中央区大通東３", 1, "0600041", "北海道"},
        // An area name listed over three lines of the file.
        {"北海道千歳市協和４３１－１２", 0, "0660005", ""},
        {"北海道千歳市協和１１３７－３", 0, "0660005", ""},
        {"北海道千歳市協和９９９", 0, "0691182", ""},
        {"北海道登別市札内町１８４", 0, "0590005", ""},
        {"北海道登別市札内町７７", 0, "0590461", ""},
        // "次に番地がくる場合" only when something follows the city.
        {"茨城県猿島郡境町１２３", 0, "3060433", ""},
        {"茨城県猿島郡境町", 0, "3060400", ""},
        {"茨城県猿島郡境町一ノ谷５", 0, "3060422", ""},
        {"東京都利島村２５８", 1, "1000301", ""},
        // The longer area name explains more of the address.
        {"大阪府大阪市中央区本町橋２", 1, "5400029", ""},
        {"大阪府大阪市中央区本町３丁目", 1, "5410053", ""},
        // A ward of the same name in an earlier prefecture does not take over the
        // prefecture the address names, in neither mode.
        {"大阪府大阪市中央区本町３丁目", 0, "5410053", ""},
        {"広島県府中市阿字町１", 0, "7293212", ""},
        // A wrong prefecture: tolerated in mode 0, never given a second one.
        {"神奈川県府中市朝日町１", 0, "1830003", ""},
        {"神奈川県府中市朝日町１", 1, "", ""},
        {"府中市朝日町１", 1, "1830003", "東京都"},
        // "県" in an address without prefecture (a prefectural housing estate).
        {"府中市県営住宅１", 0, "1830000", "東京都"},
        {"府中市県営住宅１", 1, "", ""},
        // The last city of the file keeps its catch-all code and its prefecture.
        {"沖縄県八重山郡与那国町字比川", 1, "9071800", ""},
        {"八重山郡与那国町与那国１", 0, "9071801", "沖縄県"},
        {"八重山郡竹富町鳩間", 0, "9071544", "沖縄県"},
        {"宇宙市１", 0, "", ""},
        {"", 0, "", ""},
    };
    for (const LookupCase& c : cases) {
        const PostalAnswer answer = excerptList().lookup(sj(c.address), c.mode);
        EXPECT_EQ(answer.code, c.code) << c.address << " mode " << c.mode;
        EXPECT_EQ(toUtf8(answer.prefectureToAdd), c.prefectureToAdd) << c.address;
    }
}

TEST(PostalLookup, ToleratesBrokenFiles) {
    const std::string opener = sj("1,\"1\",\"0000001\",\"\",\"\",\"\",\"北海道\",\"甲市\","
                                  "\"乙町（１、２\",0,0,0,0,0,0");
    const std::string other = sj("1,\"1\",\"0000002\",\"\",\"\",\"\",\"北海道\",\"甲市\","
                                 "\"丙町\",0,0,0,0,0,0");
    const PostalList broken("a,b,c\r\n\r\n,,,,,,,,,\r\n" + opener + "\n" + other + "\r" + "x,y");
    EXPECT_EQ(broken.brokenLineCount(), 3u);
    EXPECT_EQ(broken.nonCp932LineCount(), 0u);
    EXPECT_EQ(broken.areaCount(), 2u);
    // The open parenthesis is not carried into the line of another code.
    EXPECT_EQ(broken.lookup(sj("北海道甲市丙町"), 1).code, "0000002");
    EXPECT_EQ(broken.lookup(sj("北海道甲市乙町２"), 1).code, "0000001");
    // A file that ends inside a parenthesis, a lone lead byte at an address's end.
    const PostalList cut(opener);
    EXPECT_EQ(cut.lookup(sj("北海道甲市乙町１") + "\x82", 0).code, "0000001");

    const PostalList utf8(toUtf8(excerpt()));
    EXPECT_EQ(utf8.nonCp932LineCount(), 40u);
    EXPECT_EQ(utf8.lookup(sj("北海道札幌市中央区大通東"), 0).code, "");
}

TEST(PostRead, CompletesSlotFourAndFillsTheResult) {
    test::TempDir dir;
    writeFile(dir.path() / "KEN_ALL.CSV", excerpt());
    std::array<std::string, 49> untouched;
    untouched.fill("x");
    std::array<std::string, 49> values = untouched;
    values[4] = sj("札幌市中央区大通東３");
    PostRead(values[48], 0, values, dir.path());
    EXPECT_EQ(values[48], "0600041");
    EXPECT_EQ(toUtf8(values[4]), "北海道札幌市中央区大通東３");
    PostRead(values[48], 0, values, dir.path()); // a second call adds nothing more
    EXPECT_EQ(toUtf8(values[4]), "北海道札幌市中央区大通東３");
    values[4] = values[48] = "x";
    EXPECT_EQ(values, untouched); // no other slot changed

    std::string result = "kept";
    values[4] = sj("宇宙市１");
    PostRead(result, 0, values, dir.path());
    EXPECT_EQ(result, "");
}

TEST(PostRead, WithoutTheFileChangesNothing) {
    test::TempDir dir;
    std::array<std::string, 49> values;
    values[4] = sj("札幌市中央区大通東３");
    std::string result = "kept";
    PostRead(result, 0, values, dir.path());
    EXPECT_EQ(result, "kept");
    EXPECT_EQ(toUtf8(values[4]), "札幌市中央区大通東３");
}

TEST(PostRead, ReadsTheListAgainWhenTheFileChanges) {
    test::TempDir dir;
    const fs::path file = dir.path() / "KEN_ALL.CSV";
    writeFile(file, excerpt());
    const auto first = postalListIn(dir.path());
    EXPECT_EQ(postalListIn(dir.path()), first);

    const std::string bytes = excerpt();
    writeFile(file, bytes.substr(bytes.rfind("\r\n", bytes.size() - 3) + 2));
    const auto second = postalListIn(dir.path());
    EXPECT_NE(second, first);
    EXPECT_EQ(second->areaCount(), 1u);

    fs::remove(file);
    EXPECT_EQ(postalListIn(dir.path()), nullptr);
    // A list copied from Windows under a name in other case.
    writeFile(dir.path() / "ken_all.csv", excerpt());
    ASSERT_NE(postalListIn(dir.path()), nullptr);
    EXPECT_EQ(postalListIn(dir.path())->areaCount(), first->areaCount());
    fs::remove(dir.path() / "ken_all.csv");
    fs::create_directory(file);
    EXPECT_EQ(postalListIn(dir.path()), nullptr);
}

// Addresses built from the list's own lines, in the ways users write them, and
// changed at random; the indexed lookup must answer each exactly like the plain
// reading of the list from the top.
class AddressMaker {
  public:
    explicit AddressMaker(const std::string& bytes) : lines_(linesOf(bytes)) {}

    std::size_t lineCount() const { return lines_.size(); }

    // Several addresses for the line: complete, without prefecture, with another
    // prefecture, and random changes of these.
    std::vector<std::string> addressesFor(std::size_t line) {
        const std::vector<std::string> fields = split(lines_[line]);
        if (fields.size() <= 8)
            return {};
        const std::string rest = fields[7] + areaPart(fields[8]) + blockNumber();
        std::vector<std::string> made = {fields[6] + rest, rest, anyPrefecture() + rest};
        for (int i = 0; i < 3; ++i)
            made.push_back(changed(made[random_() % made.size()]));
        return made;
    }

  private:
    static std::vector<std::string> linesOf(const std::string& bytes) {
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            lines.push_back(bytes.substr(start, end - start));
        return lines;
    }

    static std::vector<std::string> split(const std::string& line) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
             start = comma + 1)
            fields.push_back(unquote(line.substr(start, comma - start)));
        fields.push_back(unquote(line.substr(start)));
        return fields;
    }

    static std::string unquote(std::string field) {
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
            return field.substr(1, field.size() - 2);
        return field;
    }

    // The area as written, or its head with one of the listed entries or a number.
    std::string areaPart(const std::string& area) {
        const std::size_t open = area.find(sj("（"));
        if (open == std::string::npos)
            return random_() % 4 ? area : "";
        std::string listed = area.substr(open + 2);
        std::vector<std::string> entries;
        for (std::size_t pos = 0; pos < listed.size();) {
            std::size_t next = pos;
            while (next < listed.size() && !isSeparator(listed, next))
                next += charLength(listed, next);
            entries.push_back(listed.substr(pos, next - pos));
            pos = next + 2;
        }
        const std::string head = area.substr(0, open);
        if (random_() % 3 == 0)
            return head + fullWidthNumber(1 + random_() % 40);
        return head + entries[random_() % entries.size()];
    }

    static bool isSeparator(const std::string& text, std::size_t pos) {
        for (const char* mark : {"～", "、", "・", "）", "「", "」"})
            if (text.compare(pos, 2, sj(mark)) == 0)
                return true;
        return false;
    }

    std::string blockNumber() {
        switch (random_() % 4) {
        case 0:
            return "";
        case 1:
            return fullWidthNumber(1 + random_() % 30) + sj("丁目") +
                   fullWidthNumber(random_() % 20);
        case 2:
            return fullWidthNumber(random_() % 3000) + sj("－") + fullWidthNumber(random_() % 20);
        default:
            return std::to_string(random_() % 500) + "-" + std::to_string(random_() % 9);
        }
    }

    static std::string fullWidthNumber(unsigned value) {
        std::string digits = std::to_string(value);
        std::string wide;
        for (char digit : digits)
            wide += std::string{'\x82', static_cast<char>(digit - '0' + 0x4F)};
        return wide;
    }

    std::string anyPrefecture() {
        static const char* const prefectures[] = {"北海道", "東京都",   "京都府", "大阪府",
                                                  "広島県", "神奈川県", "沖縄県"};
        return sj(prefectures[random_() % std::size(prefectures)]);
    }

    // Drops, repeats or inserts a character, or cuts the address short.
    std::string changed(std::string address) {
        static const char* const pieces[] = {"県", "都", "（", "～", "１", "5", "ｱ", "市", "区"};
        std::vector<std::size_t> starts;
        for (std::size_t pos = 0; pos < address.size(); pos += charLength(address, pos))
            starts.push_back(pos);
        if (starts.empty())
            return sj(pieces[random_() % 9]);
        const std::size_t at = starts[random_() % starts.size()];
        switch (random_() % 5) {
        case 0:
            return address.erase(at, charLength(address, at));
        case 1:
            return address.insert(at, address.substr(at, charLength(address, at)));
        case 2:
            return address.insert(at, sj(pieces[random_() % 9]));
        case 3:
            return address.substr(0, at);
        default:
            return address + "\x88"; // a lone lead byte
        }
    }

    std::vector<std::string> lines_;
    std::mt19937 random_{7};
};

// Looks up every address in both ways and in both modes; returns how many lookups
// found a code, so that a test can see that its addresses meant something.
int expectSameAnswers(const PostalList& list, const test::PostalReference& reference,
                      const std::vector<std::string>& addresses) {
    int found = 0;
    for (int mode : {0, 1}) {
        const std::vector<PostalAnswer> plain = reference.lookupAll(addresses, mode);
        for (std::size_t a = 0; a < addresses.size(); ++a) {
            const PostalAnswer fast = list.lookup(addresses[a], mode);
            EXPECT_EQ(fast.code, plain[a].code) << toUtf8(addresses[a]) << " mode " << mode;
            EXPECT_EQ(fast.prefectureToAdd, plain[a].prefectureToAdd)
                << toUtf8(addresses[a]) << " mode " << mode;
            found += !fast.code.empty();
        }
    }
    return found;
}

TEST(PostalDifferential, ExcerptAddresses) {
    const test::PostalReference reference(excerpt());
    AddressMaker maker(excerpt());
    std::vector<std::string> addresses;
    for (int round = 0; round < 30; ++round)
        for (std::size_t line = 0; line < maker.lineCount(); ++line)
            for (std::string& address : maker.addressesFor(line))
                addresses.push_back(std::move(address));
    const int found = expectSameAnswers(excerptList(), reference, addresses);
    EXPECT_GT(found, static_cast<int>(addresses.size()) / 2);
}

// Lines spread over the whole list (MIVORA_POSTAL_SAMPLE of them, 60 unless set:
// the plain reading is slow) and the last lines of the file.
TEST(PostalDifferential, RealListAddresses) {
    const fs::path file = fs::path(MIVORA_SHARED_DATA) / "KEN_ALL.CSV";
    if (!fs::exists(file))
        GTEST_SKIP() << "no national list at " << pathText(file);
    const std::string bytes = readBytes(file);
    const PostalList list(bytes);
    const test::PostalReference reference(bytes);
    AddressMaker maker(bytes);
    const std::size_t kLast = 10;
    const char* sample = std::getenv("MIVORA_POSTAL_SAMPLE");
    const std::size_t lines =
        std::clamp<std::size_t>(sample ? std::atoi(sample) : 60, 1, maker.lineCount() - kLast);
    std::vector<std::string> addresses;
    for (std::size_t line = 0; line < maker.lineCount() - kLast; line += maker.lineCount() / lines)
        for (std::string& address : maker.addressesFor(line))
            addresses.push_back(std::move(address));
    for (std::size_t line = maker.lineCount() - kLast; line < maker.lineCount(); ++line)
        for (std::string& address : maker.addressesFor(line))
            addresses.push_back(std::move(address));
    const int found = expectSameAnswers(list, reference, addresses);
    EXPECT_GT(found, static_cast<int>(addresses.size()) / 2);
}

} // namespace
} // namespace mivora
