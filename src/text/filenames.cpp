#include "text/filenames.h"

#include "text/lines.h"

#include <algorithm>
#include <optional>

namespace mivora {

namespace fs = std::filesystem;

namespace {

std::string foldCase(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return name;
}

} // namespace

fs::path findFile(const fs::path& folder, const std::string& utf8Name) {
    const fs::path exact = pathOf(folder, utf8Name);
    std::error_code error;
    if (kNamesTellCase && fs::exists(fs::symlink_status(exact, error)))
        return exact;
    const std::string wanted = foldCase(utf8Name);
    std::optional<std::string> found;
    const fs::path listed = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator entry(listed, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string name = pathText(entry->path().filename());
        if (name == utf8Name)
            return exact;
        if (foldCase(name) == wanted && (!found || name < *found))
            found = std::move(name);
    }
    return found ? pathOf(folder, *found) : exact;
}

} // namespace mivora
