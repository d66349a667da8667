// The vehicle table of a large office: 100,000 records in the list order of the
// main window. Opening and reaching the last record (of vehicles with distinct
// users, of one user's fleet, of twenty users' fleets), jumping to the middle, and
// posting an edit that moves the record in the order.

#include "largedata.h"
#include "memory.h"
#include "session/session.h"
#include "text/sjis.h"

#include <benchmark/benchmark.h>

#include <map>

namespace mivora {
namespace {

constexpr int kVehicles = 100000;

// users 0: every vehicle has a user of its own.
const std::filesystem::path& largeFolder(int users = 0) {
    static std::map<int, std::filesystem::path> folders;
    auto& folder = folders[users];
    if (folder.empty())
        folder = bench::largeFolder("store-" + std::to_string(users), kVehicles, users) / "CARDATA";
    return folder;
}

Session makeSession(int users = 0) {
    ProgramSettings settings;
    settings.programDir = largeFolder(users);
    return Session(settings, largeFolder(users));
}

// table_MB is what the open table holds afterwards; peak_MB the most the process
// held beyond what it held before, sorting included.
void BM_OpenAndReachLast(benchmark::State& state) {
    const int users = static_cast<int>(state.range(0));
    largeFolder(users);
    long before = bench::residentKilobytes(), after = before, peak = before;
    bench::resetPeak();
    for (auto _ : state) {
        Session session = makeSession(users);
        session.vehicles.open();
        session.vehicles.last();
        benchmark::DoNotOptimize(session.vehicles.recNo());
        after = bench::residentKilobytes();
        peak = std::max(peak, bench::peakResidentKilobytes());
    }
    state.counters["table_MB"] = static_cast<double>(after - before) / 1024.0;
    state.counters["peak_MB"] = static_cast<double>(peak - before) / 1024.0;
}
BENCHMARK(BM_OpenAndReachLast)
    ->ArgName("users")
    ->Arg(0)
    ->Arg(1)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond);

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
