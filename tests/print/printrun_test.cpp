// The print run: its steps and their order, where the texts land, which records
// it prints, and how it ends when the person or the printer stops it.

#include "printtest.h"

#include "text/lines.h"

#include <climits>

namespace mivora::test {
namespace {

TEST(DevicePosition, LayoutDotsBecomeDeviceUnitsWithTruncationTowardZero) {
    struct Case {
        int x, y;
        AdjustmentGroup group;
        QPoint expected;
    };
    const AdjustmentGroup plain; // 1000/267, 0 mm down, 1 mm right
    const Case cases[] = {
        {0, 0, plain, {11, 0}},    // 1 mm = 3 dots = 3 * 1000 / 267 units
        {100, 0, plain, {385, 0}}, // 374 + 11
        {-100, 0, plain, {-363, 0}},
        {0, 0, {1, 1, 0, -1, ""}, {-3, 0}},            // -1 mm is -3 dots, not -4
        {0, 0, {1000, 267, 0, -1, ""}, {-11, 0}},      // -3 * 1000 / 267 = -11.2
        {0, 0, {1000, 267, 1, 0, ""}, {0, 11}},        // the vertical offset moves y only
        {379, 757, {500, 1000, 2, 0, ""}, {189, 381}}, // 7 dots * 1/2 = 3 units down
    };
    for (const Case& c : cases)
        EXPECT_EQ(devicePosition(c.x, c.y, c.group), c.expected) << c.x << "," << c.y;
    // Any integer a table holds stays a position on the device.
    EXPECT_GT(devicePosition(INT_MAX, 0, {1000, 1, 0, 10, ""}).x(), 0);
    EXPECT_LT(devicePosition(INT_MIN, 0, {1000, 1, 0, -10, ""}).x(), 0);
    EXPECT_EQ(devicePaperSize(210, 297, plain), QSize(2977, 4213));
}

TEST_F(PrintRunTest, SlotsLandAtTheirPositionsInTheirSizes) {
    addVehicles({"山田　太郎"});
    setSlot(1, "使用者", 0, 0, 12);
    setSlot(2, "@固定文字", 100, 50, 8);
    setSlot(3, "備考", 200, 200); // empty in the record: nothing drawn
    ASSERT_EQ(run(), 1);
    ASSERT_EQ(pages().size(), 1u);
    const Page& page = pages()[0];
    ASSERT_EQ(page.texts.size(), 2u);
    EXPECT_EQ(page.texts[0].text, QStringLiteral("山田　太郎"));
    EXPECT_EQ(page.texts[0].at, QPoint(11, 0));
    EXPECT_EQ(page.texts[0].pointSize, 12);
    EXPECT_EQ(page.texts[1].text, QStringLiteral("固定文字"));
    EXPECT_EQ(page.texts[1].at, QPoint(385, 187)); // 50 * 1000 / 267
    EXPECT_EQ(page.texts[1].pointSize, 8);
}

TEST_F(PrintRunTest, TheStepsRunInTheirOrderForEveryRecord) {
    addVehicles({"Ａ", "Ｂ"});
    session_->layouts.setRecNo(2);
    setLayout({{"連続印刷", "True"}});
    setSlot(1, "?受付番号");
    session_->settings.siblingPresent = true;
    LoggedPreparation preparation(host_.log);
    preparation_ = &preparation;
    session_->vehicles.last(); // a continuous run starts at the first record anyway

    EXPECT_EQ(run(), 2);
    const std::vector<std::string> expected = {"offer",   "printer", "reset", "check(ask)",
                                               "confirm", "prepare", "page",  "confirm",
                                               "prepare", "page"};
    EXPECT_EQ(host_.log, expected);
    EXPECT_EQ(session_->vehicles.recNo(), 2);
    EXPECT_EQ(pages()[0].find(QStringLiteral("Ａ")), nullptr); // no slot prints the user
}

TEST_F(PrintRunTest, CancellingThePrinterDialogPrintsNothing) {
    addVehicles({"Ａ"});
    setSlot(1, "?受付番号");
    host_.choosesPrinter = false;
    LoggedPreparation preparation(host_.log);
    preparation_ = &preparation;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(host_.log, (std::vector<std::string>{"offer", "printer"}));
    EXPECT_TRUE(pages().empty());
}

TEST_F(PrintRunTest, RecordsPrintedByTheContinuousFlagAndTheConfirmationWindow) {
    struct Case {
        const char* name;
        std::vector<const char*> users;
        bool continuous;
        bool handWritten;
        std::deque<bool> confirmations;
        int current; // record number before the run
        std::vector<QString> printed;
        int confirmed;
    };
    const std::vector<Case> cases = {
        {"no hand-written item, continuous",
         {"Ａ", "Ｂ", "Ｃ"},
         true,
         false,
         {},
         2,
         {"Ａ", "Ｂ", "Ｃ"},
         0},
        {"cancel on the third record",
         {"Ａ", "Ｂ", "Ｃ", "Ｄ"},
         true,
         true,
         {true, true, false},
         1,
         {"Ａ", "Ｂ"},
         3},
        {"one record, continuous", {"Ａ"}, true, true, {}, 1, {"Ａ"}, 1},
        {"not continuous: the current record", {"Ａ", "Ｂ", "Ｃ"}, false, true, {}, 2, {"Ｂ"}, 1},
        {"cancel before the first page", {"Ａ", "Ｂ"}, true, true, {false}, 1, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session_->vehicles.removeAll();
        host_ = {};
        addVehicles(c.users);
        session_->vehicles.setRecNo(c.current);
        setLayout({{"連続印刷", c.continuous ? "True" : "False"}});
        setSlot(1, "使用者");
        setSlot(2, c.handWritten ? "?受付番号" : "");
        host_.confirmations = c.confirmations;

        EXPECT_EQ(run(), static_cast<int>(c.printed.size()));
        std::vector<QString> printed;
        for (const Page& page : pages())
            printed.push_back(page.texts.at(0).text);
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(std::count(host_.log.begin(), host_.log.end(), "confirm"), c.confirmed);
    }
}

TEST_F(PrintRunTest, HeadlessRangesOverrideTheContinuousFlag) {
    addVehicles({"Ａ", "Ｂ", "Ｃ"});
    session_->vehicles.setRecNo(2);
    setSlot(1, "使用者");
    setLayout({{"連続印刷", "True"}});
    EXPECT_EQ(run(PrintRange::CurrentRecord), 1);
    EXPECT_EQ(pages()[0].texts[0].text, QStringLiteral("Ｂ"));
    setLayout({{"連続印刷", "False"}});
    EXPECT_EQ(run(PrintRange::AllRecords), 3);
}

class FormImageRunTest : public PrintRunTest {
  protected:
    void writeForm(const char* file) {
        QImage image(80, 110, QImage::Format_RGB32);
        image.fill(Qt::gray);
        ASSERT_TRUE(image.save(QString::fromStdString(pathText(pathOf(dir_.path(), file))), "JPG"));
    }
};

TEST_F(FormImageRunTest, TheFormIsDrawnFirstOverThePaperAndDecodedOncePerRun) {
    writeForm("様式.jpg");
    addVehicles({"Ａ", "Ｂ"});
    setLayout({{"印刷フォーム", "様式"}, {"印刷フォームの印刷", "True"}, {"連続印刷", "True"}});
    setSlot(1, "使用者");
    ASSERT_EQ(run(), 2);
    for (const Page& page : pages()) {
        ASSERT_EQ(page.images.size(), 1u);
        EXPECT_EQ(page.images[0].target, QRect(0, 0, 2977, 4213));
        EXPECT_EQ(page.texts.at(0).imagesBefore, 1u);
    }
    EXPECT_EQ(pages()[0].images[0].cacheKey, pages()[1].images[0].cacheKey);

    setLayout({{"印刷フォームの印刷", "False"}});
    host_ = {};
    ASSERT_EQ(run(), 2);
    EXPECT_TRUE(pages()[0].images.empty());
}

TEST_F(FormImageRunTest, AMissingFormPrintsTheItemsOnlyAndTheBlankPageNever) {
    writeForm("白地.jpg");
    addVehicles({"Ａ"});
    setLayout({{"印刷フォーム", "ない様式"}, {"印刷フォームの印刷", "True"}});
    setSlot(1, "使用者");
    ASSERT_EQ(run(), 1);
    EXPECT_TRUE(pages()[0].images.empty());
    EXPECT_EQ(pages()[0].texts.size(), 1u);
}

TEST_F(PrintRunTest, PreparationRunsOnlyForLaterLayoutsWithTheSiblingPresent) {
    struct Case {
        int layout;
        bool sibling;
        bool prepares;
    };
    for (const Case c : {Case{1, true, false}, Case{2, false, false}, Case{2, true, true}}) {
        SCOPED_TRACE(std::to_string(c.layout) + (c.sibling ? " with sibling" : ""));
        session_->vehicles.removeAll();
        host_ = {};
        addVehicles({"Ａ"});
        session_->layouts.setRecNo(c.layout);
        session_->settings.siblingPresent = c.sibling;
        LoggedPreparation preparation(host_.log);
        preparation_ = &preparation;
        EXPECT_EQ(run(), 1);
        const bool prepared = std::count(host_.log.begin(), host_.log.end(), "prepare") == 1 &&
                              std::count(host_.log.begin(), host_.log.end(), "check") == 1;
        EXPECT_EQ(prepared, c.prepares);
    }
}

TEST_F(PrintRunTest, CancelledPreparationEndsTheRunBeforeThePage) {
    addVehicles({"Ａ", "Ｂ", "Ｃ"});
    session_->layouts.setRecNo(2);
    setLayout({{"連続印刷", "True"}});
    setSlot(1, "使用者");
    session_->settings.siblingPresent = true;
    LoggedPreparation preparation(host_.log);
    preparation.cancels = {false, true};
    preparation_ = &preparation;
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(host_.log.back(), "prepare");
}

TEST_F(PrintRunTest, TheWindowOffersTheSlotsAsStoredWhenTheRunStarts) {
    addVehicles({"Ａ"});
    setSlot(2, "?受付番号");
    // Pending edits are posted before the window is set up.
    session_->layouts.setRecNo(2);
    session_->layouts.setText(sj("項目7"), sj("?担当者"));
    session_->layouts.setText(sj("項目9"), sj("?登録番号"));
    session_->settings.siblingPresent = true;
    LoggedPreparation preparation(host_.log);
    preparation_ = &preparation;
    // Preparation writes a hand-written item into a slot while the run goes on.
    preparation.onPrepare = [this] {
        session_->layouts.setText(sj("項目4"), sj("?追加"));
        session_->layouts.post();
    };
    session_->freeData.setText(sj("項目4"), sj("手書き"));

    ASSERT_EQ(run(), 1);
    const std::map<int, std::string> first = {{7, "担当者"}, {9, "登録番号"}};
    EXPECT_EQ(host_.offered, first);
    EXPECT_EQ(session_->freeData.state(), TableState::Browse); // the typed text was saved
    EXPECT_NE(pages()[0].find(QStringLiteral("手書き")), nullptr);

    ASSERT_EQ(run(), 1);
    EXPECT_EQ(host_.offered.count(4), 1u); // from the next run on
}

TEST_F(PrintRunTest, RightAlignedAmountsEndWhereThePreviewEndsThem) {
    addVehicles({"Ａ"});
    setSlot(1, "車両重量$8", 0, 0, 10);  // "1,090": three positions short
    setSlot(2, "車両重量$8", 0, 20, 12); // the same in a larger size
    setSlot(3, "車両重量$4", 0, 40, 10); // longer than its width: no shift
    setSlot(4, "車両重量", 0, 60, 10);
    ASSERT_EQ(run(), 1);
    const std::vector<DrawnText>& texts = pages()[0].texts;
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, QStringLiteral("1,090"));
    EXPECT_EQ(texts[0].at.x(), 11 + 3 * 50); // "0" is 50 units wide at 10 points here
    EXPECT_EQ(texts[1].at.x(), 11 + 3 * 60);
    EXPECT_EQ(texts[2].at.x(), 11);
    EXPECT_EQ(texts[3].text, QStringLiteral("1090"));
    EXPECT_EQ(texts[3].at.x(), 11);
}

TEST_F(PrintRunTest, AConfirmedItemPrintsOnlyOnYes) {
    addVehicles({"山田"});
    setSlot(1, "!使用者");
    host_.person.answers = {false};
    ASSERT_EQ(run(), 1);
    EXPECT_TRUE(pages()[0].texts.empty());
    ASSERT_EQ(host_.person.questions.size(), 1u);
    EXPECT_EQ(host_.person.questions[0], "項目名：使用者の山田は印刷しますか？");

    host_.person.answers = {true};
    ASSERT_EQ(run(), 1);
    EXPECT_EQ(pages()[1].texts.at(0).text, QStringLiteral("山田"));
}

// A group never calibrated (1000／267, true at 360 dpi) prints true size at the
// printer's own resolution: over 321 at 300 dpi, 100 dots and the 1 mm shift (3
// dots) come to 311 + 9 units. A calibrated group prints as it stands.
TEST_F(PrintRunTest, TheAdjustmentGroupFollowsThePrinterOnlyWithGroupOneNamed) {
    struct Case {
        bool severalPrinters;
        const char* groupOneName;
        int dotsPerInch;
        int expectedX; // of a slot at X = 100
    };
    const Case cases[] = {
        {true, "", 360, 385},    // group 2 names the printer, but group 1 names none
        {true, "主", 360, 500},  // group 2: 100 * 500 / 100
        {false, "主", 360, 385}, // one printer: always group 1
        {false, "主", 300, 320}, // group 1 never calibrated, at 300 dpi
        {true, "主", 180, 500},  // group 2 calibrated: as it stands at any resolution
    };
    addVehicles({"Ａ"});
    setSlot(1, "使用者", 100, 0);
    for (const Case& c : cases) {
        host_ = {};
        host_.recorder.name = sj("事務所");
        host_.recorder.dpi = c.dotsPerInch;
        session_->settings.severalPrinters = c.severalPrinters;
        host_.groups[0].printerName = sj(c.groupOneName);
        host_.groups[1] = {500, 100, 0, 0, sj("事務所")};
        host_.groups[2] = {200, 100, 0, 0, sj("別")};
        ASSERT_EQ(run(), 1);
        EXPECT_EQ(pages()[0].texts.at(0).at.x(), c.expectedX) << c.groupOneName;
    }
}

TEST_F(PrintRunTest, APrinterFailureEndsTheRunAndKeepsThePagesSent) {
    addVehicles({"Ａ", "Ｂ", "Ｃ"});
    setLayout({{"連続印刷", "True"}});
    setSlot(1, "使用者");
    host_.recorder.refuseJob = 2;
    EXPECT_THROW(run(), PrintError);
    EXPECT_EQ(pages().size(), 1u);

    host_ = {};
    int drawn = 0;
    host_.recorder.onText = [&drawn] {
        if (++drawn == 2)
            throw PrintError("用紙がありません。");
    };
    EXPECT_THROW(run(), PrintError);
    EXPECT_EQ(pages().size(), 1u);
    EXPECT_EQ(host_.recorder.aborted, 1); // the half-drawn page is not sent
}

TEST_F(PrintRunTest, AnEmptyTableIsReportedBeforeThePrinterIsChosen) {
    setSlot(1, "使用者");
    EXPECT_THROW(run(), Error);
    EXPECT_EQ(std::count(host_.log.begin(), host_.log.end(), "printer"), 0);
    EXPECT_TRUE(pages().empty());
}

} // namespace
} // namespace mivora::test
