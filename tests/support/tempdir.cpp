#include "tempdir.h"

#include "platform/paths.h"

#include <random>
#include <string>

namespace mivora::test {

// Named in Japanese, as a clerk's folders are, so that every test also tries
// file names beyond ASCII.
TempDir::TempDir() {
    namespace fs = std::filesystem;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate = pathOf(fs::temp_directory_path(),
                                          "mivora-試験-" + std::to_string(random() % 1000000000));
        if (fs::create_directory(candidate))
            path_ = candidate;
    }
    if (path_.empty())
        throw fs::filesystem_error("TempDir", fs::temp_directory_path(),
                                   std::make_error_code(std::errc::file_exists));
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool spelledOnDisk(const std::filesystem::path& file) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(file.parent_path(), error), end;
         !error && it != end; it.increment(error))
        if (it->path().filename() == file.filename())
            return true;
    return false;
}

} // namespace mivora::test
