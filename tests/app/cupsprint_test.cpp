// Printing for real: the sample record through two PDF queues of a private CUPS
// server, as the print button does it, against the page of `mivora print`. CUPS
// converts the fonts, so the pages are compared as rendered images.

#include "app/mivoraptnform.h"
#include "app/windowprinthost.h"
#include "cli/sampleprogramfolder.h"
#include "dialogs/forms.h"
#include "dialogs/prfreeeditform.h"
#include "dialogs/tooleditform.h"
#include "print/calibration.h"
#include "print/crossmarks.h"
#include "privatecups.h"
#include "session/session.h"
#include "support/scriptedprompter.h"

#include <QComboBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace mivora::test {
namespace {

constexpr int kRenderDpi = 100; // four pixels a millimetre

// The grey of the second page at a point, moved right by dx and down by dy pixels
// (paper beyond its edge is white).
int greyAt(const QImage& page, int x, int y) {
    return page.rect().contains(x, y) ? qGray(page.pixel(x, y)) : 255;
}

// The share of pixels (in ten-thousandths) of the first page that no pixel within
// one pixel of the same place on the second page resembles, the second moved right
// by dx and down by dy pixels. A pixel of tolerance lets the fonts that CUPS
// converts draw their edges a little differently; a shift of a millimetre (two
// pixels) still shows on every line.
int differing(const QImage& a, const QImage& b, int dx = 0, int dy = 0) {
    if (a.size() != b.size() || a.isNull())
        return 10000;
    long count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            int closest = 255;
            for (int ny = -1; ny <= 1; ++ny)
                for (int nx = -1; nx <= 1; ++nx)
                    closest = std::min(closest, std::abs(qGray(a.pixel(x, y)) -
                                                         greyAt(b, x - dx + nx, y - dy + ny)));
            count += closest > 96;
        }
    return static_cast<int>(count * 10000 / (static_cast<long>(a.width()) * a.height()));
}

// The program's side of a print in the sample folder: its session and the person
// at the windows.
struct ProgramWindows {
    explicit ProgramWindows(const SampleProgramFolder& sample)
        : session(settingsFor(sample.folder()), sample.tables()) {
        forms.prompter = &prompter;
    }

    static ProgramSettings settingsFor(const std::filesystem::path& programDir) {
        ProgramSettings settings;
        settings.programDir = programDir;
        return settings;
    }

    Session session;
    ScriptedPrompter prompter;
    Forms forms;
};

class CupsPrintTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        why_ = PrivateCups::unavailable();
        if (why_.empty() && !haveTool(QStringLiteral("pdftoppm")))
            why_ = "pdftoppm (poppler-utils) is not installed";
        if (!why_.empty())
            return;
        cups_ = new PrivateCups;
        const std::string suffix = std::to_string(getpid());
        queueA_ = "MivoraTestA" + suffix;
        queueB_ = "MivoraTestB" + suffix;
        if (!cups_->running() || !cups_->addPdfQueue(queueA_) || !cups_->addPdfQueue(queueB_))
            failure_ = "the private cupsd did not come up: " + cups_->log().toStdString();
    }

    static void TearDownTestSuite() {
        delete cups_;
        cups_ = nullptr;
    }

    void SetUp() override {
        if (!why_.empty())
            GTEST_SKIP() << why_;
        ASSERT_TRUE(failure_.empty()) << failure_;
    }

    inline static std::string why_;
    inline static std::string failure_;
    inline static PrivateCups* cups_ = nullptr;
    inline static std::string queueA_;
    inline static std::string queueB_;
};

