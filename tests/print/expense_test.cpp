// The fee calculation on real fee tables whose figures name their use, column and
// bracket, so that a test sees where each amount was taken from.

#include "feetest.h"
#include "print/expense.h"

namespace mivora::test {
namespace {

class ExpenseTest : public FeeTest {
  protected:
    // Prices the one vehicle with the given fields.
    bool priceVehicle(const VehicleFields& fields) {
        addVehicle(fields);
        session().vehicles.first();
        return ExpenseOut(session(), person_);
    }
};

struct PricingCase {
    const char* what;
    const char* kind;
    const char* use;
    const char* privateOrCommercial;
    const char* load;
    const char* grossWeight; // the weight is 1500 kg
    int feeUse;              // the row of premium, stamp and other costs
    int column;
    long long tax;
};

TEST_F(ExpenseTest, EachVehicleIsPricedFromItsUseColumnAndBracket) {
    // clang-format off
    const PricingCase cases[] = {
        {"normal passenger",        "普通", "乗用", "自家用", "", "", 1, 3, taxOf(1, 0, 2)},
        {"large prices as normal",  "大型", "乗用", "自家用", "", "", 1, 3, taxOf(1, 0, 2)},
        {"small passenger",         "小型", "乗用", "自家用", "", "", 1, 2, taxOf(1, 0, 2)},
        {"commercial passenger",    "普通", "乗用", "事業用", "", "", 1, 7, taxOf(1, 1, 2)},
        {"freight, load 2000",      "普通", "貨物", "自家用", "2000", "3500", 2, 3, taxOf(2, 0, 4)},
        {"freight, load 2001",      "普通", "貨物", "自家用", "2001", "3500", 2, 4, taxOf(2, 0, 4)},
        {"commercial, load 2000",   "普通", "貨物", "事業用", "2000", "3500", 2, 7, taxOf(2, 1, 4)},
        {"commercial, load 2001",   "普通", "貨物", "事業用", "2001", "3500", 2, 8, taxOf(2, 1, 4)},
        {"large bus",               "大型", "乗合", "自家用", "", "5000", 4, 1, taxOf(4, 0, 5)},
        {"small commercial bus",    "小型", "乗合", "事業用", "", "5000", 4, 5, taxOf(4, 1, 5)},
        {"special small, load 1",   "小型", "特種", "自家用", "1", "2500", 4, 2, taxOf(3, 2, 3)},
        {"commercial special, load","普通", "特種", "事業用", "500", "2500", 4, 7, taxOf(3, 3, 3)},
        {"special, load 0",         "普通", "特種", "自家用", "0", "2500", 3, 3, taxOf(3, 0, 3)},
        {"special light, load",     "軽自動車", "特種", "自家用", "350", "", 3, 1, kLightTax},
        {"light passenger",         "軽自動車", "乗用", "自家用", "", "", 1, 1, kLightTax},
        {"light commercial",        "軽自動車", "乗用", "事業用", "", "", 1, 5, kLightCommercialTax},
        {"two-wheeled",             "二輪", "乗用", "自家用", "", "", 1, 4, kTwoWheeledTax},
        {"commercial two-wheeled",  "二輪", "乗用", "事業用", "", "", 1, 8, kTwoWheeledCommercialTax},
        {"special",                 "普通", "特殊", "自家用", "", "", 5, 3, taxOf(5, 0, 2)},
    };
    // clang-format on
    for (const PricingCase& c : cases) {
        SCOPED_TRACE(c.what);
        session().vehicles.removeAll();
        ASSERT_FALSE(priceVehicle({{"自動車の種別", c.kind},
                                   {"用途", c.use},
                                   {"自家用事業用の別", c.privateOrCommercial},
                                   {"最大積載量", c.load},
                                   {"車両総重量", *c.grossWeight ? c.grossWeight : "1775"}}));
        const long long premium = premiumOf(c.feeUse, c.column);
        const long long stamp = stampOf(c.feeUse, c.column);
        const long long other = otherCostsOf(c.feeUse, c.column);
        EXPECT_EQ(cellValue(AmountCell::Premium), premium);
        EXPECT_EQ(cellValue(AmountCell::WeightTax), c.tax);
        EXPECT_EQ(cellValue(AmountCell::Stamp), stamp);
        EXPECT_EQ(cellValue(AmountCell::OtherCosts), other);
        EXPECT_EQ(cellValue(AmountCell::Total), premium + c.tax + stamp + other);
        EXPECT_EQ(cellValue(AmountCell::TotalWithoutOtherCosts), premium + c.tax + stamp);
        EXPECT_EQ(state().cell(AmountCell::TemporaryPlate), "");
    }
    EXPECT_TRUE(person_.errors.empty());
    EXPECT_TRUE(person_.questions.empty());
}

TEST_F(ExpenseTest, TheClassMarksShowTheKindAndTheWeightOfTheCertificate) {
    struct MarkCase {
        const char* what;
        VehicleFields vehicle;
        std::vector<std::pair<ClassMark, const char*>> marks; // the others stay empty
    };
    const MarkCase cases[] = {
        {"passenger by its own weight",
         {{"車両重量", "1,090"}},
         {{ClassMark::Passenger, "∨"}, {ClassMark::VehicleWeight, "１，０９０"}}},
        {"two-wheeled", {{"自動車の種別", "二輪"}}, {{ClassMark::TwoWheeled, "∨"}}},
        {"light passenger: no weight needed", {{"自動車の種別", "軽自動車"}}, {}},
        {"freight of 2500 kg is not large",
         {{"用途", "貨物"}, {"車両総重量", "2500"}},
         {{ClassMark::Freight, "∨"}, {ClassMark::GrossWeight, "２５００"}}},
        {"freight above 2500 kg",
         {{"用途", "貨物"}, {"車両総重量", "2501"}},
         {{ClassMark::LargeFreight, "∨"}, {ClassMark::LargeGrossWeight, "２５０１"}}},
        {"the larger second gross weight is shown",
         {{"用途", "貨物"}, {"車両総重量", "2400"}, {"総重量", "2600"}},
         {{ClassMark::Freight, "∨"}, {ClassMark::GrossWeight, "２６００"}}},
        {"a bus is marked by its gross weight",
         {{"用途", "乗合"}, {"車両総重量", "8000"}},
         {{ClassMark::LargeFreight, "∨"}, {ClassMark::LargeGrossWeight, "８０００"}}},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.what);
        session().vehicles.removeAll();
        state().classMarks.fill("x");
        ASSERT_FALSE(priceVehicle(c.vehicle));
        std::array<std::string, kClassMarkCount> expected{};
        for (const auto& [which, text] : c.marks)
            expected[static_cast<std::size_t>(which)] = text;
        for (int i = 0; i < kClassMarkCount; ++i)
            EXPECT_EQ(mark(static_cast<ClassMark>(i)), expected[static_cast<std::size_t>(i)])
                << kClassMarkKeywords[static_cast<std::size_t>(i)];
    }
}

TEST_F(ExpenseTest, TypedAmountsAddToTheTotalAndDeductionsShowOnTheOtherCosts) {
    setFigure(session().expense, "諸費用乗用3", 5000);
    state().plusTotal = 1000;
    state().minusTotal = 300;
    ASSERT_FALSE(priceVehicle({}));
    EXPECT_EQ(toUtf8(state().cell(AmountCell::OtherCosts)), "      ４７００");
    const long long fees = premiumOf(1, 3) + taxOf(1, 0, 2) + stampOf(1, 3);
    EXPECT_EQ(cellValue(AmountCell::Total), 1000 + fees + 5000);
    EXPECT_EQ(cellValue(AmountCell::TotalWithoutOtherCosts), 1000 + fees);
}

TEST_F(ExpenseTest, AnswersOfThePersonDecideThePremiumAndTheTemporaryPlate) {
    struct AnswerCase {
        const char* what;
        bool askPlate;
        bool askInsurance;
        std::deque<bool> answers;
        bool premium;
        bool plate;
    };
    const AnswerCase cases[] = {
        {"no questions", false, false, {}, true, false},
        {"insurance brought in", false, true, {true}, false, false},
        {"insurance not brought in", false, true, {false}, true, false},
        {"plate asked first, then insurance", true, true, {true, false}, true, true},
        {"plate and brought in", true, true, {true, true}, false, true},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.what);
        session().vehicles.removeAll();
        state().askTemporaryPlate = c.askPlate;
        state().askInsurance = c.askInsurance;
        person_.answers = c.answers;
        person_.questions.clear();
        ASSERT_FALSE(priceVehicle({}));
        EXPECT_EQ(person_.questions.size(), std::size_t(c.askPlate) + c.askInsurance);
        const long long premium = c.premium ? premiumOf(1, 3) : 0;
        const long long plate = c.plate ? kTemporaryPlate : 0;
        EXPECT_EQ(state().cell(AmountCell::Premium).empty(), !c.premium);
        EXPECT_EQ(toUtf8(state().cell(AmountCell::TemporaryPlate)),
                  c.plate ? "        ７５０" : "");
        const long long fees = premium + taxOf(1, 0, 2) + stampOf(1, 3) + plate;
        EXPECT_EQ(cellValue(AmountCell::Total), fees + otherCostsOf(1, 3));
        EXPECT_EQ(cellValue(AmountCell::TotalWithoutOtherCosts), fees);
    }
}

