#pragma once

#include <filesystem>

namespace mivora::test {

// A fresh folder under the system's temp folder, removed with its content at the
// end of the test.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Whether a file of exactly this spelling is in its folder: Windows also finds
// it by a name that differs in the case of its letters.
bool spelledOnDisk(const std::filesystem::path& file);

} // namespace mivora::test
