// A continuous headless print into a PDF at 360 dpi, as `mivora print --all` runs
// it: the sample certificate layout over 1,000 vehicles without its form image,
// and over 100 vehicles with it. Reported: pages per second, the growth of the
// heap from the first tenth of the pages to the last (flat means no growth with
// the page count), and the size of the file (the form image is written into it
// once).

#include "cli/unattendedprompter.h"
#include "largedata.h"
#include "print/paintercanvas.h"
#include "print/printfont.h"
#include "print/printrun.h"
#include "session/session.h"
#include "store/table.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace mivora {
namespace {

namespace fs = std::filesystem;

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

// The PDF device, noting the heap after every page it sends.
class MeasuredPdf : public PdfDevice {
  public:
    // settled: the page by which fonts and caches are filled.
    MeasuredPdf(const fs::path& file, int settled)
        : PdfDevice(file, QSizeF(210, 297)), settled_(settled) {}
    void endPage() override {
        PdfDevice::endPage();
        if (++pages_ == settled_)
            settledHeap_ = heapInUse();
        lastHeap_ = heapInUse();
    }
    // Heap growth from the settled page to the last, in KiB.
    double growthKiB() const {
        return pages_ > settled_ ? (static_cast<double>(lastHeap_) - settledHeap_) / 1024 : 0;
    }

  private:
    int settled_;
    int pages_ = 0;
    std::size_t settledHeap_ = 0;
    std::size_t lastHeap_ = 0;
};

class BenchHost : public PrintRunHost {
  public:
    BenchHost(PrintDevice& device, const fs::path& programDir)
        : device_(device), font_(fontNamed(printFontName(programDir))) {}
    void offerHandWritten(int, const std::optional<std::string>&) override {}
    bool choosePrinter() override { return true; }
    bool confirmContents(HandWrittenAnswers&) override { return true; }
    Prompter* prompter() override { return &nobody_; }
    PrinterAdjustment adjustment() override { return {}; }
    QFont printFont() override { return font_; }
    QColor printColour() override { return Qt::black; }
    PrintDevice& device() override { return device_; }

  private:
    PrintDevice& device_;
    QFont font_;
    UnattendedPrompter nobody_{std::cerr, true}; // every "!" question is yes
};

// The blank certificate at twice the layout's resolution, as `mivora init` draws it.
void writeFormImage(const fs::path& programDir) {
    QImage form(1590, 2250, QImage::Format_RGB32);
    form.fill(Qt::white);
    for (int y = 190; y < 1510; y += 120)
        for (int x = 80; x < 1510; ++x)
            form.setPixel(x, y, qRgb(40, 90, 60));
    form.save(QString::fromStdString(pathText(pathOf(programDir, "車検証様式.jpg"))), "JPG", 90);
}

void printAll(benchmark::State& state, int vehicles, bool withForm) {
    const fs::path dir = bench::largeFolder(withForm ? "print-form" : "print-plain", vehicles);
    writeFormImage(dir);
    ProgramSettings settings;
    settings.programDir = dir;
    Session session(settings, dir / "CARDATA");
    session.openMainTables();
    session.openDesignerTables();
    session.layouts.first(); // the certificate
    session.layouts.setFlag(sj("印刷フォームの印刷"), withForm);
    session.layouts.post();
    session.freeData.first();
    // The vehicle table keeps the rows it has read (up to a bound); read them all
    // first, so that what grows during the run is the print's own.
    for (session.vehicles.first(); !session.vehicles.eof(); session.vehicles.next())
        benchmark::DoNotOptimize(session.vehicles.recNo());

    double growth = 0;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        const fs::path file = dir / "bench.pdf";
        {
            MeasuredPdf pdf(file, vehicles / 10);
            BenchHost host(pdf, dir);
            if (runPrint(session, host, nullptr, PrintRange::AllRecords) != vehicles)
                state.SkipWithError("not every record printed");
            pdf.finish();
            growth = std::max(growth, pdf.growthKiB());
        }
        bytes = fs::file_size(file);
    }
    state.SetItemsProcessed(state.iterations() * vehicles); // pages
    state.counters["heap_growth_KiB"] = growth;
    state.counters["pdf_KiB"] = static_cast<double>(bytes) / 1024;
    fs::remove_all(dir);
}

void BM_PrintWithoutFormImage(benchmark::State& state) {
    printAll(state, 1000, false);
}
BENCHMARK(BM_PrintWithoutFormImage)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PrintWithFormImage(benchmark::State& state) {
    printAll(state, 100, true);
}
BENCHMARK(BM_PrintWithFormImage)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace mivora

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    mivora::registerJapaneseFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