TEST_F(ExpenseTest, QuestionsNameThePersonAndThePlateInEitherForm) {
    state().askTemporaryPlate = true;
    ASSERT_FALSE(priceVehicle({}));
    ASSERT_EQ(person_.questions.size(), 1u);
    EXPECT_EQ(person_.questions[0],
              "山田　太郎        様\n品川５００あ１２３４の\n仮ナンバー代を付けますか？");

    // The confirmation window, and a name cut on a whole character.
    session().settings.messageFlag = 1;
    session().vehicles.removeAll();
    ASSERT_FALSE(priceVehicle({{"使用者", "A株式会社丸東運輸倉庫"}}));
    ASSERT_EQ(person_.threeLineQuestions.size(), 1u);
    const std::array<std::string, 3> expected = {"A株式会社丸東運輸 様", "品川５００あ１２３４の",
                                                 "仮ナンバー代を付けますか？"};
    EXPECT_EQ(person_.threeLineQuestions[0], expected);
}

TEST_F(ExpenseTest, AnUnknownKindOrUseCancelsTheRecordAndSaysWhy) {
    struct UnknownCase {
        const char* what;
        VehicleFields vehicle;
        std::vector<std::string> messages;
    };
    const std::string owner = "山田　太郎        様\n品川５００あ１２３４の\n";
    const UnknownCase cases[] = {
        {"not an exact kind",
         {{"自動車の種別", "普通自動車"}},
         {owner + "　自動車の種別　が認識できません！"}},
        {"unknown use", {{"用途", "自家用乗用"}}, {owner + "　用途　が認識できません！"}},
        {"both, kind first",
         {{"自動車の種別", ""}, {"用途", ""}},
         {owner + "　自動車の種別　が認識できません！", owner + "　用途　が認識できません！"}},
    };
    for (const UnknownCase& c : cases) {
        SCOPED_TRACE(c.what);
        session().vehicles.removeAll();
        person_.errors.clear();
        state().amountCells.fill(sj("前の金額"));
        state().classMarks.fill("x");
        EXPECT_TRUE(priceVehicle(c.vehicle));
        EXPECT_EQ(person_.errors, c.messages);
        EXPECT_EQ(toUtf8(state().cell(AmountCell::Total)), "前の金額");
        EXPECT_EQ(mark(ClassMark::Passenger), "");
    }
}

