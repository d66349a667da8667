// Print data preparation on real tables: the presets of a layout turned into the
// texts of its slots for a vehicle, with the fees, the postal lookup on an excerpt
// of the postal list, and the questions answered from a script.

#include "feetest.h"
#include "items/postal.h"
#include "print/expense.h"
#include "print/printdata.h"
#include "printtest.h"

#include <filesystem>

namespace mivora::test {
namespace {

using Presets = std::vector<std::pair<int, const char*>>; // slot, UTF-8 text

class PrintDataTest : public FeeTest {
  protected:
    explicit PrintDataTest(Engine engine = Engine::Sqlite) : FeeTest(engine) {
        Session& s = session();
        for (int n = 1; n <= 3; ++n) {
            s.layouts.append();
            s.layouts.setText(sj("印刷名"), sj("レイアウト") + std::to_string(n));
            s.layouts.post();
        }
        for (int n = 1; n <= 2; ++n) {
            s.freeData.append();
            s.freeData.post();
        }
        s.layouts.setRecNo(2);
        s.freeData.first();
        addVehicle({});
        s.vehicles.first();
    }

    void setPresets(int record, const Presets& presets) {
        Table& free = session().freeData;
        free.setRecNo(record);
        for (const auto& [slot, text] : presets)
            free.setText(sj("項目") + std::to_string(slot), fromUtf8(text));
        free.post();
        free.setRecNo(1);
    }

    void setSlot(int slot, const char* text) {
        session().layouts.setText(sj("項目") + std::to_string(slot), fromUtf8(text));
        session().layouts.post();
    }

    // What slot N prints for the prepared record.
    std::string slot(int n) { return toUtf8(itemToPrint(session(), n)); }

    // A run of one record as the print run makes it; true when cancelled.
    bool prepareOnce(bool ask = false) {
        PrintDataPreparation preparation(session(), person_);
        preparation.resetRun();
        preparation.check(ask);
        return preparation.prepare();
    }

