#pragma once
// Pages on a printer: every page is a print job of its own, drawn in the printer's
// own dots with the origin at the top-left corner of its printable area.

#include "print/paintercanvas.h"

#include <QPainter>

class QPrinter;

namespace mivora {

class PrinterDevice : public PrintDevice {
  public:
    explicit PrinterDevice(QPrinter& printer);
    ~PrinterDevice() override;
    PrinterDevice(const PrinterDevice&) = delete;
    PrinterDevice& operator=(const PrinterDevice&) = delete;

    // CP932; empty for a name that has no Shift-JIS form (no adjustment group can
    // name such a printer).
    std::string printerName() const override;
    int dotsPerInch() const override;
    PrintCanvas& beginPage() override;
    void endPage() override;
    void abortPage() override;

    int pagesSent() const { return sent_; }

  private:
    std::string shownName() const; // UTF-8, for messages

    QPrinter& printer_;
    QPainter painter_;
    PainterCanvas canvas_{painter_};
    int sent_ = 0;
};

} // namespace mivora
