#pragma once
// Bringing the program folder's KEN_ALL.CSV up to date from the zip file in which
// the national postal list is published every month.

#include <cstddef>
#include <filesystem>
#include <string>

namespace mivora {

struct InstalledPostalList {
    std::size_t lines = 0;     // lines of the new list
    bool keptPrevious = false; // the list it replaced is now KEN_ALL.CSV.bak
};

// Unpacks KEN_ALL.CSV from the zip file, checks that it is a national postal list
// (every line of the published form, no fewer lines than the list it replaces,
// and a few well-known addresses answered with their codes), then puts it in place
// of programDir/KEN_ALL.CSV in one step, the previous list kept as
// KEN_ALL.CSV.bak. A damaged or wrong zip file throws FileError saying why, and
// the folder is left as it was.
InstalledPostalList installPostalList(const std::filesystem::path& zipFile,
                                      const std::filesystem::path& programDir);

// Tells the person what the installation did to programDir's list.
std::string installedMessage(const InstalledPostalList& installed,
                             const std::filesystem::path& programDir);

// Why bytes are no postal list to replace one of previousLines lines with (0: no
// list yet); empty when they are one.
std::string postalListFault(const std::string& bytes, std::size_t previousLines);

} // namespace mivora
