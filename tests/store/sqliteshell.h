#pragma once
// The stock `sqlite3` shell, as users and their scripts meet the table files: it
// knows nothing of this program.

#include "support/tempdir.h"
#include "text/lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace mivora::test {

struct ShellResult {
    int status;
    std::string output; // standard output and error
};

// Runs sql (statements, dot commands) against file in the shell, stopping at the
// first error.
inline ShellResult runSqliteShell(const std::filesystem::path& file, const std::string& sql) {
    TempDir scratch;
    const std::filesystem::path script = scratch.path() / "script.sql";
    std::ofstream(script, std::ios::binary) << sql;
    const std::string command =
        "sqlite3 -bail '" + pathText(file) + "' < '" + pathText(script) + "' 2>&1";
    ShellResult result{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run the sqlite3 shell";
        return result;
    }
    char buffer[4096];
    std::size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, read);
    result.status = pclose(pipe);
    return result;
}

} // namespace mivora::test
