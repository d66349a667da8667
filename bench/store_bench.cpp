// The vehicle table of a large office: 100,000 records in the list order of the
// main window. Opening and reaching the last record, jumping to the middle, and
// posting an edit that moves the record in the order.

#include "largedata.h"
#include "memory.h"
#include "session/session.h"
#include "text/sjis.h"

#include <benchmark/benchmark.h>

namespace mivora {
namespace {

constexpr int kVehicles = 100000;

const std::filesystem::path& largeFolder() {
    static const std::filesystem::path folder = bench::largeFolder("store", kVehicles) / "CARDATA";
    return folder;
}

Session makeSession() {
    ProgramSettings settings;
    settings.programDir = largeFolder();
    return Session(settings, largeFolder());
}

void BM_OpenAndReachLast(benchmark::State& state) {
    largeFolder();
    long before = bench::residentKilobytes(), after = before;
    for (auto _ : state) {
        Session session = makeSession();
        session.vehicles.open();
        session.vehicles.last();
        benchmark::DoNotOptimize(session.vehicles.recNo());
        after = bench::residentKilobytes();
    }
    state.counters["table_MB"] = static_cast<double>(after - before) / 1024.0;
}
BENCHMARK(BM_OpenAndReachLast)->Unit(benchmark::kMillisecond);

void BM_SetRecNoToTheMiddle(benchmark::State& state) {
    Session session = makeSession();
    session.vehicles.open();
    for (auto _ : state) {
        session.vehicles.first();
        session.vehicles.setRecNo(kVehicles / 2);
        benchmark::DoNotOptimize(session.vehicles.text(sj("電話番号")));
    }
}
BENCHMARK(BM_SetRecNoToTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_PostMovingEdit(benchmark::State& state) {
    Session session = makeSession();
    session.vehicles.open();
    session.vehicles.setRecNo(kVehicles / 2);
    int round = 0;
    for (auto _ : state) {
        // Alternating readings move the record across the whole order.
        session.vehicles.setText(sj("使用者ふりがな"), sj(round++ % 2 ? "ｱｵｷ" : "ﾜﾀﾞ"));
        session.vehicles.post();
    }
}
BENCHMARK(BM_PostMovingEdit)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
