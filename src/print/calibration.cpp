#include "print/calibration.h"

#include "print/printrun.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <regex>

namespace mivora {

namespace {

constexpr int kDotsPer100Mm = 379;
// Where the marks sit on A4; other paper takes the same fractions.
constexpr QPointF kMark1OnA4{20, 20};
constexpr QPointF kMark2OnA4{180, 270};
// Directions whose scales differ by more than this are worth a word to the clerk.
constexpr double kScaleSpreadNoted = 0.005;

const char* const kFieldNames[] = {"印1 左端から", "印1 上端から", "印2 左端から", "印2 上端から"};

int wholeMillimetresToDots(double mm) {
    return static_cast<int>(std::lround(mm)) * kDotsPer100Mm / 100;
}

QPoint markDots(QPointF onA4, QSizeF paperMm) {
    return {wholeMillimetresToDots(onA4.x() / kA4Mm.width() * paperMm.width()),
            wholeMillimetresToDots(onA4.y() / kA4Mm.height() * paperMm.height())};
}

enum class Axis { Horizontal, Vertical };

int along(QPoint point, Axis axis) {
    return axis == Axis::Horizontal ? point.x() : point.y();
}

double along(QPointF point, Axis axis) {
    return axis == Axis::Horizontal ? point.x() : point.y();
}

// One direction of the paper as the printer drew the sheet: millimetres from the
// edge = edge + perUnit × device unit, through the two marks.
struct AxisLine {
    double perUnit;
    double edge;

    double at(int unit) const { return edge + perUnit * unit; }
};

AxisLine lineThrough(const CalibrationMarks& marks, const AdjustmentGroup& printedWith,
                     const MeasuredMarks& measured, Axis axis) {
    const int first =
        along(devicePosition(marks.dots[0].x(), marks.dots[0].y(), printedWith), axis);
    const int second =
        along(devicePosition(marks.dots[1].x(), marks.dots[1].y(), printedWith), axis);
    if (second <= first)
        throw MeasurementError("尺度が小さすぎて、調整用紙の二つの印が重なっています。尺度の左側を"
                               "大きくしてから調整用紙を印刷し直してください。",
                               -1);
    const double perUnit = (along(measured[1], axis) - along(measured[0], axis)) / (second - first);
    return {perUnit, along(measured[0], axis) - perUnit * first};
}

// Where the marks would land with a group, less where they belong; mm.
std::array<double, 2> misses(const CalibrationMarks& marks, const AxisLine& line,
                             const AdjustmentGroup& group, Axis axis) {
    std::array<double, 2> result;
    for (std::size_t i = 0; i < 2; ++i) {
        const QPoint at = devicePosition(marks.dots[i].x(), marks.dots[i].y(), group);
        result[i] = line.at(along(at, axis)) - layoutMillimetres(along(marks.dots[i], axis));
    }
    return result;
}

void requireOrder(const MeasuredMarks& measured) {
    if (measured[1].x() <= measured[0].x() || measured[1].y() <= measured[0].y())
        throw MeasurementError("印2 (右下) が 印1 (左上) より右下にありません。印1 を左上の十字、"
                               "印2 を右下の十字として測った値を入力してください。",
                               -1);
}

// The numerator for the group's denominator that sets the mark distance of one
// direction (or the best for both, weighted by length) to its true size. On the
// paper a distance is perUnit × dots × numerator / denominator.
struct DistanceFit {
    double product = 0; // Σ printed-per-numerator × intended
    double square = 0;  // Σ printed-per-numerator²

    void add(const CalibrationMarks& marks, const AxisLine& line, int denominator, Axis axis) {
        const int dots = along(marks.dots[1], axis) - along(marks.dots[0], axis);
        const double perNumerator = line.perUnit * dots / denominator;
        product += perNumerator * layoutMillimetres(dots);
        square += perNumerator * perNumerator;
    }
    double numerator() const { return product / square; }
};

// The offset of one direction whose marks land closest to their places; a shift
// beyond the range is taken as far as the range goes and noted.
int bestOffset(const CalibrationMarks& marks, const AxisLine& line, AdjustmentGroup group,
               Axis axis, std::vector<std::string>& notes) {
    int& offset = axis == Axis::Horizontal ? group.horizontalOffset : group.verticalOffset;
    auto squaredMiss = [&](int value) {
        offset = value;
        const auto miss = misses(marks, line, group, axis);
        return miss[0] * miss[0] + miss[1] * miss[1];
    };
    int best = kOffsetRange.min;
    double bestMiss = squaredMiss(best);
    for (int value = kOffsetRange.min + 1; value <= kOffsetRange.max; ++value)
        if (const double miss = squaredMiss(value); miss < bestMiss) {
            best = value;
            bestMiss = miss;
        }

    offset = 0;
    const auto unshifted = misses(marks, line, group, axis);
    const double perMillimetre =
        line.perUnit * kDotsPer100Mm / 100.0 * group.numerator / group.denominator;
    const double needed = -(unshifted[0] + unshifted[1]) / 2 / perMillimetre;
    if (std::lround(needed) < kOffsetRange.min || std::lround(needed) > kOffsetRange.max)
        notes.push_back(std::string(axis == Axis::Horizontal ? "横" : "縦") + "の印字位置は " +
                        millimetreText(needed) +
                        " mm ずらす必要がありますが、-10～10 mm "
                        "を超えるため " +
                        std::to_string(best) + " mm にしました。");
    return best;
}

} // namespace

CalibrationMarks calibrationMarks(QSizeF paperMm) {
    return {paperMm, {markDots(kMark1OnA4, paperMm), markDots(kMark2OnA4, paperMm)}};
}

double layoutMillimetres(int dots) {
    return dots * 100.0 / kDotsPer100Mm;
}

// Both ways without the C locale, which the desktop may set to a decimal comma.
std::string millimetreText(double mm) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, mm, std::chars_format::fixed, 1);
    return std::string(text, written.ptr);
}

