#pragma once
// The print run: the current vehicle record, or every record in turn, printed
// with the current layout, one job of one page per record, the texts over the
// form image when the layout asks for it.

#include "print/canvas.h"
#include "session/printeradjustment.h"
#include "session/prompter.h"
#include "session/session.h"

#include <QPoint>
#include <functional>
#include <optional>

namespace mivora {

// What the run asks of the windows (or of a headless caller).
class PrintRunHost {
  public:
    virtual ~PrintRunHost() = default;

    // Sets up the confirmation window: slot N offered with its caption, or hidden.
    virtual void offerHandWritten(int slot, const std::optional<std::string>& caption) = 0;
    // The printer set-up dialog; false when cancelled.
    virtual bool choosePrinter() = 0;
    // The confirmation window before a page, showing the answers offered and
    // leaving in them what the person typed (also when the window is cancelled,
    // for the next run to offer); false unless it closes with OK.
    virtual bool confirmContents(HandWrittenAnswers& answers) = 0;
    // Who answers the "!" questions of the resolver; null when nobody can, and such
    // slots then print nothing.
    virtual Prompter* prompter() = 0;
    // The groups of the printer adjustment, as they stand for this page.
    virtual PrinterAdjustment adjustment() = 0;
    // The print font (typeface, colour and style; its size is set per slot).
    virtual QFont printFont() = 0;
    virtual QColor printColour() = 0;
    virtual PrintDevice& device() = 0;
};

// Print data preparation for layouts after the first when the sibling program is
// present.
class PrintPreparation {
  public:
    virtual ~PrintPreparation() = default;
    // Plus and minus totals to 0, fee flag cleared.
    virtual void resetRun() = 0;
    virtual void check(bool ask) = 0;
    // Prepares the current record; true when the person cancelled.
    virtual bool prepare() = 0;
};

// Layout dots to device units with the group's scale, shifted by its offsets; the
// integer arithmetic truncates toward zero in this order.
QPoint devicePosition(int xDots, int yDots, const AdjustmentGroup& group);

// The paper (millimetres) in device units.
QSize devicePaperSize(int widthMm, int heightMm, const AdjustmentGroup& group);

// One page as one job: draw fills the page; when drawing fails the page is dropped
// and the failure goes on to the caller.
void sendPage(PrintDevice& device, const std::function<void(PrintCanvas&)>& draw);

// Which records a run prints. The layout's own choice is its continuous flag; a
// headless caller may ask for the current record or for all of them instead.
enum class PrintRange { AsLayout, CurrentRecord, AllRecords };

// Runs the print; returns the number of pages sent. Errors of the printer or of the
// tables end the run as exceptions; pages already sent stay sent, the page being
// drawn is dropped. preparation may be null (no sibling program).
int runPrint(Session& session, PrintRunHost& host, PrintPreparation* preparation,
             PrintRange range = PrintRange::AsLayout);

} // namespace mivora
