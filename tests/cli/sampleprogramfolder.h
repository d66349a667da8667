#pragma once
// A program folder as `mivora init` makes it (tables with the sample records and
// layouts, form images, settings files), and `mivora print` run in it.

#include "cli/commands.h"
#include "support/tempdir.h"
#include "text/lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace mivora::test {

class SampleProgramFolder {
  public:
    SampleProgramFolder() {
        std::ostringstream out, err;
        if (runCommand({"init", pathText(folder())}, out, err) != 0)
            ADD_FAILURE() << err.str();
    }

    std::filesystem::path folder() const { return dir_.path() / "program"; }
    std::filesystem::path tables() const { return folder() / "CARDATA"; }
    std::filesystem::path file(const std::string& name) const { return dir_.path() / name; }

    // `mivora print ARGS` with the program folder as the current directory, as the
    // program runs; out and err hold what it said.
    int print(std::vector<std::string> args) {
        args.insert(args.begin(), "print");
        return command(args);
    }

    // `mivora COMMAND ARGS` in the program folder.
    int command(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(folder());
        const int code = runCommand(args, out, err);
        std::filesystem::current_path(before);
        return code;
    }

    std::ostringstream out;
    std::ostringstream err;

  private:
    TempDir dir_;
};

} // namespace mivora::test
