#pragma once
// The free contents offered for hand-written items. The choice-list files of the
// program directory are gathered into PrnFree.ini, which other programs read too.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mivora {

// The choice-list files, in the order their lines are gathered.
const std::vector<std::string>& choiceListFiles();

// Rewrites PrnFree.ini with all lines of the choice-list files that exist, file
// after file, and returns them; with none of the files there it holds the single
// line "Not" and nothing is returned. Throws FileError.
std::optional<std::vector<std::string>> rebuildPrnFree(const std::filesystem::path& programDir);

// What the free-content box offers when there is no choice-list file (UTF-8).
const std::vector<std::string>& builtInFreeChoices();

} // namespace mivora
