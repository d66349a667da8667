// Item names: fields and their pieces, dates, hand-written items, arithmetic and
// literals, and the layout's date display rule.

#include "resolvertest.h"

namespace mivora::test {
namespace {

TEST_F(ResolverTest, RegistrationNumberPieces) {
    expectItems({
        {"登録番号", {{"自動車登録番号", "品川５００あ１２３４"}}, "５００あ１２３４"},
        {"登録番号陸運支局", {}, "品川"},
        {"登録番号分類", {}, "５００"},
        {"登録番号分類半角", {}, "500"},
        {"登録番号文字", {}, "あ"},
        {"登録番号一連", {}, "１２３４"},
        {"登録番号一連半角", {}, "1234"},
        {"登録番号文字", {{"自動車登録番号", "京都４００ふ　２３４"}}, "ふ　"},
        {"登録番号一連", {}, "２３４"},
        {"登録番号陸運支局", {{"自動車登録番号", "堺５００さ１"}}, "堺"},
        // pieces that cannot be told apart leave the number whole
        {"登録番号分類", {{"自動車登録番号", "品川５００"}}, "品川５００"},
        {"登録番号", {}, "５００"},
        {"登録番号文字", {{"自動車登録番号", "品川５００あ"}}, "品川５００あ"},
        {"登録番号分類", {}, "５００"},
        {"登録番号陸運支局", {{"自動車登録番号", "品川"}}, "品川"},
        {"登録番号一連", {{"自動車登録番号", ""}}, ""},
    });
}

TEST_F(ResolverTest, ChassisNumberTails) {
    expectItems({
        {"車台番号下７桁", {{"車台番号", "ＡＢＣ１２３－４５６７８９０"}}, "４５６７８９０"},
        {"車台番号下７桁半角", {}, "4567890"},
        {"車台番号半角", {}, "ABC123-4567890"},
        {"車台番号下７桁", {{"車台番号", "KDY231-8012345"}}, "8012345"},
        {"車台番号下７桁", {{"車台番号", " ZN8-012345　　"}}, " 012345"},
        {"車台番号下７桁", {{"車台番号", "ＺＮ８－０１２３４５"}}, "　０１２３４５"},
        {"車台番号下７桁", {{"車台番号", "JTDKB20U123456789"}}, "KB20U123456789"},
        // the hyphen marks of the boxes: every second byte of the half-width tail
        {"#車台番号下７桁=－", {{"車台番号", "KDY231-8012345"}}, "　　　"},
        {"#車台番号下７桁=－", {{"車台番号", "ABC-12X4567"}}, "　－　"},
        {"#車台番号下７桁=-", {}, " - "},
    });
}

TEST_F(ResolverTest, CutItems) {
    const char* address = "東京都千代田区霞が関二丁目１番３号中央合同庁舎第２号館";
    expectItems({
        {"使用者住所１８文字", {{"使用者住所", address}}, "東京都千代田区霞が関二丁目１番３号中"},
        {"使用者住所都道府県無", {}, "千代田区霞が関二丁目１番３号中央合同庁舎第２号館"},
        {"使用者住所１８文字都道府県無", {}, "千代田区霞が関二丁目１番３号中央合同"},
        {"所有者住所都道府県無", {{"所有者住所", "京都府京都市中京区"}}, "京都市中京区"},
        {"所有者住所都道府県無", {{"所有者住所", "神奈川県横浜市"}}, "横浜市"},
        {"使用の本拠の位置都道府県無", {{"使用の本拠の位置", "北海道札幌市"}}, "札幌市"},
        {"初度登録年", {{"初度登録年月", "平成２７年０３月"}}, "平成２７年"},
        {"車名４文字", {{"車名", "トヨタ　カローラ"}}, "ﾄﾖﾀ"},
        {"車名４文字", {{"車名", "MAZDA CX-5"}}, "MAZDA"},
        {"車名半角", {{"車名", "トヨタ"}}, "ﾄﾖﾀ"},
        {"定員", {{"定員", ""}}, ""},
        {"定員", {{"定員", "５"}}, "(5)"},
        {"積載量", {{"積載量", "350"}}, "(350)"},
        {"型式", {{"型式", "ＬＤＦ－ＫＤＹ２３１"}}, "LDF-KDY231"},
        {"燃料の種類", {{"燃料の種類", "ガソリン"}}, "ｶﾞｿﾘﾝ"},
        {"使用者", {{"使用者", "ＡＢＣ"}}, "ＡＢＣ"},
    });
}

struct DateCase {
    CivilDate today;
    const char* item;
    const char* expected;
};

TEST_F(ResolverTest, DateItems) {
    const DateCase cases[] = {
        {{2026, 12, 7}, "今日", "令和０８年１２月０７日"},
        {{2026, 12, 7}, "明日", "令和０８年１２月０８日"},
        {{2026, 12, 7}, "弥明後日", "令和０８年１２月１１日"},
        {{2026, 12, 30}, "明後日", "令和０９年０１月０１日"},
        {{2019, 4, 30}, "明日", "令和０１年０５月０１日"},
        {{2026, 12, 7}, "今月１５日", "令和０８年１２月１５日"},
        {{2026, 12, 7}, "今月15日", "令和０８年１２月１５日"},
        {{2026, 12, 7}, "先月末日", "令和０８年１１月３０日"},
        {{2027, 1, 15}, "先月末日", "令和０８年１２月３１日"},
        {{2026, 2, 10}, "今月末日", "令和０８年０２月２８日"},
        // the last day of February in a leap year is the 29th
        {{2024, 2, 10}, "今月末日", "令和０６年０２月２９日"},
        {{2024, 3, 10}, "先月末日", "令和０６年０２月２９日"},
        {{2026, 4, 10}, "今月３１日", "令和０８年０４月３０日"},
        // no day, no date: the name prints
        {{2026, 4, 10}, "今月", "今月"},
        {{2026, 4, 10}, "今月０日", "今月０日"},
    };
    for (const DateCase& c : cases) {
        today_ = c.today;
        EXPECT_EQ(resolve(c.item), c.expected) << c.item;
    }
}

TEST_F(ResolverTest, DateBlankingLeavesTheNumbers) {
    setLayout({{"日付の表示", "False"}});
    expectItems({
        {"今日", {}, "　　 8  12   7  "},
        {"登録年月日", {{"登録年月日", "平成３０年１０月１０日"}}, "　　30  10  10  "},
        {"初度登録年月", {{"初度登録年月", "昭和６２年０３月"}}, "　　62   3  "},
        // no number before the last of 年月日: no date
        {"車名", {{"車名", "日産"}}, "日産"},
        {"所有者住所", {{"所有者住所", "東京都中央区月島"}}, "東京都中央区月島"},
        {"@令和０８年", {}, "令和０８年"},
    });
    EXPECT_TRUE(resolveItem("今日").spacedDate);
    EXPECT_FALSE(resolveItem("車名").spacedDate);

    setLayout({{"日付の幅", "2"}});
    EXPECT_EQ(resolve("今日"), "　　 8    12     7    ");
    setLayout({{"日付の表示", "True"}});
    EXPECT_EQ(resolve("今日"), "令和０８年１２月０７日");
    EXPECT_FALSE(resolveItem("今日").spacedDate);
}

TEST_F(ResolverTest, HandWrittenItemsReadTheirSlotOfTheInputRecord) {
    setTyped(5, "１２３");
    setTyped(6, "+12000");
    setTyped(7, "品川５００あ１２３４");
    EXPECT_EQ(resolve("?受付番号", 5), "１２３");
    EXPECT_EQ(resolve("?受付番号", 4), "");
    EXPECT_EQ(resolve("?金額", 6), "         12000");
    EXPECT_EQ(resolve("?登録番号分類", 7), "５００");
    EXPECT_EQ(resolve("?受付番号", 61), "?受付番号");
}

TEST_F(ResolverTest, ArithmeticOnTheFirstLayout) {
    setVehicle({{"最大積載量", "1250"}, {"車両重量", "１８９０"}, {"車両総重量", "3305"}});
    expectItems({
        {"車両総重量-車両重量", {}, "1415"},
        {"最大積載量*2+55", {}, "2555"},
        {"55+最大積載量*2", {}, "2555"},
        {"10-2-3", {}, "5"},
        {"100/7*7", {}, "98"},
        {"-7/2", {}, "-7/2"},
        {"7/-2", {}, "7/-2"},
        {"車両重量+", {}, "車両重量+"},
        {"車両重量/0", {}, ""},
        {"車両重量/積載量", {}, ""},
        {"2147483647+1", {}, ""},
        {"2147483647+0", {}, "2147483647"},
        {"@2024-01", {}, "2023"},
        {"@使用者", {}, "使用者"},
    });
}

// On the later layouts the preset free content of the slot decides.
TEST_F(ResolverTest, ArithmeticOnLaterLayoutsFollowsThePreset) {
    setVehicle({{"車両重量", "1890"}, {"車両総重量", "3305"}});
    useLayout(2);
    setPreset(2, 3, "+");
    EXPECT_EQ(resolve("車両総重量-車両重量", 3), "1415");
    EXPECT_EQ(resolve("車両総重量-車両重量", 4), "車両総重量-車両重量");
    EXPECT_EQ(resolve("@2024-01", 4), "2024-01");
    EXPECT_EQ(session_.freeData.recNo(), 1);
}

} // namespace
} // namespace mivora::test
