// The modifiers of item texts, their reading order, and the items the resolver
// answers itself (circle marks, 12-month inspection dates).

#include "resolvertest.h"

namespace mivora::test {
namespace {

TEST_F(ResolverTest, SuffixMarkersWorkOnlyInTheirReadingOrder) {
    expectItems({
        // "_" after "~" is cut off with it; before "~" it spaces the full-width text.
        {"車名~_2", {{"車名", "abc"}}, "ａｂｃ"},
        {"車名_2~", {}, "ａ  ｂ  ｃ  "},
        // "%" before "$" counts; after it, it is cut off by "$".
        {"車両重量%2$10", {{"車両重量", "1234"}}, "  1,234.00"},
        {"車両重量$10%2", {}, "     1,234"},
        // "_" and "$" either way round.
        {"車両重量_1$6", {}, "  1 , 2 3 4 "},
        {"車両重量$6_1", {}, "  1 , 2 3 4 "},
        // "&" counts wherever it stands, "~" too.
        {"車両重量&2,3", {}, "234"},
        {"車両重量~&2,3", {}, "２３４"},
        {"車両重量&2,3~", {}, "２３４"},
        {"車名~$8", {}, "ａｂｃ"},
        // "&" without its comma is no marker: the name is no field.
        {"車両重量&2", {}, "車両重量&2"},
    });
}

TEST_F(ResolverTest, RightAlignmentSeparatesThousands) {
    expectItems({
        {"車両重量$8", {{"車両重量", "1234567"}}, "1,234,567"},
        {"車両重量$8", {{"車両重量", "1234"}}, "   1,234"},
        {"車両重量$8", {{"車両重量", "123"}}, "     123"},
        {"車両重量$8", {{"車両重量", "0"}}, ""},
        {"車両重量$8", {{"車両重量", ""}}, ""},
        {"車両重量$12", {{"車両重量", "-1234567"}}, "  -1,234,567"},
        {"車両重量$8", {{"車両重量", "1234.5"}}, " 1,234.5"},
        {"車両重量$8", {{"車両重量", "1234円"}}, " 1,234円"},
        {"使用者$10", {{"使用者", "１２３４"}}, "  １２３４"},
        {"車両重量%2$10", {{"車両重量", "1234567.5"}}, "1,234,567.50"},
        {"車両重量%2$10", {{"車両重量", "1234.567"}}, " 1,234.567"},
    });
}

TEST_F(ResolverTest, PrintingLeavesTheAlignmentBlanksToThePrinter) {
    setVehicle({{"車両重量", "1234"}});
    const ResolvedItem item = resolveItem("車両重量$8", 1, ResolveMode::Print);
    EXPECT_EQ(item.text, "1,234");
    EXPECT_EQ(item.missingPositions, 3);
    setVehicle({{"車両重量", "1234567"}});
    EXPECT_EQ(resolveItem("車両重量$8", 1, ResolveMode::Print).missingPositions, -1);
}

TEST_F(ResolverTest, DecimalsPadToTheirCount) {
    expectItems({
        {"車両重量%2", {{"車両重量", "12"}}, "12.00"},
        {"車両重量%2", {{"車両重量", "12.5"}}, "12.50"},
        {"車両重量%2", {{"車両重量", "12.345"}}, "12.345"},
        {"車両重量%2", {{"車両重量", "0"}}, ""},
        {"車両重量%2", {{"車両重量", ""}}, ""},
        {"車両重量%-2", {{"車両重量", "12"}}, "12   "},
        {"車両重量%-2", {{"車両重量", "12.5"}}, "12.5 "},
    });
    // a huge count is a typing error, not a reason to fill memory
    setVehicle({{"車両重量", "1"}});
    EXPECT_EQ(resolve("車両重量%99999999"), "1." + std::string(255, '0'));
    EXPECT_EQ(resolve("車両重量$99999999").size(), 255u);
}

TEST_F(ResolverTest, SplitPrintsLongValuesOnTwoLines) {
    const char* longAddress = "東京都千代田区霞が関二丁目１番３号　中央合同庁舎第２号館";
    const char* shortAddress = "大阪府大阪市北区　梅田１";
    expectItems({
        {"^使用者住所,　,前,36",
         {{"使用者住所", longAddress}},
         "東京都千代田区霞が関二丁目１番３号"},
        {"^使用者住所,　,後,36", {}, "中央合同庁舎第２号館"},
        {"^使用者住所,　", {}, longAddress},
        {"^使用者住所", {}, longAddress},
        {"^使用者住所,　,前,36", {{"使用者住所", shortAddress}}, shortAddress},
        {"^使用者住所,　,後,36", {}, ""},
        {"^使用者住所,　,後", {}, "梅田１"},
        // the honorific goes with the part after the split, or with the unsplit value
        {"^使用者,　,後,0様", {{"使用者", "山田　太郎"}}, "太郎様"},
        {"^使用者,　,前,0様", {}, "山田"},
        {"^使用者,　,前,0様", {{"使用者", "ヤマダ"}}, "ヤマダ様"},
        {"^使用者,　,後,0様", {}, ""},
    });
}

TEST_F(ResolverTest, HonorificsFollowTheValue) {
    expectItems({
        {"使用者様", {{"使用者", "山田　太郎"}}, "山田　太郎様"},
        {"使用者　殿", {}, "山田　太郎　殿"},
        {"使用者殿", {}, "山田　太郎殿"},
        {"使用者様_1", {{"使用者", "AB"}}, "A B 様 "},
    });
}

TEST_F(ResolverTest, CircleMarksLandOnTheWordOfTheChoice) {
    expectItems({
        {"用途○印", {{"用途", "貨物"}}, "○"},
        {"用途○印", {{"用途", "乗用"}}, "  ○"},
        {"用途○印", {{"用途", "特種"}}, "    ○"},
        {"用途○印", {{"用途", "貨物車"}}, "○"}, // only the first two characters count
        {"用途○印", {{"用途", "乗合"}}, ""},
        {"用途○印", {{"用途", ""}}, ""},
        {"自家用事業用の別○印", {{"自家用事業用の別", "自家用"}}, "○"},
        {"自家用事業用の別○印", {{"自家用事業用の別", "事業用"}}, "  ○"},
        {"自家用事業用の別○印", {{"自家用事業用の別", "自家用車"}}, ""}, // the whole text counts
    });
    setLayout({{"用途○印", "3"}, {"自家用事業用の別○印", "1"}});
    expectItems({
        {"用途○印", {{"用途", "特種"}}, "          ○"},
        {"自家用事業用の別○印", {{"自家用事業用の別", "事業用"}}, "   ○"},
    });
    setTyped(7, "乗用");
    EXPECT_EQ(resolve("?用途○印", 7), "     ○");
    setTyped(8, "事業用");
    EXPECT_EQ(resolve("?自家用事業用の別○印", 8), "   ○");
}

TEST_F(ResolverTest, ConversionsTestContainmentOrZero) {
    expectItems({
        {"#用途=貨物<○/×", {{"用途", "貨物"}}, "○"},
        {"#用途=貨物<○/×", {{"用途", "小型貨物"}}, "○"},
        {"#用途=貨物<○/×", {{"用途", "乗用"}}, "×"},
        {"#用途\\貨物<○/×", {{"用途", "貨物"}}, "×"},
        {"#用途\\貨物<○/×", {{"用途", "乗用"}}, "○"},
        {"#用途=貨物<○", {{"用途", "乗用"}}, ""},
        {"#最大積載量=0</最大積載量", {{"最大積載量", "0"}}, ""},
        {"#最大積載量=0</最大積載量", {{"最大積載量", ""}}, ""},
        {"#最大積載量=0</最大積載量", {{"最大積載量", "350"}}, "350"},
        {"#最大積載量\\0<有/無", {{"最大積載量", "350"}}, "有"},
        {"#最大積載量\\0<有/無", {{"最大積載量", "0"}}, "無"},
        // the check content may itself be an item
        {"#使用者=所有者<同上/所有者", {{"使用者", "山田"}, {"所有者", "山田"}}, "同上"},
        {"#使用者=所有者<同上/所有者", {{"所有者", "鈴木"}}, "鈴木"},
        // an empty check content matches only an empty value
        {"#備考=<なし/あり", {{"備考", ""}}, "なし"},
        {"#備考=<なし/あり", {{"備考", "型式指定車"}}, "あり"},
        // the selected text is an item text of its own
        {"#用途=乗用<車名/用途", {{"用途", "乗用"}, {"車名", "トヨタ"}}, "トヨタ"},
        {"#用途=乗用<使用者様", {{"使用者", "山田　太郎"}}, "山田　太郎様"},
        {"#用途=乗用<用途○印", {}, "  ○"},
        // without "<" it is a name
        {"#用途=乗用", {}, "#用途=乗用"},
    });
}

TEST_F(ResolverTest, ConversionsCompareDatesBeforeBlanking) {
    setLayout({{"日付の表示", "False"}});
    expectItems({{"#登録年月日=令和<新/旧", {{"登録年月日", "令和０３年０３月３１日"}}, "新"}});
}

// The second byte of ソ is "\", of ダ "_", of ミ "~": none of them is a marker.
TEST_F(ResolverTest, MarkersAreNeverTheSecondByteOfACharacter) {
    expectItems({
        {"#車名=ソニー<○/×", {{"車名", "ソニー"}}, "○"},
        {"#車名=ダイハツ<○/×", {{"車名", "ダイハツ"}}, "○"},
        {"@ダイハツ", {}, "ダイハツ"},
        {"@ミカン", {}, "ミカン"},
    });
}

TEST_F(ResolverTest, SubstringKeepsWholeCharacters) {
    expectItems({
        {"@ソニー&3,4", {}, "ニー"},
        {"@ソニー&3,3", {}, "ニ"},
        {"@ソニー&2,4", {}, "ニ"},
        {"@ソニー&2,2", {}, ""},
        {"@ABCD&0,2", {}, "ABCD"},
        {"@ABCD&-1,2", {}, "AB"},
        {"@ABCD&3,9", {}, "CD"},
        {"@ABCD&5,1", {}, ""},
        {"@ABCD&2,-1", {}, ""},
    });
}

TEST_F(ResolverTest, ConfirmationIsAskedOnlyWhenPrinting) {
    setVehicle({{"使用者", "山田　太郎"}});
    EXPECT_EQ(resolve("!使用者"), "山田　太郎");
    EXPECT_TRUE(prompter_.questions.empty());

    prompter_.answers = {false, true};
    EXPECT_EQ(resolve("!使用者", 1, ResolveMode::Print), "");
    EXPECT_EQ(resolve("!使用者", 1, ResolveMode::Print), "山田　太郎");
    ASSERT_EQ(prompter_.questions.size(), 2u);
    EXPECT_EQ(prompter_.questions[0], "項目名：使用者の山田　太郎は印刷しますか？");

    setVehicle({{"使用者", ""}});
    EXPECT_EQ(resolve("!使用者", 1, ResolveMode::Print), "");
    EXPECT_EQ(prompter_.questions.size(), 2u); // nothing to print, nothing to ask
}

TEST_F(ResolverTest, WithoutAPrompterConfirmedSlotsAreLeftOut) {
    setVehicle({{"使用者", "山田"}});
    ItemResolver unattended(session_, nullptr, [this] { return today_; });
    EXPECT_EQ(unattended.MenuTextCheck(sj("!使用者"), 1, ResolveMode::Print).text, "");
    EXPECT_EQ(unattended.MenuTextCheck(sj("!使用者"), 1, ResolveMode::Preview).text, sj("山田"));
}

TEST_F(ResolverTest, LConversionPrintsTheDigitOneAsALetter) {
    expectItems({
        {"登録番号一連Ｌ変", {{"自動車登録番号", "品川５００あ１２３１"}}, "ｌ２３ｌ"},
        {"登録番号一連半角Ｌ変", {}, "l23l"},
        {"車台番号下７桁Ｌ変", {{"車台番号", "ABC-1234511"}}, "l2345ll"},
    });
}

struct InspectionCase {
    const char* expiry;
    const char* oneYear;
    const char* twoYears;
};

TEST_F(ResolverTest, InspectionDatesComeBeforeTheExpiry) {
    const InspectionCase cases[] = {
        {"令和０８年０３月３０日", "令和０７年０３月３０日", "令和０６年０３月３０日"},
        // 29 February falls on 28 February in a common year
        {"令和１０年０２月２９日", "令和０９年０２月２８日", "令和０８年０２月２８日"},
        {"平成２４年０２月２９日", "平成２３年０２月２８日", "平成２２年０２月２８日"},
        {"令和０２年０３月３１日", "平成３１年０３月３１日", "平成３０年０３月３１日"},
        // parts missing from the expiry date are today's
        {"令和０８年", "令和０７年１２月０７日", "令和０６年１２月０７日"},
        // no expiry date, no inspection date
        {"", "", ""},
    };
    for (const InspectionCase& c : cases) {
        setVehicle({{"有効期間の満了する日", c.expiry}});
        EXPECT_EQ(resolve("１２ヶ月点検日"), c.oneYear) << c.expiry;
        EXPECT_EQ(resolve("１２ヶ月点検日（２年前）"), c.twoYears) << c.expiry;
    }
}

TEST_F(ResolverTest, InspectionDatesFollowTheDateDisplay) {
    setLayout({{"日付の表示", "False"}});
    setVehicle({{"有効期間の満了する日", "令和０８年０３月３０日"}});
    const ResolvedItem item = resolveItem("１２ヶ月点検日");
    EXPECT_EQ(item.text, "　　 7   3  30  ");
    EXPECT_TRUE(item.spacedDate);
}

TEST_F(ResolverTest, NamesWithoutARulePrintAsWritten) {
    expectItems({
        {"", {}, ""},
        {"車台番号特別", {}, "車台番号特別"},
        {"区分乗用", {}, "区分乗用"},
        {"55", {}, "55"},
    });
}

} // namespace
} // namespace mivora::test
