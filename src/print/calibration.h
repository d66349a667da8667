#pragma once
// Printer calibration: a sheet with two cross marks far apart is printed with an
// adjustment group's values, the clerk measures where the marks landed, and the
// measurements give the group's scale (numerator and denominator) and its two
// offsets. Each axis of the paper is taken as a straight line from device units to
// millimetres, found from the two marks; the new values are the ones whose marks
// land closest to their places on that line, computed with the print run's own
// integer positions. One sheet is enough whatever the printer's resolution.

#include "session/printeradjustment.h"
#include "text/errors.h"

#include <QPoint>
#include <QPointF>
#include <QSizeF>

#include <array>
#include <string>
#include <vector>

namespace mivora {

// The marks of a sheet on its paper: mark 1 near the top-left corner, mark 2 near
// the bottom-right one, at whole millimetres of the layout in layout dots.
struct CalibrationMarks {
    QSizeF paperMm;
    std::array<QPoint, 2> dots;

    friend bool operator==(const CalibrationMarks&, const CalibrationMarks&) = default;
};

inline constexpr QSizeF kA4Mm{210, 297};

// 20 mm / 20 mm and 180 mm / 270 mm on A4, at the same fractions on other paper,
// where a group that prints printScale times true size puts them.
CalibrationMarks calibrationMarks(QSizeF paperMm = kA4Mm, double printScale = 1);

// The resolution the initial group (1000／267) was made for: there it prints true.
inline constexpr int kInitialGroupDotsPerInch = 360;

// The group as a printer of the given resolution prints it. A group never
// calibrated (still 1000／267) takes the fraction that prints true size there, so
// that the first print and the first calibration sheet on a 180 or 300 dpi printer
// are not twice or 1.2 times too large; a calibrated group prints as it stands.
AdjustmentGroup groupForResolution(const AdjustmentGroup& group, int dotsPerInch);

// How many times true size the group prints on a printer of that resolution.
double printScale(const AdjustmentGroup& group, int dotsPerInch);

// A calibration sheet as a printer makes it: its marks, and the values it is
// printed with, which the measurements are taken against.
struct CalibrationSheet {
    CalibrationMarks marks;
    AdjustmentGroup printedWith;
};

// The sheet of a group on a printer of that resolution and paper. Its marks land
// at their places on the paper whatever the group's scale there, so that a group
// made for another printer (half or twice the size) can still be measured.
CalibrationSheet calibrationSheet(const AdjustmentGroup& group, int dotsPerInch, QSizeF paperMm);

// Where a layout position lies from the paper's edge when the printer is true, mm.
double layoutMillimetres(int dots);

// Millimetres as the clerk reads and types them: one decimal ("19.8").
std::string millimetreText(double mm);

// A measurement the clerk typed that cannot be used; field is the entry at fault
// (0 to 3: mark 1 left, mark 1 top, mark 2 left, mark 2 top), -1 for all of them.
class MeasurementError : public Error {
  public:
    MeasurementError(const std::string& message, int field) : Error(message), field(field) {}
    int field;
};

// The centres of the two marks, measured in mm from the paper's left and top edges.
using MeasuredMarks = std::array<QPointF, 2>;

// The name of an entry as the clerk sees it ("印1 左端から"), UTF-8.
std::string measurementFieldName(int field);

// One entry as typed: digits with an optional decimal point, full-width ones as a
// Japanese input method types them too; blanks around it are ignored. Throws
// MeasurementError for an empty, non-numeric, negative or unreadably large entry.
double parseMillimetres(const std::string& text, int field);

// The four entries in the order of measurementFieldName.
MeasuredMarks parseMeasuredMarks(const std::array<std::string, 4>& texts);

struct CalibrationResult {
    AdjustmentGroup group;      // the new values; the printer name kept
    double horizontalNumerator; // what each direction alone would take over group's denominator
    double verticalNumerator;
    double expectedErrorMm;         // how far from its place the worse mark should land
    std::vector<std::string> notes; // UTF-8: directions that disagree, shifts beyond range
};

// The values for the group that printed the sheet. Throws MeasurementError when a
// mark lies beyond the paper, the marks are in the wrong order, the sheet came out
// smaller than any printer makes it (under 1/8 of what the group meant), or
// its marks were printed on one spot by a scale too small to measure.
CalibrationResult calibrate(const CalibrationMarks& marks, const AdjustmentGroup& printedWith,
                            const MeasuredMarks& measured);

// The result as lines for the clerk (UTF-8): the values, the expected error, the
// notes.
std::vector<std::string> describeCalibration(const CalibrationResult& result);

} // namespace mivora
