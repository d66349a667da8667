#pragma once
// The arguments of a command: words, and options that take a value
// ("--row 2"). Unknown options and options without their value are refused.

#include "app/commands.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mivora {

struct CommandLine {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;

    std::optional<std::string> option(const std::string& name) const;
    // The option as a whole number; throws Error naming the option when it is not one.
    std::optional<int> number(const std::string& name) const;
};

// Throws Error with a message for the user when an option is unknown or lacks its value.
CommandLine parseCommandLine(const Arguments& args, const std::vector<std::string>& valueOptions);

} // namespace mivora