TEST_F(CupsPrintTest, BothQueuesPrintThePageOfTheDirectPdfWithTheirOwnGroups) {
    SampleProgramFolder sample;
    const std::filesystem::path direct = sample.file("direct.pdf");
    ASSERT_EQ(sample.print({"--pdf", pathText(direct)}), 0) << sample.err.str();

    ProgramWindows program(sample);
    Session& session = program.session;
    ScriptedPrompter& prompter = program.prompter;
    Forms& forms = program.forms;
    TMivoraPtnForm main(session, forms);
    session.openDesignerTables();
    session.freeData.first();
    TToolEditForm toolEdit(sample.folder());
    forms.toolEdit = &toolEdit;
    TPrFreeEditForm freeEdit({});
    forms.freeEdit = &freeEdit;

    // The installed printers as the main window takes them at start.
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    ASSERT_TRUE(printers.contains(QString::fromStdString(queueA_)))
        << printers.join(' ').toStdString();
    ASSERT_TRUE(printers.contains(QString::fromStdString(queueB_)));
    main.usePrinters(printers);
    EXPECT_TRUE(session.settings.severalPrinters);
    EXPECT_GE(toolEdit.ComboBox2->count(), 2);

    // Queue A prints at 360 dpi with group 1; queue B at 180 dpi needs half the scale.
    toolEdit.setAdjustment({AdjustmentGroup{1000, 267, 0, 1, queueA_},
                            AdjustmentGroup{500, 267, 0, 1, queueB_}, AdjustmentGroup{}});
    const QImage expected = renderPage(direct, kRenderDpi);
    ASSERT_FALSE(expected.isNull());
    // The measure tells a shift of one millimetre apart.
    ASSERT_GT(differing(expected, expected, 4), 20);    // a millimetre to the right shows
    ASSERT_GT(differing(expected, expected, 0, 2), 20); // and half a millimetre down

    // The person picks the layout's paper and the margins of the printable area:
    // none on queue A; on queue B a fifth of an inch at the left and the top, where
    // the page then lies that much further right and down.
    WindowPrintHost host(session, forms, nullptr);
    struct Queue {
        std::string name;
        int dpi;
        double marginInches;
    };
    for (const Queue& queue : {Queue{queueA_, 360, 0}, Queue{queueB_, 180, 0.2}}) {
        SCOPED_TRACE(queue.name);
        const std::string title = queue.name + "-page";
        host.setUpPrinter = [&](QPrinter& printer) {
            printer.setPrinterName(QString::fromStdString(queue.name));
            printer.setResolution(queue.dpi);
            printer.setPageSize(QPageSize(QPageSize::A4));
            const double margin = queue.marginInches;
            printer.setPageMargins(QMarginsF(margin, margin, 0, 0), QPageLayout::Inch);
            printer.setDocName(QString::fromStdString(title));
            return true;
        };
        // The layout has a hand-written item: the print-content window comes first.
        QTimer::singleShot(0, &freeEdit, [&freeEdit] { freeEdit.OKBtn->click(); });
        ASSERT_EQ(host.print(), 1) << (prompter.errors.empty() ? "" : prompter.errors[0]);
        EXPECT_EQ(host.printer().resolution(), queue.dpi);
        const std::filesystem::path printed = cups_->output(title);
        ASSERT_FALSE(printed.empty()) << cups_->log().toStdString();
        const int shift = qRound(queue.marginInches * kRenderDpi);
        EXPECT_LE(differing(renderPage(printed, kRenderDpi), expected, shift, shift), 3);
    }
}

// The sheet button of the printer adjustment window, on queue A at 360 dpi without
// margins: the marks land where the default group puts them on that printer.
TEST_F(CupsPrintTest, TheCalibrationSheetPrintsItsMarksWhereTheDefaultGroupPutsThem) {
    SampleProgramFolder sample;
    ProgramWindows program(sample);
    TToolEditForm toolEdit(sample.folder());
    program.forms.toolEdit = &toolEdit;
    WindowPrintHost host(program.session, program.forms, nullptr);
    toolEdit.printCalibrationSheet = [&host](const AdjustmentGroup& group, int number) {
        return host.printCalibrationSheet(group, number);
    };
    const std::string title = queueA_ + "-sheet";
    std::vector<QString> offered;
    host.setUpPrinter = [&](QPrinter& printer) {
        offered.push_back(printer.printerName());
        printer.setPrinterName(QString::fromStdString(queueA_));
        printer.setResolution(360);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
        printer.setDocName(QString::fromStdString(title));
        return true;
    };

    toolEdit.show();
    QTest::mouseClick(toolEdit.sheetButton(0), Qt::LeftButton);
    ASSERT_TRUE(program.prompter.errors.empty()) << program.prompter.errors[0];
    const std::filesystem::path printed = cups_->output(title);
    ASSERT_FALSE(printed.empty()) << cups_->log().toStdString();

    constexpr int dpi = 300;
    const QImage page = renderPage(printed, dpi);
    ASSERT_FALSE(page.isNull());
    for (QPoint dots : calibrationMarks().dots) {
        // Each bar is centred half a unit past its device position.
        const QPointF expected =
            (QPointF(devicePosition(dots.x(), dots.y(), AdjustmentGroup{})) + QPointF(0.5, 0.5)) *
            25.4 / 360;
        const auto found = crossNear(page, dpi, expected);
        ASSERT_TRUE(found) << expected.x() << ", " << expected.y();
        EXPECT_NEAR(found->x(), expected.x(), 0.3);
        EXPECT_NEAR(found->y(), expected.y(), 0.3);
    }

    // With several printers, a group's sheet offers the group's own printer.
    toolEdit.showPrinterChoice(QPrinterInfo::availablePrinterNames());
    toolEdit.ComboBox2->setEditText(QString::fromStdString(queueB_));
    host.setUpPrinter = [&](QPrinter& printer) {
        offered.push_back(printer.printerName());
        return false; // the person cancels: nothing printed
    };
    QTest::mouseClick(toolEdit.sheetButton(1), Qt::LeftButton);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[1], QString::fromStdString(queueB_));
    EXPECT_TRUE(program.prompter.errors.empty());
}

} // namespace
} // namespace mivora::test
