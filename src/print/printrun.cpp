#include "print/printrun.h"

#include "items/menutextcheck.h"
#include "print/calibration.h"
#include "print/formimage.h"
#include "print/printdata.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <algorithm>
#include <climits>
#include <vector>

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

Slot slotOf(const Session& session, int n) {
    const Table& layouts = session.layouts;
    const std::string number = std::to_string(n);
    return {itemToPrint(session, n), layouts.integer(sj("Ｘ座標") + number),
            layouts.integer(sj("Ｙ座標") + number), layouts.integer(sj("サイズ") + number)};
}

// A prepared slot that the confirmation window offers (or no longer offers) from
// the next run on. Only these are kept in the layout: the others are prepared
// anew for every page, and writing them would make the layout another PC's
// designer is editing change under it.
bool changesWhatIsOffered(const std::optional<std::string>& prepared, const std::string& stored) {
    return prepared && *prepared != stored &&
           (prepared->starts_with('?') || stored.starts_with('?'));
}

// A change of the run's own, made once the page is out: when another PC changed
// the record meanwhile, the other PC's stands and the page is not concerned.
void keepQuietly(Table& table, const std::function<void()>& change) {
    try {
        change();
        table.post();
    } catch (const DatabaseError&) {
        if (table.active())
            table.cancel();
    }
}

// What the layout keeps of a page's prepared items.
void keepOfferedItems(Session& session) {
    Table& layouts = session.layouts;
    keepQuietly(layouts, [&] {
        for (int n = 1; n <= kSlotCount; ++n) {
            const std::string field = slotField(n);
            const auto& prepared = session.preparation.preparedItems[n - 1];
            if (changesWhatIsOffered(prepared, layouts.text(field)))
                layouts.setText(field, *prepared);
        }
    });
}

// Step 3 of the run: the confirmation window offers the hand-written slots as
// they are stored now, before preparation rewrites them. Returns their numbers.
std::vector<int> offerHandWrittenSlots(const Table& layouts, PrintRunHost& host) {
    std::vector<int> offered;
    for (int n = 1; n <= kSlotCount; ++n) {
        std::string item = layouts.text(slotField(n));
        if (!item.empty() && item[0] == '?') {
            host.offerHandWritten(n, item.substr(1));
            offered.push_back(n);
        } else {
            host.offerHandWritten(n, std::nullopt);
        }
    }
    return offered;
}

// The confirmation answers of a run. They are read from the input record when the
// run starts and go from the window to the pages in memory, so that another PC's
// run, which writes the same record, can neither change nor refuse them. Once a
// page is out (or the run ends), the input record keeps the answers the person
// changed, for the next run to offer: a change of its own, after catching up, so
// that of two PCs the later one stands; when it is refused all the same, the
// other PC's answers stand and the pages are not concerned.
class RunAnswers {
  public:
    RunAnswers(Session& session, std::vector<int> offered)
        : session_(session), offered_(std::move(offered)), kept_(readInput()) {
        session_.preparation.answers = kept_;
    }
    RunAnswers(const RunAnswers&) = delete;
    RunAnswers& operator=(const RunAnswers&) = delete;
    ~RunAnswers() {
        keep();
        session_.preparation.answers.reset();
    }

    bool any() const { return !offered_.empty(); }
    bool confirm(PrintRunHost& host) { return host.confirmContents(*session_.preparation.answers); }

    void keep() noexcept {
        const HandWrittenAnswers& answers = *session_.preparation.answers;
        if (answers == kept_)
            return;
        Table& free = session_.freeData;
        try {
            keepQuietly(free, [&] {
                free.catchUp();
                for (const int n : offered_)
                    if (answers[n - 1] != kept_[n - 1])
                        free.setText(slotField(n), answers[n - 1]);
            });
        } catch (const Error&) {
            // Also run by the destructor when the run ends on a failure: that
            // failure goes on, not this one.
        }
        kept_ = answers;
    }

  private:
    HandWrittenAnswers readInput() {
        Table& free = session_.freeData;
        free.catchUp();
        HandWrittenAnswers answers;
        for (int n = 1; n <= kSlotCount; ++n)
            answers[n - 1] = free.text(slotField(n));
        return answers;
    }

    Session& session_;
    std::vector<int> offered_;
    HandWrittenAnswers kept_; // as the input record holds them, as far as this run knows
};

// A slot's text resolved for the page, not yet drawn.
struct PageText {
    QPoint at;
    int pointSize;
    int missingPositions;
    QString text;
};