TEST_F(ExpenseTest, WeightsAsClerksTypeThemAreReadAndOthersCancelTheRecord) {
    struct WeightCase {
        const char* typed;
        long long weight; // -1: no whole number
    };
    const WeightCase cases[] = {
        {"1250", 1250},   {"1,250", 1250}, {"１２５０", 1250}, {"１，２５０", 1250},
        {" 1250 ", 1250}, {"", -1},        {"　", -1},         {"1250kg", -1},
        {"1,25", -1},     {"1.5", -1},     {"12,50,0", -1},    {"-", -1},
        {"約1250", -1},
    };
    for (const WeightCase& c : cases) {
        SCOPED_TRACE(c.typed);
        session().vehicles.removeAll();
        person_.errors.clear();
        const bool cancelled = priceVehicle({{"車両重量", c.typed}});
        if (c.weight < 0) {
            EXPECT_TRUE(cancelled);
            ASSERT_EQ(person_.errors.size(), 1u);
            EXPECT_EQ(person_.errors[0], "山田　太郎        様\n品川５００あ１２３４の\n"
                                         "　車両重量　が整数として読めません！「" +
                                             std::string(c.typed) + "」");
            continue;
        }
        EXPECT_FALSE(cancelled);
        EXPECT_TRUE(person_.errors.empty());
        EXPECT_EQ(cellValue(AmountCell::WeightTax), taxOf(1, 0, c.weight <= 1001 ? 1 : 2));
    }
    // The load is read for every vehicle.
    session().vehicles.removeAll();
    person_.errors.clear();
    EXPECT_TRUE(priceVehicle({{"最大積載量", "2t"}}));
    ASSERT_EQ(person_.errors.size(), 1u);
    EXPECT_NE(person_.errors[0].find("　最大積載量　"), std::string::npos);
}

