#pragma once
// Settings files (names ending in .INI) are plain CP932 text in the program
// directory, one value per line, lines ending in CR LF.

#include "platform/paths.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mivora {

// The lines of a file without their line ends (CR LF, LF or a lone CR), or nothing
// when the file does not exist. A file that exists but cannot be read throws
// FileError.
std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file);

// Writes the lines, each ended by CR LF, in place of the file's old content, which
// stays as it was when the writing fails. Throws FileError.
void writeLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// The whole content of a file as bytes. Throws FileError.
std::string readBytes(const std::filesystem::path& file);

} // namespace mivora
