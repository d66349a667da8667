// Finding a file of the program folder by a name it forms: the exact name costs
// one look-up; another case, or no such file, reads the folder. A print of every
// record looks up its form image once per page.

#include "text/filenames.h"
#include "text/lines.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <unistd.h>

namespace mivora {
namespace {

namespace fs = std::filesystem;

// A program folder as clerks keep it: settings files, form images, backups.
class ProgramFolder {
  public:
    ProgramFolder() {
        char pattern[] = "/tmp/mivora-bench-names-XXXXXX";
        path_ = mkdtemp(pattern);
        for (int i = 0; i < 200; ++i)
            std::ofstream(path_ / ("BACKUP" + std::to_string(i) + ".CSV")).put('x');
        for (const char* name : {"MsgFlg.INI", "User.INI", "ToolEdit.INI", "CarFont.INI",
                                 "PrintName.INI", "KEN_ALL.CSV", "FORM.JPG"})
            std::ofstream(path_ / name).put('x');
        std::ofstream(pathOf(path_, "白地.jpg")).put('x');
    }
    ~ProgramFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

const fs::path& programFolder() {
    static const ProgramFolder folder;
    return folder.path();
}

void findFileWithName(benchmark::State& state, const char* name) {
    const fs::path& folder = programFolder();
    for (auto _ : state)
        benchmark::DoNotOptimize(findFile(folder, name));
}

BENCHMARK_CAPTURE(findFileWithName, exact_name, "ToolEdit.INI");
BENCHMARK_CAPTURE(findFileWithName, other_case, "form.jpg");
BENCHMARK_CAPTURE(findFileWithName, no_such_file, "Tessaly.exe");

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
