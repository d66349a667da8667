#include "print/printrun.h"

#include "items/menutextcheck.h"
#include "print/formimage.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <algorithm>
#include <climits>

namespace mivora {

namespace {

constexpr int kDotsPer100Mm = 379;

long long millimetresToDots(long long mm) {
    return mm * kDotsPer100Mm / 100;
}

// Dots to device units. Stored positions are any integer a table holds, so the
// arithmetic runs in 64 bits and the result is kept within what a device takes.
int scaled(long long dots, const AdjustmentGroup& group) {
    const long long units = dots * group.numerator / group.denominator;
    return static_cast<int>(std::clamp<long long>(units, INT_MIN / 2, INT_MAX / 2));
}

struct Slot {
    std::string item;
    int x;
    int y;
    int size;
};

Slot slotOf(const Table& layouts, int n) {
    const std::string number = std::to_string(n);
    return {layouts.text(sj("項目") + number), layouts.integer(sj("Ｘ座標") + number),
            layouts.integer(sj("Ｙ座標") + number), layouts.integer(sj("サイズ") + number)};
}

// Step 3 of the run: the confirmation window offers the hand-written slots as
// they are stored now, before preparation rewrites them.
bool offerHandWrittenSlots(const Table& layouts, PrintRunHost& host) {
    bool any = false;
    for (int n = 1; n <= kSlotCount; ++n) {
        std::string item = layouts.text(sj("項目") + std::to_string(n));
        if (!item.empty() && item[0] == '?') {
            host.offerHandWritten(n, item.substr(1));
            any = true;
        } else {
            host.offerHandWritten(n, std::nullopt);
        }
    }
    return any;
}

class PageWriter {
  public:
    PageWriter(Session& session, PrintRunHost& host)
        : session_(session), host_(host), resolver_(session, host.prompter()) {}

    void printPage() {
        PrintDevice& device = host_.device();
        PrintCanvas& canvas = device.beginPage();
        try {
            drawPage(canvas, device.printerName());
        } catch (...) {
            device.abortPage();
            throw;
        }
        device.endPage();
    }

  private:
    void drawPage(PrintCanvas& canvas, const std::string& printerName) {
        const PrinterAdjustment adjustment = host_.adjustment();
        const AdjustmentGroup& group =
            chooseAdjustmentGroup(adjustment, session_.settings.severalPrinters, printerName);
        if (session_.layouts.flag(sj("印刷フォームの印刷")))
            drawForm(canvas, group);
        for (int n = 1; n <= kSlotCount; ++n)
            drawSlot(canvas, group, n);
    }

    // The layout's own form image, read once per run; the blank page never prints.
    void drawForm(PrintCanvas& canvas, const AdjustmentGroup& group) {
        const Table& layouts = session_.layouts;
        const std::string name = layouts.text(sj("印刷フォーム"));
        if (!form_ || formName_ != name) {
            form_ = loadFormImage(session_.settings.programDir, name);
            formName_ = name;
        }
        if (!form_->ownForm)
            return;
        QSize paper = devicePaperSize(layouts.integer(sj("印刷サイズＸ")),
                                      layouts.integer(sj("印刷サイズＹ")), group);
        if (!paper.isEmpty())
            canvas.drawImage(QRect(QPoint(0, 0), paper), form_->image);
    }

    void drawSlot(PrintCanvas& canvas, const AdjustmentGroup& group, int n) {
        Slot slot = slotOf(session_.layouts, n);
        ResolvedItem printed = resolver_.MenuTextCheck(slot.item, n, ResolveMode::Print);
        if (printed.text.empty())
            return;
        QFont font = host_.printFont();
        font.setPointSize(slot.size > 0 ? slot.size : 1);
        QPoint at = devicePosition(slot.x, slot.y, group);
        // Right alignment that the text could not take with blanks: shift it by the
        // missing digits, so paper and preview agree.
        if (printed.missingPositions > 0)
            at.rx() += static_cast<int>(printed.missingPositions * canvas.zeroWidth(font));
        canvas.drawText(at, font, host_.printColour(),
                        QString::fromStdString(toUtf8(printed.text)));
    }

    Session& session_;
    PrintRunHost& host_;
    ItemResolver resolver_;
    std::optional<FormImage> form_;
    std::string formName_;
};

// The resolver reads the current record of each table; without one there is
// nothing to print, and the person is told so before the printer is chosen.
void requireRecords(const Table& table, const char* message) {
    if (table.recordCount() == 0)
        throw Error(message);
}

bool isContinuous(const Table& layouts, PrintRange range) {
    switch (range) {
    case PrintRange::CurrentRecord:
        return false;
    case PrintRange::AllRecords:
        return true;
    case PrintRange::AsLayout:
        break;
    }
    return layouts.flag(sj("連続印刷"));
}

} // namespace

QPoint devicePosition(int xDots, int yDots, const AdjustmentGroup& group) {
    return {scaled(xDots, group) + scaled(millimetresToDots(group.horizontalOffset), group),
            scaled(yDots, group) + scaled(millimetresToDots(group.verticalOffset), group)};
}

QSize devicePaperSize(int widthMm, int heightMm, const AdjustmentGroup& group) {
    return {scaled(millimetresToDots(widthMm), group), scaled(millimetresToDots(heightMm), group)};
}

int runPrint(Session& session, PrintRunHost& host, PrintPreparation* preparation,
             PrintRange range) {
    Table& layouts = session.layouts;
    Table& vehicles = session.vehicles;
    const bool continuous = isContinuous(layouts, range);
    layouts.post();
    session.freeData.post();
    requireRecords(layouts, "印刷レイアウトがありません。");
    requireRecords(vehicles, "印刷する車両データがありません。");
    requireRecords(session.freeData, "手書き項目の入力データ (PrtFreeData.DB) がありません。");
    const bool handWritten = offerHandWrittenSlots(layouts, host);
    if (!host.choosePrinter())
        return 0;
    if (continuous)
        vehicles.first();
    const bool prepares = preparation && layouts.recNo() != 1 && session.settings.siblingPresent;
    if (preparation)
        preparation->resetRun();
    if (prepares)
        preparation->check(continuous);

    PageWriter writer(session, host);
    int pages = 0;
    for (;;) {
        if (handWritten && !host.confirmContents())
            break;
        if (prepares && preparation->prepare())
            break;
        writer.printPage();
        ++pages;
        if (!continuous)
            break;
        vehicles.next();
        if (vehicles.eof())
            break;
    }
    return pages;
}

} // namespace mivora
