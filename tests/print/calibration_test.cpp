// Printer calibration: the arithmetic on cases worked by hand, the entries a clerk
// may get wrong, and a round trip through a printer that prints too small and
// shifted: print the sheet, measure it, compute, print again.

#include "print/calibration.h"
#include "print/calibrationsheet.h"
#include "simulatedprinter.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mivora::test {
namespace {

// The marks' own places on the paper, mm.
QPointF placeOf(QPoint dots) {
    return {layoutMillimetres(dots.x()), layoutMillimetres(dots.y())};
}

// What a clerk types for a distance read off a ruler: one decimal.
std::string typed(double mm) {
    return millimetreText(mm);
}

MeasuredMarks measuredAsTyped(const std::vector<QPointF>& crosses) {
    return parseMeasuredMarks({typed(crosses.at(0).x()), typed(crosses.at(0).y()),
                               typed(crosses.at(1).x()), typed(crosses.at(1).y())});
}

std::string messageOf(const std::function<void()>& action, int* field = nullptr) {
    try {
        action();
    } catch (const MeasurementError& error) {
        if (field)
            *field = error.field;
        return error.what();
    }
    return "(no error)";
}

TEST(CalibrationMarks, SitNearTwoCornersAtWholeMillimetresOfTheLayout) {
    const CalibrationMarks a4 = calibrationMarks();
    EXPECT_EQ(a4.dots[0], QPoint(75, 75)); // 20 mm × 379 div 100
    EXPECT_EQ(a4.dots[1], QPoint(682, 1023));
    EXPECT_NEAR(layoutMillimetres(75), 19.79, 0.005);
    // B5 takes the same fractions: 17 / 17 mm and 156 / 234 mm.
    const CalibrationMarks b5 = calibrationMarks({182, 257});
    EXPECT_EQ(b5.dots[0], QPoint(64, 64));
    EXPECT_EQ(b5.dots[1], QPoint(591, 886));
    // A group that prints twice true size: at 10 / 10 mm and 90 / 135 mm of the
    // layout, so that they land where the others do.
    EXPECT_EQ(calibrationMarks(kA4Mm, 2).dots, (std::array<QPoint, 2>{{{37, 37}, {341, 511}}}));
}

// 1000 × 96.266 dpi of the layout over the printer's resolution, rounded.
TEST(GroupForResolution, OnlyAGroupNeverCalibratedTakesThePrintersTrueSize) {
    const AdjustmentGroup initial{1000, 267, -2, 3, "P"};
    const struct {
        AdjustmentGroup group;
        int dotsPerInch;
        int denominator;
    } cases[] = {
        {initial, 360, 267}, {initial, 300, 321},
        {initial, 180, 535}, {initial, 150, 642},
        {initial, 1200, 80}, {{998, 267, 0, 1, ""}, 300, 267},
        {initial, 0, 267},   {{500, 267, 0, 1, ""}, 180, 267},
    };
    for (const auto& c : cases) {
        const AdjustmentGroup printed = groupForResolution(c.group, c.dotsPerInch);
        EXPECT_EQ(printed.denominator, c.denominator) << c.dotsPerInch;
        EXPECT_EQ(printed.numerator, c.group.numerator);
        EXPECT_EQ(printed.printerName, c.group.printerName);
        EXPECT_EQ(printed.horizontalOffset, c.group.horizontalOffset);
    }
}

// A printer drawing a unit as 0.25 mm from 2 mm right and 3 mm below the corner,
// measured with the group 500/500 and no shift. Worked by hand: true size needs
// 100 / (379 × 0.25) = 1.05541 units per dot. 528/500 is 0.04 % off, 0.1 mm over
// the marks' 250 mm; 19/18 = 1.05556 is 0.014 %, within the 0.05 mm a ruler tells.
// With 19/18 the marks miss by about +2 mm across and +3 mm down, which -2 mm (-7
// dots, -7 units) and -3 mm (-11 dots, -11 units) take back: mark 1 lands at unit
// 79 - 7 = 72 across, 20.0 mm, 0.21 mm right of its 19.79 mm, and as far low; mark
// 2 at 719 - 7 = 712 and 1079 - 11 = 1068, 0.05 mm right and 0.08 mm low.
TEST(Calibrate, HandWorkedPrinterThatPrintsSmallAndShifted) {
    const AdjustmentGroup printed{500, 500, 0, 0, "P"};
    const CalibrationResult result =
        calibrate(calibrationMarks(), printed, {QPointF(20.75, 21.75), QPointF(172.5, 258.75)});
    EXPECT_EQ(result.group, (AdjustmentGroup{19, 18, -3, -2, "P"}));
    EXPECT_NEAR(result.horizontalNumerator, 18.997, 0.001); // over 18
    EXPECT_NEAR(result.verticalNumerator, 18.997, 0.001);
    EXPECT_NEAR(result.expectedErrorMm, 0.211, 0.001);
    EXPECT_TRUE(result.notes.empty());
    const std::vector<std::string> lines = describeCalibration(result);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"プリンタ尺度：19／18", "印字位置縦：-3 mm　横：-2 mm",
                                        "予想される残りのずれ：最大 0.2 mm"}));
}

