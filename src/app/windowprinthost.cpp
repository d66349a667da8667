#include "app/windowprinthost.h"

#include "designer/datasource.h"
#include "designer/itemlabel.h"
#include "designer/mivoraform.h"
#include "dialogs/prfreeeditform.h"
#include "dialogs/tooleditform.h"
#include "print/calibrationsheet.h"
#include "print/printdata.h"
#include "print/printfont.h"
#include "session/prompter.h"
#include "session/session.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/sjis.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinterInfo>

namespace mivora {

WindowPrintHost::WindowPrintHost(Session& session, Forms& forms, QWidget* parent)
    : session_(session), forms_(forms), parent_(parent) {
    setUpPrinter = [this](QPrinter& printer) { return showPrintDialog(printer); };
}

WindowPrintHost::~WindowPrintHost() = default;

int WindowPrintHost::print() {
    device_ = std::make_unique<PrinterDevice>(printer_);
    int pages = 0;
    try {
        PrintDataPreparation preparation(session_, *forms_.prompter);
        pages = runPrint(session_, *this, &preparation);
    } catch (const Error& error) {
        forms_.prompter->showError(error.what());
        pages = device_->pagesSent();
    }
    // The run keeps the confirmation answers in the input record, which the
    // designer's free-content box shows.
    if (forms_.designer)
        forms_.designer->DataSource2->recordChanged();
    return pages;
}

void WindowPrintHost::useGroupPrinter(const AdjustmentGroup& group) {
    const QString named = QString::fromStdString(toUtf8(group.printerName));
    if (!named.isEmpty() && !QPrinterInfo::printerInfo(named).isNull())
        printer_.setPrinterName(named);
}

QSizeF WindowPrintHost::paperMm() const {
    return printer_.pageLayout().fullRect(QPageLayout::Millimeter).size();
}

// The dialog opens on the group's printer when the group names one installed.
std::optional<CalibrationSheet> WindowPrintHost::printCalibrationSheet(const AdjustmentGroup& group,
                                                                       int groupNumber) {
    useGroupPrinter(group);
    if (!choosePrinter())
        return std::nullopt;
    PrinterDevice sheet(printer_);
    try {
        return mivora::printCalibrationSheet(sheet, group, paperMm(), groupNumber, printFont(),
                                             printColour());
    } catch (const Error& error) {
        forms_.prompter->showError(error.what());
        return std::nullopt;
    }
}

CalibrationSheet WindowPrintHost::expectedCalibrationSheet(const AdjustmentGroup& group) {
    useGroupPrinter(group);
    return calibrationSheet(group, printer_.resolution(), paperMm());
}

void WindowPrintHost::offerHandWritten(int slot, const std::optional<std::string>& caption) {
    if (!forms_.freeEdit)
        return;
    std::optional<QString> shown;
    if (caption)
        shown = QString::fromStdString(toUtf8(*caption));
    forms_.freeEdit->offerItem(slot, shown);
}

// Over the window that asked for it: the printer adjustment window stays on top.
bool WindowPrintHost::showPrintDialog(QPrinter& printer) {
    QWidget* modal = QApplication::activeModalWidget();
    QPrintDialog dialog(&printer, modal ? modal : parent_);
    // The layout decides the pages: a range to choose would only mislead.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

// The positions of the layouts are measured from the printable area, and the
// dialog may leave the page it chose half applied: the chosen page is set again.
bool WindowPrintHost::choosePrinter() {
    printer_.setFullPage(false);
    printer_.setDocName(jobName());
    if (!setUpPrinter(printer_))
        return false;
    const QPageLayout chosen = printer_.pageLayout();
    printer_.setFullPage(false);
    printer_.setPageLayout(chosen);
    return true;
}

// The name the printer queue shows: the program, the layout and the vehicle.
QString WindowPrintHost::jobName() const {
    QStringList parts{QStringLiteral("Mivora")};
    for (const std::string& part :
         {session_.layouts.text(sj("印刷名")), session_.vehicles.text(sj("使用者"))})
        if (!part.empty())
            parts << QString::fromStdString(toUtf8(part));
    return parts.join(QStringLiteral(" - "));
}

bool WindowPrintHost::confirmContents(HandWrittenAnswers& answers) {
    return !forms_.freeEdit || forms_.freeEdit->confirm(answers);
}

Prompter* WindowPrintHost::prompter() {
    return forms_.prompter;
}

PrinterAdjustment WindowPrintHost::adjustment() {
    if (forms_.toolEdit)
        return forms_.toolEdit->adjustment();
    return readToolEdit(session_.settings.programDir);
}

QFont WindowPrintHost::printFont() {
    if (forms_.designer)
        return forms_.designer->PrintLabel1->font();
    return fontNamed(printFontName(session_.settings.programDir));
}

// The labels draw in the window-text colour, which a dark desktop makes light;
// on paper that colour is black.
QColor WindowPrintHost::printColour() {
    return Qt::black;
}

PrintDevice& WindowPrintHost::device() {
    return *device_;
}

} // namespace mivora
