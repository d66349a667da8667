#include "app/printerdevice.h"

#include "text/codec.h"

#include <QPrinter>

namespace mivora {

PrinterDevice::PrinterDevice(QPrinter& printer) : printer_(printer) {}

PrinterDevice::~PrinterDevice() {
    if (painter_.isActive())
        abortPage();
}

std::string PrinterDevice::printerName() const {
    try {
        return fromUtf8(printer_.printerName().toStdString());
    } catch (const ConversionError&) {
        return {};
    }
}

int PrinterDevice::dotsPerInch() const {
    return printer_.resolution();
}

std::string PrinterDevice::shownName() const {
    return printer_.printerName().toStdString();
}

PrintCanvas& PrinterDevice::beginPage() {
    if (!painter_.begin(&printer_) || printer_.printerState() == QPrinter::Error)
        throw PrintError("プリンタ「" + shownName() + "」で印刷を開始できません。" +
                         std::to_string(sent_) + " ページ印刷しました。");
    return canvas_;
}

void PrinterDevice::endPage() {
    const bool ended = painter_.end();
    if (!ended || printer_.printerState() == QPrinter::Error)
        throw PrintError("プリンタ「" + shownName() + "」への送信に失敗しました。" +
                         std::to_string(sent_) + " ページ印刷しました。");
    ++sent_;
}

// Not every printer can take a job back; what it has not taken is dropped.
void PrinterDevice::abortPage() {
    printer_.abort();
    if (painter_.isActive())
        painter_.end();
}

} // namespace mivora
