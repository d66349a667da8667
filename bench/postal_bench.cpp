// The postal lookup on the national list: loading it, one lookup, and one lookup
// by the plain reading of the list from the top that the tests compare against.

#include "items/postal.h"
#include "text/lines.h"
#include "text/sjis.h"

// The plain reading lives with the tests.
#include "../tests/items/postal_reference.cpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

using namespace mivora;

const std::filesystem::path kListFile = std::filesystem::path(MIVORA_SHARED_DATA) / "KEN_ALL.CSV";

// Bytes the process holds from malloc, mapped blocks included (glibc).
double heapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(line.substr(start, comma - start));
    fields.push_back(line.substr(start));
    for (std::string& field : fields)
        if (field.size() >= 2 && field.front() == '"')
            field = field.substr(1, field.size() - 2);
    return fields;
}

// Addresses as users write them, from lines spread over the whole list: prefecture
// (every other one left out), city, area up to its parenthesis, a block number.
std::vector<std::string> addressesFromList(std::size_t count) {
    const std::vector<std::string> lines = *readLines(kListFile);
    std::vector<std::string> addresses;
    for (std::size_t i = 0; addresses.size() < count; ++i) {
        const std::vector<std::string> fields = fieldsOf(lines[i * lines.size() / count]);
        const std::string area = fields[8].substr(0, fields[8].find(sj("（")));
        const std::string prefecture = i % 2 ? fields[6] : "";
        addresses.push_back(prefecture + fields[7] + area + sj("１２－３"));
    }
    return addresses;
}

bool haveList(benchmark::State& state) {
    if (std::filesystem::exists(kListFile))
        return true;
    state.SkipWithError("no KEN_ALL.CSV in the shared data folder");
    return false;
}

void BM_PostalLoad(benchmark::State& state) {
    if (!haveList(state))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(PostalList::read(kListFile));
    const double before = heapBytes();
    const auto kept = PostalList::read(kListFile);
    state.counters["list_MB"] = (heapBytes() - before) / (1024 * 1024);
    state.counters["areas"] = static_cast<double>(kept->areaCount());
}
BENCHMARK(BM_PostalLoad)->Unit(benchmark::kMillisecond);

// One lookup, the average over 10,000 addresses; range(0) is the mode.
void BM_PostalLookup(benchmark::State& state) {
    if (!haveList(state))
        return;
    const auto list = PostalList::read(kListFile);
    const std::vector<std::string> addresses = addressesFromList(10000);
    const int mode = static_cast<int>(state.range(0));
    std::size_t next = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        const PostalAnswer answer = list->lookup(addresses[next], mode);
        found += !answer.code.empty();
        next = (next + 1) % addresses.size();
    }
    state.counters["found_share"] = static_cast<double>(found) / state.iterations();
}
BENCHMARK(BM_PostalLookup)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same addresses read the plain way, a few hundred of them.
void BM_PostalSequentialLookup(benchmark::State& state) {
    if (!haveList(state))
        return;
    const test::PostalReference reference(readBytes(kListFile));
    const std::vector<std::string> addresses = addressesFromList(200);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reference.lookup(addresses[next], 0));
        next = (next + 1) % addresses.size();
    }
}
BENCHMARK(BM_PostalSequentialLookup)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
