// Calibrating a printer from the printer adjustment window as a clerk does it:
// the group's sheet button prints (here onto a printer that prints too small and
// shifted), the measurements are typed digit by digit into the measurement window,
// and its OK puts the values into the group's boxes; the window's own OK stores them.

#include "dialogs/calibrationdlg.h"
#include "dialogs/tooleditform.h"
#include "print/calibrationsheet.h"
#include "print/simulatedprinter.h"
#include "support/tempdir.h"
#include "support/typing.h"
#include "text/lines.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace mivora::test {
namespace {

// What the clerk does in the measurement window once it is open: types each entry
// and presses a button. Returns what the window showed at the end.
struct Clerk {
    explicit Clerk(std::array<QString, 4> typed, bool ok = true)
        : entries(std::move(typed)), pressOk(ok) {}

    std::array<QString, 4> entries;
    bool pressOk;
    QString shown;
    bool stayedOpen = false;

    void answer() {
        auto* window = qobject_cast<TCalibrationDlg*>(QApplication::activeModalWidget());
        if (!window)
            return;
        const QLineEdit* edits[] = {window->Edit1, window->Edit2, window->Edit3, window->Edit4};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            auto* edit = const_cast<QLineEdit*>(edits[i]);
            QTest::mouseClick(edit, Qt::LeftButton);
            typeAsPerson(edit, entries[i]);
        }
        if (pressOk)
            QTest::mouseClick(window->OKBtn, Qt::LeftButton);
        shown = window->ResultLabel->text();
        stayedOpen = window->isVisible();
        if (stayedOpen)
            QTest::mouseClick(window->CancelBtn, Qt::LeftButton);
    }
};

// Opens the measurement window of a group with the clerk's answers.
void measure(TToolEditForm& form, int group, Clerk& clerk) {
    QTimer::singleShot(0, [&clerk] { clerk.answer(); });
    QTest::mouseClick(form.measuredButton(group), Qt::LeftButton);
}

QString typed(double mm) {
    return QString::fromStdString(millimetreText(mm));
}

class CalibrationWindowTest : public ::testing::Test {
  protected:
    CalibrationWindowTest() : form_(dir_.path()) {
        form_.printCalibrationSheet = [this](const AdjustmentGroup& group, int number) {
            printedWith_ = group;
            printedGroup_ = number;
            printedSheet_ = printCalibrationSheet(paper_, group, kA4Mm, number,
                                                  QFont(QStringLiteral("IPAGothic")), Qt::black);
            return std::optional(printedSheet_);
        };
        form_.show();
    }

    std::array<int, 4> groupBoxes(int group) const {
        const AdjustmentGroup values = form_.adjustment()[static_cast<std::size_t>(group)];
        return {values.numerator, values.denominator, values.verticalOffset,
                values.horizontalOffset};
    }

    TempDir dir_;
    TToolEditForm form_;
    // 1,200 dpi, 1.5 % too small, 3.2 mm right and 1.7 mm down: no numerator over
    // the default denominator makes it print true.
    SimulatedPrinter paper_{1200, 0.985, QPointF(3.2, 1.7)};
    AdjustmentGroup printedWith_;
    CalibrationSheet printedSheet_;
    int printedGroup_ = 0;
};

