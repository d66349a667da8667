#include "tempdir.h"

#include <cstdlib>
#include <string>

namespace mivora::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mivora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::filesystem::filesystem_error("mkdtemp",
                                                std::error_code(errno, std::generic_category()));
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace mivora::test
