#include "print/calibration.h"

#include "print/printrun.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

namespace mivora {

namespace {

constexpr int kDotsPer100Mm = 379;
// Where the marks sit on A4; other paper takes the same fractions.
constexpr QPointF kMark1OnA4{20, 20};
constexpr QPointF kMark2OnA4{180, 270};
// Directions whose scales differ by more than this are worth a word to the clerk.
constexpr double kScaleSpreadNoted = 0.005;
// The smallest a sheet comes out against the size its group means it to have: on
// a printer of eight times the resolution the group was made for (2,880 dpi for
// the 360 dpi of the defaults). Smaller, a value was mistyped or mismeasured. A
// sheet too large shows its marks beyond the paper.
constexpr double kSmallestPrint = 1.0 / 8;
// Half the tenth of a millimetre the clerk reads off a ruler: a scale that moves a
// mark less than this over the marks' distance is as right as can be told.
constexpr double kReadingMm = 0.05;

const char* const kFieldNames[] = {"印1 左端から", "印1 上端から", "印2 左端から", "印2 上端から"};

// Without the C locale, which the desktop may set to a decimal comma.
std::string fixedText(double value, int places) {
    char text[32];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, places);
    return std::string(text, written.ptr);
}

int wholeMillimetresToDots(double mm) {
    return static_cast<int>(std::lround(mm)) * kDotsPer100Mm / 100;
}

QPoint markDots(QPointF onA4, QSizeF paperMm, double printScale) {
    return {wholeMillimetresToDots(onA4.x() / kA4Mm.width() * paperMm.width() / printScale),
            wholeMillimetresToDots(onA4.y() / kA4Mm.height() * paperMm.height() / printScale)};
}

// A layout dot is a 3.79th of a millimetre: 96.266 dots to the inch.
constexpr double kLayoutDotsPerInch = kDotsPer100Mm * 25.4 / 100;

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

Axis axisOf(int field) {
    return field % 2 == 0 ? Axis::Horizontal : Axis::Vertical;
}

double measuredValue(const MeasuredMarks& measured, int field) {
    return along(measured[static_cast<std::size_t>(field / 2)], axisOf(field));
}

std::string fieldValueText(const MeasuredMarks& measured, int field) {
    return "「" + measurementFieldName(field) + "」の " +
           millimetreText(measuredValue(measured, field)) + " mm";
}

// A centre beyond the paper's edge was mistyped, most often by a lost decimal point.
void requireOnPaper(const CalibrationMarks& marks, const MeasuredMarks& measured) {
    for (int field = 0; field < 4; ++field) {
        const bool across = axisOf(field) == Axis::Horizontal;
        const double edge = across ? marks.paperMm.width() : marks.paperMm.height();
        if (measuredValue(measured, field) > edge)
            throw MeasurementError(fieldValueText(measured, field) + " は用紙の" +
                                       (across ? "幅" : "長さ") + " (" + millimetreText(edge) +
                                       " mm) を超えています。測り直すか、小数点の位置を"
                                       "確かめてください。",
                                   field);
    }
}

// How large the sheet came out against the size its group meant it to have. A size
// no printer gives names the two values that made it.
void requirePlausibleSize(const CalibrationMarks& marks, const MeasuredMarks& measured) {
    for (int first : {0, 1}) {
        const Axis axis = axisOf(first);
        const double intended =
            layoutMillimetres(along(marks.dots[1], axis) - along(marks.dots[0], axis));
        const double size = (along(measured[1], axis) - along(measured[0], axis)) / intended;
        if (size < kSmallestPrint)
            throw MeasurementError(
                fieldValueText(measured, first) + " と" + fieldValueText(measured, first + 2) +
                    " では、二つの印の間が本来の " + millimetreText(intended) + " mm の " +
                    fixedText(size, 2) +
                    " 倍に印刷されたことになり、プリンタの違いでは説明できません。測り直すか、"
                    "小数点の位置を確かめてください。",
                first + 2);
    }
}

// The scale (device units per layout dot) that sets the mark distance of one
// direction, or the best for both weighted by length, to its true size. On the
// paper a distance is perUnit × dots × scale.
struct ScaleFit {
    double product = 0; // Σ printed-per-scale × intended
    double square = 0;  // Σ printed-per-scale²

