// Item resolution as the designer's repaint and a continuous print use it: every
// slot of the sample layouts against every sample vehicle, in preview mode. The heap
// in use must not grow from one pass over the records to the next.

#include "items/menutextcheck.h"
#include "session/session.h"
#include "store/datafolder.h"
#include "store/schema.h"
#include "text/sjis.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace mivora {
namespace {

namespace fs = std::filesystem;

// A sample data folder of its own, removed when the benchmark ends.
class SampleFolder {
  public:
    SampleFolder() {
        std::string pattern = (fs::temp_directory_path() / "mivora-resolve-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        path_ = pattern;
        createTables(path_);
        fillSampleData(path_);
    }
    ~SampleFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

std::vector<std::string> slotFieldNames() {
    std::vector<std::string> names;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        names.push_back(sj("項目") + std::to_string(slot));
    return names;
}

// Resolves every slot of every layout for every vehicle; returns the resolutions.
long resolveAll(Session& session, ItemResolver& resolver,
                const std::vector<std::string>& slotFields) {
    long resolutions = 0;
    for (session.vehicles.first(); !session.vehicles.eof(); session.vehicles.next()) {
        for (int layout = 1; layout <= session.layouts.recordCount(); ++layout) {
            session.layouts.setRecNo(layout);
            for (int slot = 1; slot <= kSlotCount; ++slot) {
                const std::string& itemText =
                    session.layouts.textAt(session.layouts.fieldIndex(slotFields[slot - 1]));
                benchmark::DoNotOptimize(
                    resolver.MenuTextCheck(itemText, slot, ResolveMode::Preview));
                ++resolutions;
            }
        }
    }
    return resolutions;
}

void BM_ResolveSampleLayouts(benchmark::State& state) {
    SampleFolder folder;
    Session session(ProgramSettings{}, folder.path());
    session.openMainTables();
    session.openDesignerTables();
    ItemResolver resolver(session, nullptr);
    const std::vector<std::string> slotFields = slotFieldNames();

    resolveAll(session, resolver, slotFields); // the caches and tables warm up once
    const std::size_t heapBefore = heapInUse();
    long resolutions = 0;
    for (auto _ : state)
        resolutions += resolveAll(session, resolver, slotFields);
    state.SetItemsProcessed(resolutions);
    state.counters["heap_growth_bytes"] =
        static_cast<double>(heapInUse()) - static_cast<double>(heapBefore);
    state.counters["vehicles"] = session.vehicles.recordCount();
}
BENCHMARK(BM_ResolveSampleLayouts)->Unit(benchmark::kMillisecond);

// One item text of every kind of rule and modifier, on one vehicle, with the dates
// spaced out.
void BM_ResolveEveryRule(benchmark::State& state) {
    SampleFolder folder;
    Session session(ProgramSettings{}, folder.path());
    session.openMainTables();
    session.openDesignerTables();
    session.layouts.setText(sj("日付の表示"), "False");
    session.layouts.post();
    ItemResolver resolver(session, nullptr);
    const char* const items[] = {
        "使用者様",
        "^使用者住所,　,後,36",
        "使用者住所１８文字",
        "登録番号分類半角",
        "登録番号一連Ｌ変",
        "車台番号下７桁",
        "#車台番号下７桁=－",
        "車名４文字",
        "今日",
        "今月末日",
        "１２ヶ月点検日",
        "用途○印",
        "#用途=貨物<○/×",
        "車両総重量-車両重量",
        "車両重量%2$10",
        "車名_2~",
        "@見本&1,2",
        "使用者住所都道府県無",
    };
    std::vector<std::string> itemTexts;
    for (const char* item : items)
        itemTexts.push_back(sj(item));
    long resolutions = 0;
    for (auto _ : state) {
        for (const std::string& itemText : itemTexts)
            benchmark::DoNotOptimize(resolver.MenuTextCheck(itemText, 1, ResolveMode::Preview));
        resolutions += static_cast<long>(itemTexts.size());
    }
    state.SetItemsProcessed(resolutions);
}
BENCHMARK(BM_ResolveEveryRule)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
