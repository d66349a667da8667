// Moving in a large office: its vehicles in Paradox tables imported into a new
// program folder. peak_growth_MB is the most the process held during the imports
// beyond what it held before them (the kernel's high-water mark, so the building of
// the indexes counts too). Writing the input and an earlier size leave memory to the
// allocator that the import reuses, so the figure is a floor; the peak of
// `mivora import-paradox` under /usr/bin/time -v is the one to compare.

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
    bench::resetPeak();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(dir / "new");
        state.ResumeTiming();
        importParadox({dir / "old", dir / "new", {}});
        peak = std::max(peak, bench::peakResidentKilobytes());
    }
    state.counters["peak_growth_MB"] = static_cast<double>(peak - before) / 1024.0;
    fs::remove_all(dir);
}
BENCHMARK(BM_ImportParadox)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
