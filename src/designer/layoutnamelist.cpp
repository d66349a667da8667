#include "designer/layoutnamelist.h"

#include "text/lines.h"
#include "text/sjis.h"

#include <algorithm>

namespace mivora {

void LayoutNameList::read(const std::filesystem::path& file) {
    const auto lines = readLines(file);
    if (!lines)
        return;
    for (std::size_t i = 0; i < lines->size(); i += 2)
        pairs_.push_back({(*lines)[i], i + 1 < lines->size() ? (*lines)[i + 1] : std::string()});
}

void LayoutNameList::upkeep(const std::string& key, const std::string& name) {
    auto found = std::find_if(pairs_.begin(), pairs_.end(),
                              [&key](const Pair& pair) { return pair.number == key; });
    if (found != pairs_.end())
        found->name = name;
    else
        pairs_.push_back({name, key});
}

// The list grows with the table: no layout is ever left out of the file.
void LayoutNameList::write(const std::filesystem::path& file, int recordCount) {
    pairs_.resize(static_cast<std::size_t>(std::max(recordCount, 0)));
    if (!pairs_.empty())
        pairs_.back() = {sj("新規追加"), std::to_string(recordCount + 1)};
    std::vector<std::string> lines;
    lines.reserve(pairs_.size() * 2);
    for (const Pair& pair : pairs_) {
        lines.push_back(pair.name);
        lines.push_back(pair.number);
    }
    writeLines(file, lines);
}

} // namespace mivora