    void add(const CalibrationMarks& marks, const AxisLine& line, Axis axis) {
        const int dots = along(marks.dots[1], axis) - along(marks.dots[0], axis);
        const double perScale = line.perUnit * dots;
        product += perScale * layoutMillimetres(dots);
        square += perScale * perScale;
    }
    double scale() const { return product / square; }
};

struct Fitted {
    AdjustmentGroup group;
    double errorMm; // how far from its place, in either direction, the worse mark lands
};

// The whole-millimetre offset of one direction that brings the worse mark nearest
// its place in that direction; how near.
double bestOffset(const CalibrationMarks& marks, const AxisLine& line, AdjustmentGroup& group,
                  Axis axis) {
    int& offset = axis == Axis::Horizontal ? group.horizontalOffset : group.verticalOffset;
    int best = kOffsetRange.min;
    double bestMiss = std::numeric_limits<double>::infinity();
    for (offset = kOffsetRange.min; offset <= kOffsetRange.max; ++offset) {
        const auto miss = misses(marks, line, group, axis);
        if (const double worse = std::max(std::abs(miss[0]), std::abs(miss[1])); worse < bestMiss) {
            best = offset;
            bestMiss = worse;
        }
    }
    offset = best;
    return bestMiss;
}

// A mark's error is its larger miss of the two directions, so the worse mark is
// nearest when each direction is.
Fitted withBestOffsets(const CalibrationMarks& marks, const AxisLine& horizontal,
                       const AxisLine& vertical, AdjustmentGroup group) {
    const double across = bestOffset(marks, horizontal, group, Axis::Horizontal);
    const double down = bestOffset(marks, vertical, group, Axis::Vertical);
    return {group, std::max(across, down)};
}

// The fraction within the ranges for the scale, with its best offsets. Fractions
// nearer to the scale than a ruler tells over the marks' distance all serve, and
// the one whose worse mark lands nearest its place is taken; at a tie the sheet's
// denominator, so a clerk who adjusts by hand sees only the left side change, else
// the smallest. Only if none is that near, the nearest.
Fitted bestFraction(const CalibrationMarks& marks, const AxisLine& horizontal,
                    const AxisLine& vertical, const AdjustmentGroup& printedWith, double scale,
                    double tolerance) {
    std::optional<Fitted> best;
    AdjustmentGroup nearest = printedWith;
    double nearestError = std::numeric_limits<double>::infinity();
    auto better = [&](const Fitted& fitted) {
        return !best || fitted.errorMm < best->errorMm ||
               (fitted.errorMm == best->errorMm &&
                fitted.group.denominator == printedWith.denominator);
    };
    for (int denominator = kScaleRange.min; denominator <= kScaleRange.max; ++denominator) {
        AdjustmentGroup group = printedWith;
        group.numerator = kScaleRange.clamp(std::llround(scale * denominator));
        group.denominator = denominator;
        const double error = std::abs(group.numerator / (scale * denominator) - 1);
        if (error < nearestError) {
            nearest = group;
            nearestError = error;
        }
        if (error > tolerance)
            continue;
        const Fitted fitted = withBestOffsets(marks, horizontal, vertical, group);
        if (better(fitted))
            best = fitted;
    }
    return best ? *best : withBestOffsets(marks, horizontal, vertical, nearest);
}

// A shift the offset range cannot take was taken as far as it goes; the clerk is
// told how far it should have gone.
void noteShiftBeyondRange(const CalibrationMarks& marks, const AxisLine& line,
                          AdjustmentGroup group, Axis axis, std::vector<std::string>& notes) {
    int& offset = axis == Axis::Horizontal ? group.horizontalOffset : group.verticalOffset;
    const int chosen = std::exchange(offset, 0);
    const auto unshifted = misses(marks, line, group, axis);
    const double perMillimetre =
        line.perUnit * kDotsPer100Mm / 100.0 * group.numerator / group.denominator;
    const double needed = -(unshifted[0] + unshifted[1]) / 2 / perMillimetre;
    if (std::lround(needed) < kOffsetRange.min || std::lround(needed) > kOffsetRange.max)
        notes.push_back(std::string(axis == Axis::Horizontal ? "横" : "縦") + "の印字位置は " +
                        millimetreText(needed) +
                        " mm ずらす必要がありますが、-10～10 mm "
                        "を超えるため " +
                        std::to_string(chosen) + " mm にしました。");
}

// What a Japanese input method types for a number, full-width digits, minus, point
// and blank, read as the half-width characters; anything else stays to be refused.
std::string halfWidth(std::string_view text) {
    static const std::pair<std::string_view, char> kFullWidth[] = {
        {"－", '-'}, {"−", '-'}, {"．", '.'}, {"　", ' '}};
    constexpr std::string_view kFullWidthZero = "０"; // ０ to ９ differ in the last byte
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::string_view rest = text.substr(at);
        const unsigned char last = rest.size() >= 3 ? static_cast<unsigned char>(rest[2]) : 0;
        const auto zero = static_cast<unsigned char>(kFullWidthZero[2]);
        if (rest.starts_with(kFullWidthZero.substr(0, 2)) && last >= zero && last < zero + 10) {
            result += static_cast<char>('0' + (last - zero));
            at += kFullWidthZero.size();
            continue;
        }
        const auto* found =
            std::find_if(std::begin(kFullWidth), std::end(kFullWidth),
                         [&](const auto& pair) { return rest.starts_with(pair.first); });
        if (found != std::end(kFullWidth)) {
            result += found->second;
            at += found->first.size();
            continue;
        }
        result += text[at++];
    }
    return result;
}

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view withoutBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t leadingDigits(std::string_view text) {
    std::size_t count = 0;
    while (count < text.size() && text[count] >= '0' && text[count] <= '9')
        ++count;
    return count;
}

