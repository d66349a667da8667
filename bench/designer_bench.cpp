// The designer's full refresh, which runs at every paint and resize: 60 items
// resolved and 60 labels laid out over the sample form. Offscreen, on the program
// folder that `mivora init` makes.

#include "cli/commands.h"
#include "designer/itemlabel.h"
#include "designer/layoutunits.h"
#include "designer/mivoraform.h"
#include "dialogs/forms.h"
#include "session/prompter.h"
#include "session/session.h"
#include "text/sjis.h"

#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace mivora {
namespace {

namespace fs = std::filesystem;

// Errors would end the benchmark's meaning: they stop it.
class FailingPrompter : public Prompter {
  public:
    bool askYesNo(const std::string&) override { return false; }
    bool askThreeLines(const std::array<std::string, 3>&) override { return false; }
    bool chooseDigitCountRow(const std::string&) override { return false; }
    std::string chooseDate() override { return {}; }
    std::optional<std::string> chooseFile(const FileQuestion&) override { return {}; }
    void showError(const std::string& message) override {
        std::fprintf(stderr, "%s\n", message.c_str());
        std::abort();
    }
};

// A program folder of its own with the designer open on it.
class OpenDesigner {
  public:
    OpenDesigner() {
        std::string pattern = (fs::temp_directory_path() / "mivora-designer-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        dir_ = pattern;
        std::ostringstream ignored;
        if (runCommand({"init", dir_.string()}, ignored, ignored) != 0)
            std::abort();
        ProgramSettings settings;
        settings.programDir = dir_;
        session_ = std::make_unique<Session>(settings, dir_ / "CARDATA");
        session_->openMainTables();
        forms_.prompter = &prompter_;
        form_ = std::make_unique<TMivoraForm>(*session_, forms_);
        form_->RestorePos1.Enabled = false;
        form_->resize(620, 400);
        form_->show();
        QApplication::processEvents();
    }
    ~OpenDesigner() {
        form_.reset();
        session_.reset();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    TMivoraForm& form() { return *form_; }
    Session& session() { return *session_; }

    int labelsShown() const {
        int shown = 0;
        for (int number = 1; number <= kSlotCount; ++number)
            shown += form_->PrintLabel(number)->isHidden() ? 0 : 1;
        return shown;
    }

  private:
    fs::path dir_;
    FailingPrompter prompter_;
    Forms forms_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TMivoraForm> form_;
};

void BM_FullRefresh(benchmark::State& state) {
    OpenDesigner designer;
    designer.form().ScaleComboBox->setEditText(QString::number(state.range(0)));
    for (auto _ : state)
        designer.form().FormPaint();
    state.counters["labels"] = designer.labelsShown();
}
BENCHMARK(BM_FullRefresh)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Every refresh shows another vehicle, so every label takes a new text and size.
void BM_FullRefreshOtherVehicle(benchmark::State& state) {
    OpenDesigner designer;
    Table& vehicles = designer.session().vehicles;
    int record = 0;
    for (auto _ : state) {
        vehicles.setRecNo(1 + record++ % vehicles.recordCount());
        designer.form().FormPaint();
    }
    state.counters["labels"] = designer.labelsShown();
}
BENCHMARK(BM_FullRefreshOtherVehicle)->Unit(benchmark::kMillisecond);

// A resize step as the window system sends it while the user drags the frame,
// with the repaint that follows.
void BM_ResizeStep(benchmark::State& state) {
    OpenDesigner designer;
    int step = 0;
    for (auto _ : state) {
        designer.form().resize(560 + step % 60, 340 + step % 60);
        QApplication::processEvents();
        ++step;
    }
}
BENCHMARK(BM_ResizeStep)->Unit(benchmark::kMillisecond);

// A figure of /proc/self/status ("VmRSS", "VmHWM") in megabytes.
double statusMegabytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stod(line.substr(key.size() + 1)) / 1024.0;
    return 0;
}

// The designer shown at scale 1 and painted, on the sample layout (0) or on a
// paper of the given side in millimetres: its memory must not grow with the paper.
void BM_ResidentMemory(benchmark::State& state) {
    OpenDesigner designer;
    TMivoraForm& form = designer.form();
    if (const int side = static_cast<int>(state.range(0)); side > 0) {
        Table& layouts = designer.session().layouts;
        layouts.setInteger(sj("印刷サイズＸ"), side);
        layouts.setInteger(sj("印刷サイズＹ"), side);
        layouts.post();
    }
    form.ScaleComboBox->setEditText(QStringLiteral("1"));
    for (auto _ : state) {
        form.FormPaint();
        benchmark::DoNotOptimize(form.grab());
    }
    state.counters["resident_MB"] = statusMegabytes("VmRSS");
    state.counters["peak_MB"] = statusMegabytes("VmHWM");
}
BENCHMARK(BM_ResidentMemory)
    ->Arg(0)
    ->Arg(kLargestPaperMillimetres)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace mivora

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