TEST_F(CalibrationWindowTest, OnePrintOneMeasurementAndOneOk) {
    form_.showPrinterChoice({QStringLiteral("P1"), QStringLiteral("P2")});
    for (int group = 0; group < 3; ++group) {
        EXPECT_EQ(form_.sheetButton(group)->text(), QStringLiteral("調整用紙を印刷"));
        EXPECT_EQ(form_.measuredButton(group)->text(), QStringLiteral("実測値を入力"));
    }
    form_.SpinEdit5->setValue(900); // group 2, not yet stored

    QTest::mouseClick(form_.sheetButton(1), Qt::LeftButton);
    EXPECT_EQ(printedGroup_, 2);
    EXPECT_EQ(printedWith_.numerator, 900);
    const std::vector<QPointF> marks = paper_.crosses();
    ASSERT_EQ(marks.size(), 2u);
    // The boxes may change before the clerk measures; the sheet's values count.
    form_.SpinEdit5->setValue(700);

    Clerk clerk{
        {typed(marks[0].x()), typed(marks[0].y()), typed(marks[1].x()), typed(marks[1].y())}};
    measure(form_, 1, clerk);
    EXPECT_FALSE(clerk.stayedOpen);
    // 1200 / 25.4 / 0.985 × 100 / 379 = 12.656 units per dot.
    const std::array<int, 4> computed = groupBoxes(1);
    EXPECT_NEAR(static_cast<double>(computed[0]) / computed[1], 12.656, 0.01);
    EXPECT_LT(computed[1], 80);
    EXPECT_TRUE(clerk.shown.contains(QStringLiteral("予想される残りのずれ")))
        << clerk.shown.toStdString();
    EXPECT_EQ(groupBoxes(0), (std::array<int, 4>{1000, 267, 0, 1})); // other groups untouched

    // Printed again with the values shown, the marks land in place.
    QTest::mouseClick(form_.sheetButton(1), Qt::LeftButton);
    const std::vector<QPointF> again = paper_.crosses();
    ASSERT_EQ(again.size(), 2u);
    const CalibrationMarks& sheet = printedSheet_.marks;
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(again[i].x(), layoutMillimetres(sheet.dots[i].x()), 0.6);
        EXPECT_NEAR(again[i].y(), layoutMillimetres(sheet.dots[i].y()), 0.6);
    }

    // Stored with the window's OK, as every value of the window.
    QTest::mouseClick(form_.OKBtn, Qt::LeftButton);
    const std::vector<std::string> lines = readLines(toolEditFile(dir_.path())).value();
    EXPECT_EQ(lines[5], std::to_string(computed[0]));
    EXPECT_EQ(lines[6], std::to_string(computed[1]));
    EXPECT_EQ(lines[7], std::to_string(computed[2]));
    EXPECT_EQ(lines[8], std::to_string(computed[3]));
}

TEST_F(CalibrationWindowTest, EntriesThatCannotBeUsedAreToldAndChangeNothing) {
    struct Case {
        std::array<QString, 4> entries;
        const char* told;
    };
    // One entry at fault, and four that are fine each but wrong together (the
    // computation's own cases are tested without the window).
    const Case cases[] = {
        {{"20.5", "19.8", "18l", "270"}, "「印2 左端から」の「18l」は数値ではありません。"},
        {{"181", "270", "20.5", "19.8"}, "右下にありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        Clerk clerk{c.entries};
        measure(form_, 0, clerk);
        EXPECT_TRUE(clerk.stayedOpen);
        EXPECT_TRUE(clerk.shown.contains(QString::fromUtf8(c.told))) << clerk.shown.toStdString();
        EXPECT_EQ(groupBoxes(0), (std::array<int, 4>{1000, 267, 0, 1}));
    }
}

TEST_F(CalibrationWindowTest, CancelLeavesTheBoxesAndFullWidthDigitsAreRead) {
    // Measured on a sheet of a true 360 dpi printer with the defaults (no sheet
    // printed in this run: an A4 sheet with the values shown); read as 0.2 % large,
    // which 86/23 takes back more nearly than any numerator over 267.
    Clerk cancelled{{"20.5", "19.8", "181.0", "270.3"}, false};
    measure(form_, 0, cancelled);
    EXPECT_TRUE(cancelled.shown.contains(QStringLiteral("プリンタ尺度：86／23")))
        << cancelled.shown.toStdString();
    EXPECT_EQ(groupBoxes(0), (std::array<int, 4>{1000, 267, 0, 1}));

    Clerk fullWidth{{QStringLiteral("２０．５"), QStringLiteral("１９．８"),
                     QStringLiteral("１８１．０"), QStringLiteral("２７０．３")}};
    measure(form_, 0, fullWidth);
    EXPECT_FALSE(fullWidth.stayedOpen) << fullWidth.shown.toStdString();
    EXPECT_EQ(groupBoxes(0), (std::array<int, 4>{86, 23, 0, 0}));
}

TEST_F(CalibrationWindowTest, TheWindowShowsWhereEachMarkBelongs) {
    TCalibrationDlg window(calibrationMarks(), AdjustmentGroup{}, 3);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("実測値の入力 (グループ 3)"));
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("mm (19.8)")));
    EXPECT_TRUE(texts.contains(QStringLiteral("mm (269.9)")));
    EXPECT_EQ(window.ResultLabel->text(), QStringLiteral("「印1 左端から」を入力してください。"));
}

} // namespace
} // namespace mivora::test
