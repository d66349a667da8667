// Inputs built to be costly: a filter chaining thousands of terms, a postal list
// whose area opens "（" and never closes it, and a form image that claims a huge
// size. Each should grow linearly with the input, and the image should cost the
// memory of the page it is drawn on, not of the size it claims.

#include "items/postal.h"
#include "print/formimage.h"
#include "store/filter.h"
#include "text/sjis.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <jpeglib.h>
#include <sys/resource.h>
#include <unistd.h>

namespace mivora {
namespace {

bool anyField(std::string_view, FilterField& field) {
    field = {"f", FieldType::Text};
    return true;
}

void BM_FilterOrChain(benchmark::State& state) {
    std::string filter = "a = '0'";
    for (int i = 1; i < state.range(0); ++i)
        filter += " or a = '" + std::to_string(i % 10) + "'";
    for (auto _ : state)
        benchmark::DoNotOptimize(
            parseFilter(filter, anyField, [](const std::string& e) { return e; }));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FilterOrChain)
    ->Arg(700)
    ->Arg(1400)
    ->Arg(2800)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

std::string postalLine(const char* area) {
    return sj(std::string("1,\"1\",\"0000001\",\"\",\"\",\"\",\"北海道\",\"甲市\",\"") + area +
              "\",0,0,0,0,0,0\r\n");
}

void BM_PostalListWithAnAreaNeverClosed(benchmark::State& state) {
    std::string bytes = postalLine("乙町（１、２");
    for (int i = 0; i < state.range(0); ++i)
        bytes += postalLine("３、４、５、６、７、８");
    for (auto _ : state) {
        PostalList list(bytes);
        benchmark::DoNotOptimize(list.areaCount());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PostalListWithAnAreaNeverClosed)
    ->Arg(30000)
    ->Arg(60000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// A flat grey scan of width × height pixels, written once with libjpeg.
std::filesystem::path scanFile(int width, int height) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("mivora-bench-scan-" + std::to_string(width) + ".jpg");
    if (std::filesystem::exists(file))
        return file;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(width, 200);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
    return file;
}

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// A 16000 × 16000 scan (the largest accepted) onto an A4 page at 360 dpi.
void BM_DecodeHugeScanForAPage(benchmark::State& state) {
    const auto file = scanFile(16000, 16000);
    QSize decoded;
    for (auto _ : state)
        decoded = decodeFormImage(file, QSize(2977, 4213)).size();
    state.counters["width"] = decoded.width();
    state.counters["height"] = decoded.height();
    state.counters["peak_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_DecodeHugeScanForAPage)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
