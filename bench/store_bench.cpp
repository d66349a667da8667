// The vehicle table of a large office: 100,000 records in the list order of the
// main window. Opening and reaching the last record, jumping to the middle, and
// posting an edit that moves the record in the order.

#include "session/session.h"
#include "store/datafolder.h"
#include "store/sqlite.h"
#include "text/sjis.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <unistd.h>

namespace mivora {
namespace {

constexpr int kVehicles = 100000;

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A data folder with kVehicles records, made once for all benchmarks.
const std::filesystem::path& largeFolder() {
    static const std::filesystem::path folder = [] {
        auto dir = std::filesystem::temp_directory_path() / "mivora-bench-store";
        std::filesystem::remove_all(dir);
        createTables(dir);
        Database db(tablePath(dir, vehicleTable()), false);
        db.exec("BEGIN");
        Statement insert = db.prepare(
            "INSERT INTO records (使用者ふりがな, 電話番号, 使用者, 使用者住所, 自動車登録番号, "
            "車台番号) VALUES (?, ?, ?, ?, ?, ?)");
        const char* readings[] = {"ﾔﾏﾀﾞ ﾀﾛｳ", "ｽｽﾞｷ ﾊﾅｺ", "ｻﾄｳ ｹﾝｼﾞ", "ﾀﾅｶ ｲﾁﾛｳ", "ｶﾄｳ ｱｷﾗ"};
        for (int i = 0; i < kVehicles; ++i) {
            insert.reset();
            insert.bindText(1, readings[i % 5]);
            insert.bindText(2, "03-" + std::to_string(1000000 + (i * 7919) % kVehicles));
            insert.bindText(3, "山田　太郎");
            insert.bindText(4, "東京都千代田区丸の内１丁目" + std::to_string(i));
            insert.bindText(5, "品川５００あ" + std::to_string(i));
            insert.bindText(6, "NZE161-" + std::to_string(3000000 + i));
            insert.step();
        }
        db.exec("COMMIT");
        return dir;
    }();
    return folder;
}

Session makeSession() {
    ProgramSettings settings;
    settings.programDir = largeFolder();
    return Session(settings, largeFolder());
}

void BM_OpenAndReachLast(benchmark::State& state) {
    largeFolder();
    long before = residentKilobytes(), after = before;
    for (auto _ : state) {
        Session session = makeSession();
        session.vehicles.open();
        session.vehicles.last();
        benchmark::DoNotOptimize(session.vehicles.recNo());
        after = residentKilobytes();
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
