// Backup and restore of a large office's vehicles, and a CSV backup with the
// postal column looked up on the real national list.

#include "exchange/backup.h"
#include "exchange/restore.h"
#include "items/postal.h"
#include "largedata.h"
#include "memory.h"
#include "session/session.h"

#include <benchmark/benchmark.h>

namespace mivora {
namespace {

std::unique_ptr<Session> openLarge(const std::string& name, int count) {
    ProgramSettings settings;
    settings.programDir = bench::largeFolder(name, count);
    auto session = std::make_unique<Session>(settings, settings.programDir / "CARDATA");
    session->openMainTables();
    session->digitCounts.setRecNo(1);
    return session;
}

void backupOnce(Session& session, const char* file, const PostalFill& postal) {
    DigitCountRow row = readDigitCountRow(session.digitCounts);
    if (!postal)
        row.postal = 0;
    writeBackup(session.vehicles, session.digitCounts, row, session.settings.programDir / file,
                postal, {});
}

void BM_Backup100k(benchmark::State& state, const char* file) {
    auto session = openLarge("exchange", 100000);
    long before = bench::residentKilobytes();
    for (auto _ : state)
        backupOnce(*session, file, {});
    state.counters["grown_MB"] = static_cast<double>(bench::residentKilobytes() - before) / 1024.0;
}
BENCHMARK_CAPTURE(BM_Backup100k, csv, "all.CSV")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Backup100k, txt, "all.TXT")->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Restore100k(benchmark::State& state, bool csv) {
    auto session = openLarge("exchange", 100000);
    backupOnce(*session, csv ? "all.CSV" : "all.TXT", {});
    auto file = session->settings.programDir / (csv ? "all.CSV" : "all.TXT");
    Widths widths = readDigitCountRow(session->digitCounts).counts;
    long before = bench::residentKilobytes();
    for (auto _ : state) {
        int restored = csv ? restoreCsv(session->vehicles, file, {})
                           : restoreTxt(session->vehicles, file, widths, {});
        if (restored != 100000)
            state.SkipWithError("records lost");
    }
    state.counters["grown_MB"] = static_cast<double>(bench::residentKilobytes() - before) / 1024.0;
}
BENCHMARK_CAPTURE(BM_Restore100k, csv, true)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Restore100k, txt, false)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_PostalCsvBackup10k(benchmark::State& state) {
    auto session = openLarge("postal", 10000);
    std::filesystem::path list = MIVORA_SHARED_DATA "/KEN_ALL.CSV";
    if (!std::filesystem::exists(list)) {
        state.SkipWithError("KEN_ALL.CSV is missing");
        return;
    }
    std::filesystem::copy_file(list, session->settings.programDir / "KEN_ALL.CSV");
    const auto programDir = session->settings.programDir;
    for (auto _ : state)
        backupOnce(*session, "postal.CSV", [&](RecordValues& values, int mode) {
            PostRead(values[48], mode, values, programDir);
        });
}
BENCHMARK(BM_PostalCsvBackup10k)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