std::string measurementFieldName(int field) {
    return kFieldNames[field];
}

double parseMillimetres(const std::string& text, int field) {
    static const std::regex number(R"(\s*(-?)(\d+(\.\d*)?|\.\d+)\s*)");
    static const std::regex blank(R"(\s*)");
    const std::string name = "「" + measurementFieldName(field) + "」";
    std::smatch match;
    if (std::regex_match(text, blank))
        throw MeasurementError(name + "を入力してください。", field);
    if (!std::regex_match(text, match, number))
        throw MeasurementError(name + "の「" + text +
                                   "」は数値ではありません。12.3 のように mm で入力してください。",
                               field);
    const std::string digits = match[2].str();
    double value = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc())
        throw MeasurementError(name + "の「" + text + "」は大きすぎます。", field);
    if (match[1].length() > 0 && value > 0)
        throw MeasurementError(
            name + "に負の値は入力できません。用紙の端から十字の中心までの距離を入力してください。",
            field);
    return value;
}

MeasuredMarks parseMeasuredMarks(const std::array<std::string, 4>& texts) {
    std::array<double, 4> mm;
    for (int field = 0; field < 4; ++field)
        mm[field] = parseMillimetres(texts[field], field);
    return {QPointF(mm[0], mm[1]), QPointF(mm[2], mm[3])};
}

CalibrationResult calibrate(const CalibrationMarks& marks, const AdjustmentGroup& printedWith,
                            const MeasuredMarks& measured) {
    requireOrder(measured);
    const AxisLine horizontal = lineThrough(marks, printedWith, measured, Axis::Horizontal);
    const AxisLine vertical = lineThrough(marks, printedWith, measured, Axis::Vertical);

    CalibrationResult result{printedWith, 0, 0, 0, {}};
    DistanceFit across, down, both;
    across.add(marks, horizontal, printedWith.denominator, Axis::Horizontal);
    down.add(marks, vertical, printedWith.denominator, Axis::Vertical);
    both.add(marks, horizontal, printedWith.denominator, Axis::Horizontal);
    both.add(marks, vertical, printedWith.denominator, Axis::Vertical);
    result.horizontalNumerator = across.numerator();
    result.verticalNumerator = down.numerator();

    const long long numerator = std::llround(both.numerator());
    if (numerator < kScaleRange.min || numerator > kScaleRange.max)
        throw MeasurementError(
            "この測定値では尺度の左側が " + std::to_string(numerator) +
                " になり、1～1000 の範囲を超えます。測り方を確かめるか、尺度の右側を" +
                (numerator > kScaleRange.max ? "小さく" : "大きく") +
                "して調整用紙を印刷し直してください。",
            -1);
    result.group.numerator = static_cast<int>(numerator);

    const double spread = result.horizontalNumerator / result.verticalNumerator - 1;
    if (std::abs(spread) > kScaleSpreadNoted)
        result.notes.push_back(
            "横と縦の尺度が " + millimetreText(std::abs(spread) * 100) +
            " % 違います (横だけなら " + std::to_string(std::lround(result.horizontalNumerator)) +
            "、縦だけなら " + std::to_string(std::lround(result.verticalNumerator)) +
            ")。両方に最も近い値にしました。");
    result.group.horizontalOffset =
        bestOffset(marks, horizontal, result.group, Axis::Horizontal, result.notes);
    result.group.verticalOffset =
        bestOffset(marks, vertical, result.group, Axis::Vertical, result.notes);

    const auto missAcross = misses(marks, horizontal, result.group, Axis::Horizontal);
    const auto missDown = misses(marks, vertical, result.group, Axis::Vertical);
    for (std::size_t i = 0; i < 2; ++i)
        result.expectedErrorMm =
            std::max(result.expectedErrorMm, std::hypot(missAcross[i], missDown[i]));
    return result;
}

std::vector<std::string> describeCalibration(const CalibrationResult& result) {
    const AdjustmentGroup& group = result.group;
    std::vector<std::string> lines = {
        "プリンタ尺度：" + std::to_string(group.numerator) + "／" +
            std::to_string(group.denominator),
        "印字位置縦：" + std::to_string(group.verticalOffset) + " mm　横：" +
            std::to_string(group.horizontalOffset) + " mm",
        "予想される残りのずれ：最大 " + millimetreText(result.expectedErrorMm) + " mm"};
    lines.insert(lines.end(), result.notes.begin(), result.notes.end());
    return lines;
}

} // namespace mivora
