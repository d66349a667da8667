#include "print/calibrationsheet.h"

#include "print/printrun.h"
#include "text/codec.h"

#include <algorithm>
#include <cmath>

namespace mivora {

namespace {

constexpr double kLineMm = 0.2;
constexpr double kArmMm = 8;     // each arm of a cross, from its centre
constexpr int kRulerMm = 50;     // a ruler's length
constexpr int kMarkTextSize = 9; // points
constexpr int kHeadingSize = 14;
constexpr int kBodySize = 10;

// Draws at the group's scale: lengths in layout millimetres become device units as
// the print run scales layout dots.
class SheetDrawing {
  public:
    SheetDrawing(PrintCanvas& canvas, const AdjustmentGroup& group, QFont font, QColor colour)
        : canvas_(canvas), font_(std::move(font)), colour_(colour),
          unitsPerMm_(group.numerator / layoutMillimetres(group.denominator)),
          line_(std::max(1, units(kLineMm))) {}

    int units(double mm) const { return static_cast<int>(std::lround(mm * unitsPerMm_)); }

    QPoint beside(QPoint from, double rightMm, double downMm) const {
        return from + QPoint(units(rightMm), units(downMm));
    }

    // Two bars of the same thickness crossing at the centre.
    void cross(QPoint centre) {
        const int arm = units(kArmMm);
        canvas_.fillRect(QRect(centre.x() - arm, centre.y() - line_ / 2, 2 * arm + 1, line_),
                         colour_);
        canvas_.fillRect(QRect(centre.x() - line_ / 2, centre.y() - arm, line_, 2 * arm + 1),
                         colour_);
    }

    // A millimetre ruler hanging from its top-left end: ticks every millimetre,
    // longer every five and ten, numbered every ten.
    void ruler(QPoint start) {
        canvas_.fillRect(QRect(start.x(), start.y(), units(kRulerMm) + line_, line_), colour_);
        for (int mm = 0; mm <= kRulerMm; ++mm) {
            const double length = mm % 10 == 0 ? 3.5 : mm % 5 == 0 ? 2.5 : 1.5;
            const int x = start.x() + units(mm);
            canvas_.fillRect(QRect(x, start.y(), line_, units(length)), colour_);
            if (mm % 10 == 0)
                number(beside(QPoint(x, start.y()), 0, 4), std::to_string(mm));
        }
    }

    void text(QPoint topLeft, int pointSize, const std::string& utf8) {
        font_.setPointSize(pointSize);
        canvas_.drawText(topLeft, font_, colour_, QString::fromStdString(utf8));
    }

  private:
    // Centred under the point.
    void number(QPoint top, const std::string& digits) {
        font_.setPointSize(6);
        const double width = canvas_.zeroWidth(font_) * static_cast<double>(digits.size());
        canvas_.drawText(top - QPoint(static_cast<int>(width / 2), 0), font_, colour_,
                         QString::fromStdString(digits));
    }

    PrintCanvas& canvas_;
    QFont font_;
    QColor colour_;
    double unitsPerMm_;
    int line_;
};

std::string markText(int number, QPoint dots) {
    return "印" + std::to_string(number) + "　左端から " +
           millimetreText(layoutMillimetres(dots.x())) + " mm　上端から " +
           millimetreText(layoutMillimetres(dots.y())) + " mm";
}

std::string valuesText(const AdjustmentGroup& group, int groupNumber) {
    return "グループ " + std::to_string(groupNumber) + "　プリンタ尺度 " +
           std::to_string(group.numerator) + "／" + std::to_string(group.denominator) +
           "　印字位置 縦 " + std::to_string(group.verticalOffset) + " mm　横 " +
           std::to_string(group.horizontalOffset) + " mm";
}

// A printer name without a Shift-JIS form cannot be shown in CP932 and is left out.
std::string shownPrinterName(const std::string& cp932) {
    try {
        return toUtf8(cp932);
    } catch (const ConversionError&) {
        return {};
    }
}

} // namespace

CalibrationSheet printCalibrationSheet(PrintDevice& device, const AdjustmentGroup& givenGroup,
                                       QSizeF paperMm, int groupNumber, const QFont& font,
                                       const QColor& colour) {
    const CalibrationSheet printed = calibrationSheet(givenGroup, device.dotsPerInch(), paperMm);
    const CalibrationMarks& marks = printed.marks;
    const AdjustmentGroup& group = printed.printedWith;
    const QPoint first = devicePosition(marks.dots[0].x(), marks.dots[0].y(), group);
    const QPoint second = devicePosition(marks.dots[1].x(), marks.dots[1].y(), group);
    const std::string printer = shownPrinterName(device.printerName());
    sendPage(device, [&](PrintCanvas& canvas) {
        SheetDrawing sheet(canvas, group, font, colour);
        sheet.cross(first);
        sheet.text(sheet.beside(first, 12, -4), kMarkTextSize, markText(1, marks.dots[0]));
        sheet.ruler(sheet.beside(first, 12, 1));
        sheet.cross(second);
        sheet.text(sheet.beside(second, -80, -24), kMarkTextSize, markText(2, marks.dots[1]));
        sheet.ruler(sheet.beside(second, -80, -18));

        const QPoint heading = sheet.beside(first, 0, 30);
        sheet.text(heading, kHeadingSize, "印刷位置の調整用紙");
        sheet.text(sheet.beside(heading, 0, 9), kBodySize, valuesText(group, groupNumber));
        sheet.text(sheet.beside(heading, 0, 15), kBodySize, "プリンタ：" + printer);
        sheet.text(sheet.beside(heading, 0, 24), kBodySize,
                   "二つの十字の中心から用紙の左端と上端までの距離を 0.1 mm 単位で測り、");
        sheet.text(sheet.beside(heading, 0, 30), kBodySize,
                   "「実測値を入力」に入力してください。定規は尺度が合っていれば 50 mm です。");
    });
    return printed;
}

} // namespace mivora
