// Moving in a large office: its vehicles in Paradox tables imported into a new
// program folder. Memory is sampled while the import runs, at every progress report.

#include "import/paradoximport.h"
#include "largedata.h"
#include "memory.h"
#include "support/paradoxwriter.h"

#include <benchmark/benchmark.h>

namespace mivora {
namespace {

namespace fs = std::filesystem;

void BM_ImportParadox(benchmark::State& state) {
    const fs::path dir = bench::largeFolder("import", static_cast<int>(state.range(0)));
    test::writeParadoxFolder(dir / "CARDATA", dir / "old" / "CARDATA");
    const long before = bench::residentKilobytes();
    long peak = before;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(dir / "new");
        state.ResumeTiming();
        importParadox({dir / "old", dir / "new", {}}, [&](int, int) {
            peak = std::max(peak, bench::residentKilobytes());
            return true;
        });
    }
    state.counters["peak_growth_MB"] = static_cast<double>(peak - before) / 1024.0;
    fs::remove_all(dir);
}
BENCHMARK(BM_ImportParadox)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
