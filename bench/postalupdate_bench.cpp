// Installing the whole national list from its zip file, as the main window's button
// and `mivora postal --install` do: unpacking, the checks, the copy kept as .bak
// and the replacement. The window waits this long.

#include "items/postalupdate.h"
#include "text/lines.h"

#include <benchmark/benchmark.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace mivora;

const fs::path kListFile = fs::path(MIVORA_SHARED_DATA) / "KEN_ALL.CSV";

// The list packed as it is published.
void zipList(const std::string& list, const fs::path& file) {
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    zip_file_add(archive, "KEN_ALL.CSV", zip_source_buffer(archive, list.data(), list.size(), 0),
                 0);
    zip_close(archive);
}

void BM_InstallNationalList(benchmark::State& state) {
    std::string pattern = (fs::temp_directory_path() / "mivora-bench-XXXXXX").string();
    const fs::path dir = mkdtemp(pattern.data());
    const std::string list = readBytes(kListFile);
    zipList(list, dir / "ken_all.zip");
    std::ofstream(dir / "KEN_ALL.CSV", std::ios::binary) << list;
    for (auto _ : state)
        benchmark::DoNotOptimize(installPostalList(dir / "ken_all.zip", dir));
    state.counters["zip_MB"] = static_cast<double>(fs::file_size(dir / "ken_all.zip")) / 1e6;
    fs::remove_all(dir);
}
BENCHMARK(BM_InstallNationalList)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
