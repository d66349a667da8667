#include "platform/paths.h"

namespace mivora {

namespace fs = std::filesystem;

fs::path pathOf(const fs::path& folder, const std::string& utf8Name) {
    return folder / fs::path(std::u8string(utf8Name.begin(), utf8Name.end()));
}

std::string pathText(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace mivora
