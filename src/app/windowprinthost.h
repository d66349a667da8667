#pragma once
// The print run as the windows carry it: the print-content window before each
// page, the printer set-up dialog, the printer adjustment window's groups, the
// designer's print font, and a printer whose choice lasts from one run to the next.

#include "app/printerdevice.h"
#include "dialogs/forms.h"
#include "print/calibration.h"
#include "print/printrun.h"

#include <QPrinter>

#include <functional>
#include <memory>

class QWidget;

namespace mivora {

class Session;

class WindowPrintHost : public PrintRunHost {
  public:
    WindowPrintHost(Session& session, Forms& forms, QWidget* parent);
    ~WindowPrintHost() override;

    // Runs the print for the current record (or all, for a continuous layout);
    // a failure is shown to the person. The number of pages sent.
    int print();

    // The calibration sheet of an adjustment group (its number from 1), on the
    // printer chosen in the printer set-up dialog and on its paper; a failure is
    // shown to the person. The sheet as printed, or nothing when nothing was.
    std::optional<CalibrationSheet> printCalibrationSheet(const AdjustmentGroup& group,
                                                          int groupNumber);
    // The sheet the group prints on its printer (the one it names when installed,
    // else the one chosen last) without printing it.
    CalibrationSheet expectedCalibrationSheet(const AdjustmentGroup& group);

    // How the printer is chosen: the printer set-up dialog, unless replaced (the
    // tests choose without a dialog). False ends the run.
    std::function<bool(QPrinter&)> setUpPrinter;
    QPrinter& printer() { return printer_; }

    void offerHandWritten(int slot, const std::optional<std::string>& caption) override;
    bool choosePrinter() override;
    bool confirmContents(HandWrittenAnswers& answers) override;
    Prompter* prompter() override;
    PrinterAdjustment adjustment() override;
    QFont printFont() override;
    QColor printColour() override;
    PrintDevice& device() override;

  private:
    bool showPrintDialog(QPrinter& printer);
    QString jobName() const;
    void useGroupPrinter(const AdjustmentGroup& group);
    QSizeF paperMm() const;

    Session& session_;
    Forms& forms_;
    QWidget* parent_;
    QPrinter printer_{QPrinter::HighResolution};
    std::unique_ptr<PrinterDevice> device_;
};

} // namespace mivora