// One page: everything that may ask the person or fail (the "!" questions, the
// tables, the form image, the adjustment) is done before the job begins, so that a
// job once begun holds only drawing and no half page reaches the printer.
class PageWriter {
  public:
    PageWriter(Session& session, PrintRunHost& host)
        : session_(session), host_(host), resolver_(session, host.prompter()) {}

    // The layout's own form image, read before the first page at the size of the
    // paper: a damaged one stops the run, since the stock it would go on is
    // pre-printed. The blank page never prints.
    void loadForm() {
        const Table& layouts = session_.layouts;
        if (!layouts.flag(sj("印刷フォームの印刷")))
            return;
        FormImage form =
            loadFormImage(session_.settings.programDir, layouts.text(sj("印刷フォーム")),
                          paperRect(group(host_.device())).size());
        if (!form.problem.empty())
            throw FileError(form.problem);
        if (form.ownForm)
            form_ = std::move(form.image);
    }

    void printPage() {
        PrintDevice& device = host_.device();
        const AdjustmentGroup group = this->group(device);
        const QRect paper = paperRect(group);
        const std::vector<PageText> texts = resolveSlots(group);
        QFont font = host_.printFont();
        const QColor colour = host_.printColour();

        sendPage(device, [&](PrintCanvas& canvas) {
            if (form_ && !paper.isEmpty())
                canvas.drawImage(paper, *form_);
            for (const PageText& text : texts)
                drawText(canvas, font, colour, text);
        });
    }

  private:
    AdjustmentGroup group(const PrintDevice& device) {
        return groupForResolution(chooseAdjustmentGroup(host_.adjustment(),
                                                        session_.settings.severalPrinters,
                                                        device.printerName()),
                                  device.dotsPerInch());
    }

    QRect paperRect(const AdjustmentGroup& group) const {
        return QRect(QPoint(0, 0),
                     devicePaperSize(session_.layouts.integer(sj("印刷サイズＸ")),
                                     session_.layouts.integer(sj("印刷サイズＹ")), group));
    }

    std::vector<PageText> resolveSlots(const AdjustmentGroup& group) {
        std::vector<PageText> texts;
        for (int n = 1; n <= kSlotCount; ++n) {
            const Slot slot = slotOf(session_, n);
            ResolvedItem printed = resolver_.MenuTextCheck(slot.item, n, ResolveMode::Print);
            if (!printed.text.empty())
                texts.push_back({devicePosition(slot.x, slot.y, group),
                                 slot.size > 0 ? slot.size : 1, printed.missingPositions,
                                 QString::fromStdString(toUtf8(printed.text))});
        }
        return texts;
    }

    static void drawText(PrintCanvas& canvas, QFont& font, const QColor& colour,
                         const PageText& text) {
        font.setPointSize(text.pointSize);
        QPoint at = text.at;
        // Right alignment that the text could not take with blanks: shift it by the
        // missing digits, so paper and preview agree.
        if (text.missingPositions > 0)
            at.rx() += static_cast<int>(text.missingPositions * canvas.zeroWidth(font));
        canvas.drawText(at, font, colour, text.text);
    }

    Session& session_;
    PrintRunHost& host_;
    ItemResolver resolver_;
    std::optional<QImage> form_;
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

void sendPage(PrintDevice& device, const std::function<void(PrintCanvas&)>& draw) {
    PrintCanvas& canvas = device.beginPage();
    try {
        draw(canvas);
    } catch (...) {
        device.abortPage();
        throw;
    }
    device.endPage();
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
    std::vector<int> offered = offerHandWrittenSlots(layouts, host);
    session.preparation.preparedItems = {};
    if (!host.choosePrinter())
        return 0;
    PageWriter writer(session, host);
    writer.loadForm();
    if (continuous)
        vehicles.first();
    RunAnswers answers(session, std::move(offered));
    const bool prepares = preparation && layouts.recNo() != 1 && session.settings.siblingPresent;
    if (preparation)
        preparation->resetRun();
    if (prepares)
        preparation->check(continuous);

    int pages = 0;
    for (;;) {
        if (answers.any() && !answers.confirm(host))
            break;
        if (prepares && preparation->prepare())
            break;
        writer.printPage();
        ++pages;
        keepOfferedItems(session);
        answers.keep();
        if (!continuous)
            break;
        vehicles.next();
        if (vehicles.eof())
            break;
    }
    return pages;
}

} // namespace mivora