    std::string amount(long long value) { return toUtf8(amountText(value)); }
};

TEST_F(PrintDataTest, TypedAmountsPrintInTheAmountBoxesAndMakeTheSubtotal) {
    setPresets(1, {{5, "+500"}});
    setPresets(2, {{1, "+12000"},
                   {2, "小　　　計金額"},
                   {3, "小計小　　　計金額円"},
                   {4, "-300"},
                   {5, "?立替金"}});
    EXPECT_FALSE(prepareOnce());
    EXPECT_EQ(state().plusTotal, 12500);
    EXPECT_EQ(state().minusTotal, 300);
    EXPECT_EQ(slot(1), "    １２０００");
    EXPECT_EQ(slot(2), "    １２５００");
    EXPECT_EQ(slot(3), "小計    １２５００円");
    EXPECT_EQ(slot(4), "-300");
    EXPECT_EQ(slot(5), "?立替金");
    // Typed amounts alone need no fees.
    EXPECT_FALSE(state().feesNeeded);
    EXPECT_EQ(session().freeData.recNo(), 1);
}

TEST_F(PrintDataTest, AnAmountKeywordIsReplacedWhereItStands) {
    setPresets(2, {{1, "保険料自　賠　責金額円"},
                   {2, "重　量　税金額と自　賠　責金額"},
                   {3, "合計：合　　　計金額"},
                   {4, "諸費用無合計"}});
    EXPECT_FALSE(prepareOnce());
    const std::string premium = toUtf8(state().cell(AmountCell::Premium));
    EXPECT_EQ(premium, amount(premiumOf(1, 3)));
    EXPECT_EQ(slot(1), "保険料" + premium + "円");
    // The first keyword in the order of the cells wins, wherever it stands.
    EXPECT_EQ(slot(2), "重　量　税金額と" + premium);
    EXPECT_EQ(slot(3), "合計：" + toUtf8(state().cell(AmountCell::Total)));
    EXPECT_EQ(slot(4), toUtf8(state().cell(AmountCell::TotalWithoutOtherCosts)));
}

TEST_F(PrintDataTest, PrivateAndCommercialMarksFollowTheRecord) {
    setPresets(2, {{1, "別自家用"}, {2, "別事業用"}});
    const std::pair<const char*, std::pair<const char*, const char*>> cases[] = {
        {"自家用", {"∨", ""}}, {"事業用", {"", "∨"}}, {"", {"", ""}}};
    for (const auto& [use, marks] : cases) {
        SCOPED_TRACE(use);
        setSlot(1, "前のテキスト");
        setSlot(2, "前のテキスト");
        session().vehicles.setText(sj("自家用事業用の別"), fromUtf8(use));
        session().vehicles.post();
        EXPECT_FALSE(prepareOnce());
        EXPECT_EQ(slot(1), marks.first);
        EXPECT_EQ(slot(2), marks.second);
    }
}

TEST_F(PrintDataTest, PremiumAndPlateTextsVanishWhenTheRecordHasNone) {
    setPresets(2, {{1, "自賠責保険料"},
                   {2, "自　賠　責金額"},
                   {3, "仮ナンバー代"},
                   {4, "仮ナンバー金額"},
                   {5, "自賠責は別途"}});
    // Batch questions in slot order (insurance: yes; plate: no), then the record's.
    person_.answers = {true, false, true};
    EXPECT_FALSE(prepareOnce(true));
    EXPECT_EQ(person_.questions,
              (std::vector<std::string>{
                  "自賠責保険は持ち込みの方はいますか？", "仮ナンバー代を付ける方はいますか？",
                  "山田　太郎        様\n品川５００あ１２３４の\n自賠責保険は持ち込みですか？"}));
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(slot(n), "") << n;

    person_.questions.clear();
    person_.answers = {false, true, true};
    EXPECT_FALSE(prepareOnce(true));
    ASSERT_EQ(person_.questions.size(), 3u);
    EXPECT_EQ(slot(1), "自賠責保険料");
    EXPECT_EQ(slot(2), amount(premiumOf(1, 3)));
    EXPECT_EQ(slot(3), "仮ナンバー代");
    EXPECT_EQ(slot(4), "        ７５０");
}

TEST_F(PrintDataTest, ThePostalCodeIsLookedUpOncePerRecord) {
    std::filesystem::copy_file(MIVORA_TEST_DATA "/ken_all_excerpt.csv",
                               dir_.path() / "KEN_ALL.CSV");
    setPresets(2, {{1, "郵便番号"}, {2, "郵便番号様方"}});
    const std::pair<const char*, const char*> cases[] = {
        {"北海道札幌市中央区旭ケ丘５丁目", "０６４０９４１"},
        {"札幌市中央区旭ケ丘５丁目", "０６４０９４１"}, // a prefecture added, not printed
        {"火星市", ""},                                 // no code: looked up at each slot
    };
    for (const auto& [address, code] : cases) {
        SCOPED_TRACE(address);
        session().vehicles.setText(sj("使用者住所"), fromUtf8(address));
        session().vehicles.post();
        PrintDataPreparation preparation(session(), person_);
        int lookups = 0;
        preparation.postRead = [&](std::string& found, int mode,
                                   std::array<std::string, 49>& values) {
            ++lookups;
            PostRead(found, mode, values, dir_.path());
        };
        preparation.check(false);
        EXPECT_FALSE(preparation.prepare());
        EXPECT_EQ(slot(1), code);
        EXPECT_EQ(slot(2), std::string(code) + "様方");
        EXPECT_EQ(lookups, *code ? 1 : 2);
    }
}

TEST_F(PrintDataTest, TheDateChoiceIsAskedForEveryRecord) {
    setPresets(2, {{1, "日付選択"}});
    person_.dates = {"なし", "明日"};
    EXPECT_FALSE(prepareOnce());
    EXPECT_EQ(slot(1), "");
    EXPECT_FALSE(prepareOnce());
    EXPECT_EQ(slot(1), "明日");
    EXPECT_EQ(person_.dateQuestions, 2);
}

TEST_F(PrintDataTest, CompanyTextsComeFromTheSettings) {
    session().settings.companyTexts = {sj("港区芝公園"), sj("みどり自動車"), "", "", "", "",
                                       sj("第７行")};
    setPresets(2, {{1, "自社名"}, {2, "自住所"}, {3, "自社情報追加３"}, {4, "自社名付"}});
    EXPECT_FALSE(prepareOnce());
    EXPECT_EQ(slot(1), "みどり自動車");
    EXPECT_EQ(slot(2), "港区芝公園");
    EXPECT_EQ(slot(3), "第７行");
    EXPECT_EQ(slot(4), "");
}

TEST_F(PrintDataTest, OnlyAmountAndClassMarkKeywordsStartTheFeeCalculation) {
    // A vehicle that cannot be priced tells whether the calculation ran.
    session().vehicles.setText(sj("自動車の種別"), sj("不明"));
    session().vehicles.post();
    const std::pair<const char*, bool> cases[] = {
        {"自社名", false},           {"+100", false},
        {"自賠責保険", false},       {"小　　　計金額", false},
        {"区分乗用ではない", false}, {"別自家用", false},
        {"重　量　税金額", true},    {"検査印紙　金額", true},
        {"諸　費　用金額", true},    {"諸費用無合計", true},
        {"合　　　計金額", true},    {"自　賠　責金額", true},
        {"仮ナンバー金額", true},    {"区分乗用", true},
        {"区分総重量大", true},
    };
    for (const auto& [preset, fees] : cases) {
        SCOPED_TRACE(preset);
        setPresets(2, {{1, preset}});
        person_.errors.clear();
        EXPECT_EQ(prepareOnce(), fees);
        EXPECT_EQ(state().feesNeeded, fees);
        EXPECT_EQ(person_.errors.size(), fees ? 1u : 0u);
    }
}

TEST_F(PrintDataTest, ACancelledRecordStillGetsItsSlotsWritten) {
    session().vehicles.setText(sj("用途"), sj("不明"));
    session().vehicles.post();
    setPresets(2, {{1, "合　　　計金額"}, {2, "自社名"}});
    session().settings.companyTexts[1] = sj("みどり自動車");
    EXPECT_TRUE(prepareOnce());
    EXPECT_EQ(slot(2), "みどり自動車");
    EXPECT_EQ(session().freeData.recNo(), 1);
}

// Two PCs on one data folder or server.
class SharedPrintDataTest : public PrintDataTest, public ::testing::WithParamInterface<Engine> {
  protected:
    SharedPrintDataTest() : PrintDataTest(GetParam()) {}
};

INSTANTIATE_ON_BOTH_ENGINES(SharedPrintDataTest);

// Another PC prints or edits the same layout before and after this PC prepares
// its vehicle: the preparation is not refused, its texts are its own vehicle's,
// and the other PC's edit is not refused either.
TEST_P(SharedPrintDataTest, PreparationLeavesTheSharedLayoutToTheOtherPc) {
    setPresets(2, {{1, "合　　　計金額"}, {2, "自社名"}});
    session().settings.companyTexts[1] = sj("みどり自動車");
    Table otherPc(tablePath(dir_.path() / "CARDATA", layoutTable()));
    otherPc.open();
    // The other PC writes the layout before a preparation, and between a
    // preparation and its page (its own print, in the way prints were once made).
    for (const char* otherText : {"他の車両の金額", "他の端末の編集"}) {
        otherPc.refresh();
        otherPc.setRecNo(2);
        otherPc.setText(sj("項目1"), fromUtf8(otherText));
        otherPc.post();
        EXPECT_FALSE(prepareOnce());
        otherPc.refresh();
        otherPc.setRecNo(2);
        otherPc.setText(sj("項目1"), fromUtf8(otherText));
        otherPc.setText(sj("項目2"), fromUtf8(otherText));
        otherPc.post();
        EXPECT_EQ(slot(1), toUtf8(state().cell(AmountCell::Total)));
        EXPECT_EQ(slot(2), "みどり自動車");
    }
    otherPc.setText(sj("印刷名"), sj("あちらの名前"));
    otherPc.post();
}

// Both PCs confirm the print contents at once, the other PC printing while this
// one's window is open: each page prints the answers typed for it, neither print
// is refused, and the input record keeps the later answers for the next print.
TEST_P(SharedPrintDataTest, TwoPcsConfirmingAtOnceEachPrintTheirOwnAnswers) {
    setSlot(1, "?担当者");
    Session otherPc(session().settings, dir_.path() / "CARDATA");
    otherPc.openMainTables();
    otherPc.openDesignerTables();
    otherPc.layouts.setRecNo(2);
    ScriptedHost here;
    ScriptedHost there;
    here.typed = {{1, "佐藤"}};
    there.typed = {{1, "鈴木"}};
    here.onConfirm = [&] { EXPECT_EQ(runPrint(otherPc, there, nullptr), 1); };
    EXPECT_EQ(runPrint(session(), here, nullptr), 1);

    ASSERT_EQ(there.recorder.sent.size(), 1u);
    EXPECT_NE(there.recorder.sent[0].find(QStringLiteral("鈴木")), nullptr);
    ASSERT_EQ(here.recorder.sent.size(), 1u);
    EXPECT_NE(here.recorder.sent[0].find(QStringLiteral("佐藤")), nullptr);
    EXPECT_EQ(here.recorder.sent[0].find(QStringLiteral("鈴木")), nullptr);
    Table input(tablePath(dir_.path() / "CARDATA", freeDataTable()));
    input.open();
    EXPECT_EQ(toUtf8(input.text(sj("項目1"))), "佐藤");
}

// Layout 3 has no preset record: nothing of layout 2's presets may land in it.
TEST_F(PrintDataTest, ALayoutWithoutPresetRecordIsLeftAsItIs) {
    setPresets(2, {{1, "自社名"}, {2, "合　　　計金額"}});
    session().layouts.setRecNo(3);
    setSlot(1, "使用者");
    EXPECT_FALSE(prepareOnce());
    EXPECT_EQ(slot(1), "使用者");
    EXPECT_EQ(slot(2), "");
    EXPECT_EQ(session().freeData.recNo(), 1);
}

TEST_F(PrintDataTest, TheDesignerShowsAmountSlotsByTheirKeywords) {
    setPresets(2, {{1, "自　賠　責金額"}, {2, "自賠責保険料"}, {3, "小　　　計金額"}, {4, "+700"}});
    state().plusTotal = 500;
    state().feesNeeded = true;
    int mirrored = 0;
    state().cellsChanged = [&] { ++mirrored; };
    prepareForDesigner(session(), person_);
    EXPECT_EQ(slot(1), "自　賠　責金額");
    EXPECT_EQ(slot(2), "自賠責保険料");
    EXPECT_EQ(slot(3), "            ０");
    EXPECT_EQ(slot(4), "        ７００");
    EXPECT_EQ(mirrored, 1);
    EXPECT_TRUE(person_.questions.empty());
    for (int i = 0; i < kAmountCellCount; ++i)
        EXPECT_EQ(toUtf8(state().amountCells[static_cast<std::size_t>(i)]),
                  kAmountKeywords[static_cast<std::size_t>(i)]);
}

TEST_F(PrintDataTest, ARequestPreparesWithFeesAndLeavesTheQuestionsToTheRecord) {
    setPresets(2, {{1, "合　　　計金額"}, {2, "仮ナンバー金額"}, {3, "+1000"}});
    state().plusTotal = 99999; // a request starts afresh
    EXPECT_FALSE(prepareAsRequest(session(), person_));
    EXPECT_EQ(person_.questions.size(), 1u);
    const long long total =
        1000 + premiumOf(1, 3) + taxOf(1, 0, 2) + stampOf(1, 3) + otherCostsOf(1, 3);
    EXPECT_EQ(slot(1), amount(total));
    EXPECT_EQ(slot(2), "");
}

// Neither layout 1 nor a program folder without the sibling program prepares
// anything, by any path; the fee tables stay closed.
TEST_F(PrintDataTest, LayoutOneAndAMissingSiblingNeverPrepare) {
    setPresets(2, {{1, "合　　　計金額"}});
    const std::pair<int, bool> cases[] = {{1, true}, {2, false}};
    for (const auto& [layout, sibling] : cases) {
        SCOPED_TRACE(layout);
        session().layouts.setRecNo(layout);
        setSlot(1, "使用者");
        session().settings.siblingPresent = sibling;

        ScriptedHost host;
        PrintDataPreparation preparation(session(), host.person);
        EXPECT_EQ(runPrint(session(), host, &preparation), 1);
        EXPECT_FALSE(prepareAsRequest(session(), person_));
        prepareForDesigner(session(), person_);

        EXPECT_FALSE(session().expense.active());
        EXPECT_FALSE(session().weightTax.active());
        EXPECT_EQ(slot(1), "使用者");
        ASSERT_EQ(host.recorder.sent.size(), 1u);
        EXPECT_NE(host.recorder.sent[0].find(QStringLiteral("山田　太郎")), nullptr);
    }
}

} // namespace
} // namespace mivora::test
