#include "platform/paths.h"

namespace mivora {

namespace fs = std::filesystem;

fs::path pathOf(const fs::path& folder, const std::string& utf8Name) {
    return folder / fs::path(std::u8string(utf8Name.begin(), utf8Name.end()));
}

// In the system's own separators: a folder the framework names ("C:/Users/…")
// joined with a name by the program would otherwise show both kinds on Windows.
std::string pathText(const fs::path& path) {
    const std::u8string text = fs::path(path).make_preferred().u8string();
    return std::string(text.begin(), text.end());
}

} // namespace mivora
