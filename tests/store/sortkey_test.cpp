#include "storetest.h"

#include "store/sortkey.h"

#include <algorithm>
#include <map>
#include <random>

namespace mivora::test {
namespace {

std::string textKey(const std::vector<std::string>& fields) {
    std::string key;
    for (const std::string& field : fields)
        appendTextKey(key, field);
    return key;
}

TEST(SortedRowids, LongKeysAreOrderedByTheirWholeKeys) {
    const std::string long48(48, 'x');
    // rowid -> fields; the expected order is by the fields, then by row id.
    const std::map<std::int64_t, std::vector<std::string>> records = {
        {1, {long48 + "b"}},              // cut, differs after the kept bytes
        {2, {long48 + "a"}},              // cut
        {3, {long48.substr(0, 46)}},      // ends inside the kept bytes
        {4, {long48 + "a"}},              // equal to 2: by row id
        {5, {"x", std::string("\0", 1)}}, // a zero byte sorts after the end of a field
        {6, {"x", ""}},
        {7, {"x"}},
    };
    SortedRowids sorted;
    for (const auto& [rowid, fields] : records)
        sorted.add(rowid, textKey(fields));
    EXPECT_EQ(sorted.sorted(), (std::vector<std::int64_t>{7, 6, 5, 3, 2, 4, 1}));
}

TEST(SortedRowids, NumbersSortByValueWithEmptyFirst) {
    const std::vector<std::optional<std::int64_t>> numbers = {5, -3,        std::nullopt, 12,
                                                              0, INT64_MIN, INT64_MAX,    -1};
    SortedRowids sorted;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        std::string key;
        appendNumberKey(key, numbers[i]);
        sorted.add(static_cast<std::int64_t>(i), key);
    }
    EXPECT_EQ(sorted.sorted(), (std::vector<std::int64_t>{2, 5, 1, 7, 4, 0, 3, 6}));
}

class LongValuesTest : public EngineTest {};

TEST_P(LongValuesTest, RecordsAlikeInTheirFirstFieldsAreOrderedByLaterOnes) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    const std::string address = sj("北海道札幌市中央区大通西１０丁目１１番地");
    for (const char* plate : {"3", "1", "2"}) {
        table.append();
        table.setText(sj("使用者ふりがな"), sj("ﾔﾏﾀﾞ ﾀﾛｳ"));
        table.setText(sj("使用者"), sj("山田　太郎"));
        table.setText(sj("使用者住所"), address);
        table.setText(sj("自動車登録番号"), plate);
        table.post();
    }
    table.close();
    table.open(); // sorted anew
    std::string plates;
    for (table.first(); !table.eof(); table.next())
        plates += table.text(sj("自動車登録番号"));
    EXPECT_EQ(plates, "123");
}

// One user's fleet: every record ties on the first four fields, many on all
// fourteen, and the later values differ in Shift-JIS order from their UTF-8 order.
TEST_P(LongValuesTest, ManyRecordsTiedOnTheFirstFieldsFollowAPlainSort) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    const std::vector<std::string> first = {sj("ﾔﾏﾀﾞ ﾀﾛｳ"), "03-1234-5678", sj("山田　太郎"),
                                            sj("北海道札幌市中央区大通西１０丁目１１番地")};
    const std::vector<std::string> later = {"",      "10",     "9",      "A",     "a",
                                            sj("ｱ"), sj("ｱｲ"), sj("あ"), sj("亜")};
    const std::vector<std::string>& fields = vehicleOrderFields();
    std::mt19937 random(7);
    std::vector<std::vector<std::string>> records;
    table.transaction([&] {
        for (int i = 0; i < 400; ++i) {
            std::vector<std::string> values = first;
            table.append();
            for (std::size_t field = 0; field < fields.size(); ++field) {
                if (field >= first.size())
                    values.push_back(later[random() % (field < 6   ? later.size()
                                                       : field < 8 ? 2
                                                                   : 1)]);
                table.setText(sj(fields[field]), values[field]);
            }
            table.setText(sj("備考"), std::to_string(i));
            table.post();
            records.push_back(values);
        }
    });
    std::vector<std::string> expected, found;
    for (std::size_t i = 0; i < records.size(); ++i)
        expected.push_back(std::to_string(i));
    std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
        return records[std::stoul(a)] < records[std::stoul(b)];
    });
    table.close();
    table.open();
    for (table.first(); !table.eof(); table.next())
        found.push_back(table.text(sj("備考")));
    EXPECT_EQ(found, expected);
}

INSTANTIATE_ON_BOTH_ENGINES(LongValuesTest);

} // namespace
} // namespace mivora::test
