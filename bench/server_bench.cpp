// The vehicle table of a large office on a PostgreSQL server (a private one on
// this machine, reached through its Unix socket): opening 100,000 records and
// reaching the last, one post, and a restore of all of them beside the same
// restore into a SQLite file.

#include "exchange/backup.h"
#include "exchange/restore.h"
#include "largedata.h"
#include "session/session.h"
#include "support/privatepostgres.h"
#include "text/sjis.h"

#include <benchmark/benchmark.h>

#include <fstream>

namespace mivora {
namespace {

namespace fs = std::filesystem;

constexpr int kVehicles = 100000;

struct Folders {
    fs::path files;  // a program folder with its tables in files
    fs::path server; // a program folder whose tables are on the server
};

const Folders& folders() {
    static test::PrivateServer server;
    static const Folders made = [] {
        Folders f{bench::largeFolder("server", kVehicles),
                  fs::temp_directory_path() / "mivora-bench-on-server"};
        fs::remove_all(f.server);
        test::useServerFor(f.server / "CARDATA", server.connection());
        copyDataFolder(f.files / "CARDATA", f.server / "CARDATA");
        return f;
    }();
    return made;
}

std::unique_ptr<Session> openSession(const fs::path& programDir) {
    ProgramSettings settings;
    settings.programDir = programDir;
    auto session = std::make_unique<Session>(settings, programDir / "CARDATA");
    session->openMainTables();
    session->digitCounts.setRecNo(1);
    return session;
}

void BM_ServerOpenAndReachLast(benchmark::State& state) {
    folders();
    for (auto _ : state) {
        auto session = openSession(folders().server);
        session->vehicles.last();
        benchmark::DoNotOptimize(session->vehicles.recNo());
    }
}
BENCHMARK(BM_ServerOpenAndReachLast)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ServerPostMovingEdit(benchmark::State& state) {
    auto session = openSession(folders().server);
    Table& vehicles = session->vehicles;
    vehicles.setRecNo(kVehicles / 2);
    int round = 0;
    for (auto _ : state) {
        vehicles.setText(sj("使用者ふりがな"), sj(round++ % 2 ? "ｱｵｷ" : "ﾜﾀﾞ"));
        vehicles.post();
    }
}
BENCHMARK(BM_ServerPostMovingEdit)->Unit(benchmark::kMillisecond)->UseRealTime();

// Another PC changes one vehicle so that it moves in the order; this one then
// catches up, as at its next move.
void BM_ServerCatchUpOneChange(benchmark::State& state) {
    auto session = openSession(folders().server);
    Table other(session->vehicles.file());
    other.open();
    other.setRecNo(kVehicles / 2);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        other.setText(sj("使用者ふりがな"), sj(round++ % 2 ? "ｱｵｷ" : "ﾜﾀﾞ"));
        other.post();
        state.ResumeTiming();
        session->vehicles.catchUp();
    }
}
BENCHMARK(BM_ServerCatchUpOneChange)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same CSV of 100,000 vehicles restored into either engine.
void BM_Restore100k(benchmark::State& state, bool onServer) {
    auto files = openSession(folders().files);
    const fs::path csv = folders().files / "restore.CSV";
    if (!fs::exists(csv)) {
        DigitCountRow row = readDigitCountRow(files->digitCounts);
        writeBackup(files->vehicles, files->digitCounts, row, csv, {}, {});
    }
    auto session = onServer ? openSession(folders().server) : std::move(files);
    for (auto _ : state)
        if (restoreCsv(session->vehicles, csv, {}) != kVehicles)
            state.SkipWithError("records lost");
}
BENCHMARK_CAPTURE(BM_Restore100k, sqlite, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Restore100k, server, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