// An optional minus, then digits with an optional decimal part ("12", "12.", "12.3")
// or a point and digits (".5"). Read one character at a time, so no length of
// entry can exhaust the stack.
struct DecimalText {
    bool negative;
    std::string_view digits;
};

std::optional<DecimalText> decimalText(std::string_view entry) {
    const bool negative = entry.starts_with('-');
    const std::string_view digits = entry.substr(negative ? 1 : 0);
    const std::size_t whole = leadingDigits(digits);
    std::size_t length = whole;
    if (length < digits.size() && digits[length] == '.') {
        const std::size_t fraction = leadingDigits(digits.substr(length + 1));
        if (whole == 0 && fraction == 0)
            return std::nullopt;
        length += 1 + fraction;
    }
    if (whole == 0 && length == 0)
        return std::nullopt;
    if (length != digits.size())
        return std::nullopt;
    return DecimalText{negative, digits};
}

} // namespace

CalibrationMarks calibrationMarks(QSizeF paperMm, double printScale) {
    return {paperMm,
            {markDots(kMark1OnA4, paperMm, printScale), markDots(kMark2OnA4, paperMm, printScale)}};
}

AdjustmentGroup groupForResolution(const AdjustmentGroup& group, int dotsPerInch) {
    const AdjustmentGroup initial;
    if (dotsPerInch <= 0 || group.numerator != initial.numerator ||
        group.denominator != initial.denominator)
        return group;
    AdjustmentGroup trueSize = group;
    trueSize.denominator =
        kScaleRange.clamp(std::llround(initial.numerator * kLayoutDotsPerInch / dotsPerInch));
    return trueSize;
}

double printScale(const AdjustmentGroup& group, int dotsPerInch) {
    return static_cast<double>(group.numerator) / group.denominator * kLayoutDotsPerInch /
           dotsPerInch;
}

CalibrationSheet calibrationSheet(const AdjustmentGroup& group, int dotsPerInch, QSizeF paperMm) {
    const AdjustmentGroup printedWith = groupForResolution(group, dotsPerInch);
    return {calibrationMarks(paperMm, printScale(printedWith, dotsPerInch)), printedWith};
}

double layoutMillimetres(int dots) {
    return dots * 100.0 / kDotsPer100Mm;
}

std::string millimetreText(double mm) {
    return fixedText(mm, 1);
}

std::string measurementFieldName(int field) {
    return kFieldNames[field];
}

double parseMillimetres(const std::string& text, int field) {
    const std::string name = "「" + measurementFieldName(field) + "」";
    const std::string typed = halfWidth(text);
    const std::string_view entry = withoutBlanks(typed);
    if (entry.empty())
        throw MeasurementError(name + "を入力してください。", field);
    const std::optional<DecimalText> number = decimalText(entry);
    if (!number)
        throw MeasurementError(name + "の「" + text +
                                   "」は数値ではありません。12.3 のように mm で入力してください。",
                               field);
    double value = 0;
    const std::string_view digits = number->digits;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc())
        throw MeasurementError(name + "の「" + text + "」は大きすぎます。", field);
    if (number->negative && value > 0)
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
    requireOnPaper(marks, measured);
    requireOrder(measured);
    requirePlausibleSize(marks, measured);
    const AxisLine horizontal = lineThrough(marks, printedWith, measured, Axis::Horizontal);
    const AxisLine vertical = lineThrough(marks, printedWith, measured, Axis::Vertical);

    ScaleFit across, down, both;
    across.add(marks, horizontal, Axis::Horizontal);
    down.add(marks, vertical, Axis::Vertical);
    both.add(marks, horizontal, Axis::Horizontal);
    both.add(marks, vertical, Axis::Vertical);
    const double scale = both.scale();
    if (scale > kScaleRange.max || scale * kScaleRange.max < kScaleRange.min)
        throw MeasurementError("この測定値ではプリンタ尺度が 1／1000～1000／1 の範囲を超えます。"
                               "測り方を確かめるか、尺度を変えて調整用紙を印刷し直してください。",
                               -1);

    const double longest = layoutMillimetres(
        std::max(marks.dots[1].x() - marks.dots[0].x(), marks.dots[1].y() - marks.dots[0].y()));
    const Fitted fitted =
        bestFraction(marks, horizontal, vertical, printedWith, scale, kReadingMm / longest);
    CalibrationResult result{fitted.group,
                             across.scale() * fitted.group.denominator,
                             down.scale() * fitted.group.denominator,
                             fitted.errorMm,
                             {}};
    const double spread = across.scale() / down.scale() - 1;
    if (std::abs(spread) > kScaleSpreadNoted)
        result.notes.push_back(
            "横と縦の尺度が " + millimetreText(std::abs(spread) * 100) +
            " % 違います (横だけなら " + std::to_string(std::lround(result.horizontalNumerator)) +
            "、縦だけなら " + std::to_string(std::lround(result.verticalNumerator)) +
            ")。両方に最も近い値にしました。");
    noteShiftBeyondRange(marks, horizontal, result.group, Axis::Horizontal, result.notes);
    noteShiftBeyondRange(marks, vertical, result.group, Axis::Vertical, result.notes);
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
