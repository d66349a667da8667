#include "storetest.h"

#include "store/sortkey.h"

#include <map>

namespace mivora::test {
namespace {

std::string textKey(const std::vector<std::string>& fields) {
    std::string key;
    for (const std::string& field : fields)
        appendTextKey(key, field);
    return key;
}

TEST(SortedRowids, KeysCutShortAreOrderedByTheirWholeKeys) {
    const std::string long48(SortedRowids::kKeptBytes, 'x');
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
    int wholeComparisons = 0;
    auto order = sorted.sorted([&](std::int64_t a, std::int64_t b) {
        ++wholeComparisons;
        return textKey(records.at(a)).compare(textKey(records.at(b)));
    });
    EXPECT_EQ(order, (std::vector<std::int64_t>{7, 6, 5, 3, 2, 4, 1}));
    EXPECT_GT(wholeComparisons, 0);
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
    EXPECT_EQ(sorted.sorted({}), (std::vector<std::int64_t>{2, 5, 1, 7, 4, 0, 3, 6}));
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

INSTANTIATE_ON_BOTH_ENGINES(LongValuesTest);

} // namespace
} // namespace mivora::test
