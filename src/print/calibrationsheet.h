#pragma once
// The calibration sheet on paper: each mark a cross with a short ruler beside it
// and the distances it should measure, and a heading with the group, its values
// and the printer. Every position goes through devicePosition with the group's
// values, as the items of a layout do, so the sheet lands as a layout would.

#include "print/calibration.h"
#include "print/canvas.h"

namespace mivora {

// One page on the device, of the paper given; returns the sheet as printed (a
// group never calibrated prints at the device's true size). Throws PrintError
// (and drops the page) when the printer fails.
CalibrationSheet printCalibrationSheet(PrintDevice& device, const AdjustmentGroup& group,
                                       QSizeF paperMm, int groupNumber, const QFont& font,
                                       const QColor& colour);

} // namespace mivora