TEST(Calibrate, DirectionsThatDisagreeAreFittedTogetherAndTold) {
    // Down the page a unit is 0.2525 mm, 1 % more than across: across alone wants
    // 527.7, down alone 522.5; the longer vertical distance weighs more: 524.
    const CalibrationResult result = calibrate(calibrationMarks(), {500, 500, 0, 0, ""},
                                               {QPointF(20.75, 21.9375), QPointF(172.5, 261.3075)});
    EXPECT_EQ(result.group.numerator, 524);
    EXPECT_NEAR(result.verticalNumerator, 522.48, 0.01);
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("横と縦の尺度が 1.0 % 違います"), std::string::npos)
        << result.notes[0];
    // Half a percent apart is not worth a word.
    EXPECT_TRUE(calibrate(calibrationMarks(), {500, 500, 0, 0, ""},
                          {QPointF(20.75, 21.75), QPointF(172.5, 258.2)})
                    .notes.empty());
}

TEST(Calibrate, ShiftsBeyondTenMillimetresStopAtTheBoundAndAreTold) {
    // The marks of the hand-worked printer 15 mm further right and 12 mm higher.
    const CalibrationResult result = calibrate(calibrationMarks(), {500, 500, 0, 0, ""},
                                               {QPointF(35.75, 9.75), QPointF(187.5, 246.75)});
    EXPECT_EQ(result.group.horizontalOffset, -10);
    EXPECT_EQ(result.group.verticalOffset, 9); // 9 mm: within the range, no word
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("横の印字位置は -16.9 mm"), std::string::npos)
        << result.notes[0];
    EXPECT_NE(result.notes[0].find("-10 mm にしました"), std::string::npos);
    EXPECT_GT(result.expectedErrorMm, 6);
}

