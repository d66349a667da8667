#pragma once
// Bringing the program folder's KEN_ALL.CSV up to date from the zip file in which
// the national postal list is published every month.

#include <cstddef>
#include <filesystem>
#include <string>

namespace mivora {

struct InstalledPostalList {
    std::size_t lines = 0;        // lines of the new list
    bool keptPrevious = false;    // the list it replaced is now the backup
    std::filesystem::path list;   // KEN_ALL.CSV, in the case the folder has it
    std::filesystem::path backup; // KEN_ALL.CSV.bak, likewise
};

// Unpacks KEN_ALL.CSV from the zip file, checks that it is a national postal list
// (every line of the published form, every prefecture, no prefecture and not the
// whole much shorter than in the list it replaces, and a few well-known addresses
// answered with their codes), then puts it in place
// of programDir/KEN_ALL.CSV in one step, the previous list kept as
// KEN_ALL.CSV.bak. A damaged or wrong zip file throws FileError saying why, and
// the folder is left as it was.
InstalledPostalList installPostalList(const std::filesystem::path& zipFile,
                                      const std::filesystem::path& programDir);

// Tells the person what the installation did to the folder's list.
std::string installedMessage(const InstalledPostalList& installed);

// Why bytes are no postal list to replace the list `previous` with (empty: no list
// yet); empty when they are one.
std::string postalListFault(const std::string& bytes, const std::string& previous);

} // namespace mivora