// A freight, bus or special vehicle goes by its gross weight: without one it
// cannot be priced, while an empty load and an empty second gross weight are none.
TEST_F(ExpenseTest, AnEmptyGrossWeightCancelsTheRecordAndAnEmptyLoadIsNone) {
    struct GrossCase {
        const char* kind;
        const char* use;
        const char* load;
        const char* gross;
        bool cancelled;
    };
    const GrossCase cases[] = {
        {"大型", "貨物", "13600", "", true}, {"普通", "乗合", "", " ", true},
        {"普通", "特殊", "", "", true},      {"普通", "貨物", "", "3500", false},
        {"小型", "特種", "", "2500", false},
    };
    for (const GrossCase& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + c.use + " load " + c.load + " gross " + c.gross);
        session().vehicles.removeAll();
        person_.errors.clear();
        const bool cancelled = priceVehicle({{"自動車の種別", c.kind},
                                             {"用途", c.use},
                                             {"最大積載量", c.load},
                                             {"車両総重量", c.gross},
                                             {"総重量", ""}});
        EXPECT_EQ(cancelled, c.cancelled);
        if (c.cancelled) {
            ASSERT_EQ(person_.errors.size(), 1u);
            EXPECT_NE(person_.errors[0].find("　車両総重量　が整数として読めません！"),
                      std::string::npos)
                << person_.errors[0];
        } else {
            EXPECT_TRUE(person_.errors.empty());
        }
    }
}

TEST_F(ExpenseTest, TheBracketIsTheFirstWhoseBoundTheWeightDoesNotExceed) {
    const std::pair<const char*, long long> cases[] = {
        {"0", taxOf(1, 0, 1)},      {"1001", taxOf(1, 0, 1)}, {"1002", taxOf(1, 0, 2)},
        {"12001", taxOf(1, 0, 12)}, {"6500", taxOf(1, 0, 7)},
    };
    for (const auto& [weight, tax] : cases) {
        SCOPED_TRACE(weight);
        session().vehicles.removeAll();
        ASSERT_FALSE(priceVehicle({{"車両重量", weight}}));
        EXPECT_EQ(cellValue(AmountCell::WeightTax), tax);
    }
}

TEST_F(ExpenseTest, WeightsBeyondTheTableGoOnInStepsOfTheThirteenthAmount) {
    struct BeyondCase {
        const char* what;
        long long step;      // the thirteenth amount
        long long lastBound; // bound 4 (0 ends the table after bracket 3), or 0 to keep
        const char* weight;
        long long tax;
    };
    const BeyondCase cases[] = {
        // ceil(13200 / 500) * 500 = 13500; (13500 - 12001) div 500 = 2
        {"past bound 12", 500, -1, "13200", taxOf(1, 0, 12) + 2},
        {"just past bound 12", 500, -1, "12002", taxOf(1, 0, 12)},
        {"table ends after bracket 3", 500, 0, "5000", taxOf(1, 0, 3) + 3},
        {"no step: the last amount stands", 0, -1, "50000", taxOf(1, 0, 12)},
        {"a negative step is no step", -10, 0, "50000", taxOf(1, 0, 3)},
    };
    for (const BeyondCase& c : cases) {
        SCOPED_TRACE(c.what);
        session().vehicles.removeAll();
        setFigure(session().weightTax, "重量税乗用13", c.step);
        setFigure(session().weightTax, "重量税乗用数値4", c.lastBound < 0 ? boundOf(1, 4) : 0);
        ASSERT_FALSE(priceVehicle({{"車両重量", c.weight}}));
        EXPECT_EQ(cellValue(AmountCell::WeightTax), c.tax);
    }
}

} // namespace
} // namespace mivora::test