TEST(Calibrate, MeasurementsThatCannotBeRightChangeNothing) {
    struct Case {
        const char* why;
        AdjustmentGroup printed;
        MeasuredMarks measured;
        const char* message;
        int field; // the entry at fault, -1 for all of them
    };
    const Case cases[] = {
        {"marks swapped", {}, {QPointF(180, 270), QPointF(20, 20)}, "右下にありません", -1},
        {"swapped across only", {}, {QPointF(180, 20), QPointF(20, 270)}, "右下にありません", -1},
        {"one mark measured twice", {}, {QPointF(20, 20), QPointF(20, 20)}, "右下にありません", -1},
        {"decimal points lost",
         {},
         {QPointF(20.6, 19.8), QPointF(1810, 2703)},
         "「印2 左端から」の 1810.0 mm は用紙の幅 (210.0 mm) を超えています。",
         2},
        {"below the paper", {}, {QPointF(20, 20), QPointF(180, 297.5)}, "用紙の長さ", 3},
        // A tenth of the true distances: no printer prints that small.
        {"decimal points misplaced",
         {},
         {QPointF(2.1, 2.0), QPointF(18.1, 27.0)},
         "「印1 左端から」の 2.1 mm と「印2 左端から」の 18.1 mm では、二つの印の間が本来の "
         "160.2 mm の 0.10 倍",
         2},
        // 1/1000 draws both marks on the same unit: nothing to measure.
        {"marks on one unit",
         {1, 1000, 0, 0, ""},
         {QPointF(20, 20), QPointF(180, 270)},
         "重なって",
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        int field = -2;
        const std::string message =
            messageOf([&] { calibrate(calibrationMarks(), c.printed, c.measured); }, &field);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_EQ(field, c.field);
    }
}

TEST(ParseMeasurement, TheEntriesAClerkTypes) {
    struct Case {
        std::string text;
        double mm;           // when accepted
        const char* message; // when refused
    };
    const Case cases[] = {
        {"19.8", 19.8, nullptr},
        {" 270 ", 270, nullptr},
        {".5", 0.5, nullptr},
        {"0", 0, nullptr},
        {"5.", 5, nullptr},
        // As a Japanese input method types them.
        {"１９．８", 19.8, nullptr},
        {"　２７０　", 270, nullptr},
        {"－３", 0, "に負の値は入力できません。"},
        {".", 0, "は数値ではありません"},
        {"-", 0, "は数値ではありません"},
        {"- 3", 0, "は数値ではありません"},
        {"１９,８", 0, "は数値ではありません"},
        {"", 0, "「印2 上端から」を入力してください。"},
        {"   ", 0, "を入力してください。"},
        {"abc", 0, "「印2 上端から」の「abc」は数値ではありません。"},
        {"19,8", 0, "は数値ではありません"},
        {"1e3", 0, "は数値ではありません"},
        {"19.8.1", 0, "は数値ではありません"},
        {"-3.5", 0, "「印2 上端から」に負の値は入力できません。"},
        {std::string(400, '9'), 0, "は大きすぎます。"},
        // Far longer than any stack could follow character by character.
        {std::string(40000, '1'), 0, "は大きすぎます。"},
        {std::string(40000, '1') + "x", 0, "は数値ではありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (!c.message) {
            EXPECT_DOUBLE_EQ(parseMillimetres(c.text, 3), c.mm);
            continue;
        }
        int field = -1;
        const std::string message = messageOf([&] { parseMillimetres(c.text, 3); }, &field);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_EQ(field, 3);
    }
    int field = -1;
    messageOf([&] { parseMeasuredMarks({"20", "20", "", "270"}); }, &field);
    EXPECT_EQ(field, 2);
}

// Printers from 150 to 1,200 dpi, a few percent too small or too large and shifted
// by up to 8 mm. Each gets the sheet of a group never calibrated, which prints at
// its true size, or of a group made for another printer that prints it at half or
// twice the size: the marks land on the paper, and one print, one measurement and
// the second print put both marks within 0.6 mm of their places in each direction,
// or as close as the window promised, to the tenth of a millimetre a ruler reads.
TEST(CalibrationRoundTrip, OneSheetCalibratesAnyPrinter) {
    const QFont font(QStringLiteral("IPAGothic"));
    // No shift so far left or up that the first mark of a small print leaves the paper.
    const QPointF shifts[] = {{0, 0}, {8, 7.6}, {-5.45, 2.35}, {3.2, -5.1}, {-4.1, -3.9}};
    for (int dpi : {150, 180, 300, 360, 600, 1200})
        for (double groupScale : {0.0, 0.5, 2.0}) // 0: never calibrated
            for (double scale : {0.95, 1.0, 1.05})
                for (QPointF shift : shifts) {
                    SCOPED_TRACE(testing::Message()
                                 << dpi << " dpi, group at " << groupScale << ", scale " << scale
                                 << ", shift " << shift.x() << " / " << shift.y() << " mm");
                    const AdjustmentGroup given =
                        groupScale == 0
                            ? AdjustmentGroup{}
                            : AdjustmentGroup{500,
                                              static_cast<int>(std::lround(500 * 379 * 0.254 /
                                                                           (dpi * groupScale))),
                                              0, 1, ""};
                    SimulatedPrinter printer(dpi, scale, shift);
                    const CalibrationSheet first =
                        printCalibrationSheet(printer, given, kA4Mm, 1, font, Qt::black);
                    const std::vector<QPointF> measured = printer.crosses();
                    ASSERT_EQ(measured.size(), 2u);
                    EXPECT_LT(measured[1].x(), kA4Mm.width());
                    EXPECT_LT(measured[1].y(), kA4Mm.height());
                    const CalibrationResult result =
                        calibrate(first.marks, first.printedWith, measuredAsTyped(measured));

                    // The second sheet's marks may stand elsewhere than the ones
                    // measured, rounded afresh to the printer's units.
                    const double halfUnitMm = 25.4 / dpi / 2;
                    const CalibrationSheet second =
                        printCalibrationSheet(printer, result.group, kA4Mm, 1, font, Qt::black);
                    const std::vector<QPointF> landed = printer.crosses();
                    ASSERT_EQ(landed.size(), 2u);
                    for (std::size_t i = 0; i < 2; ++i) {
                        const QPointF miss = landed[i] - placeOf(second.marks.dots[i]);
                        EXPECT_LT(std::max(std::abs(miss.x()), std::abs(miss.y())),
                                  std::max(0.6, result.expectedErrorMm + 0.1) + halfUnitMm)
                            << result.group.numerator << "/" << result.group.denominator << " mark "
                            << i + 1 << " misses by " << miss.x() << ", " << miss.y();
                    }
                }
}

TEST(CalibrationSheet, ShowsWhatPrintedItAndWhereEachMarkBelongs) {
    SimulatedPrinter printer(360, 1, QPointF());
    printCalibrationSheet(printer, {999, 267, -2, 3, sj("事務所")}, kA4Mm, 2,
                          QFont(QStringLiteral("IPAGothic")), Qt::black);
    EXPECT_TRUE(printer.findText(
        QStringLiteral("グループ 2　プリンタ尺度 999／267　印字位置 縦 -2 mm　横 3 mm")));
    EXPECT_TRUE(printer.findText(QStringLiteral("プリンタ：Simulated")));
    EXPECT_TRUE(printer.findText(QStringLiteral("印1　左端から 19.8 mm　上端から 19.8 mm")));
    EXPECT_TRUE(printer.findText(QStringLiteral("印2　左端から 179.9 mm　上端から 269.9 mm")));
    // Two rulers of 50 mm: a base and 51 ticks each, numbered every 10 mm.
    EXPECT_EQ(printer.rects.size(), 2u * 2 + 2 * 52);
    EXPECT_TRUE(printer.findText(QStringLiteral("50")));
}

} // namespace
} // namespace mivora::test
