#pragma once
// Program folders and backups come from Windows, where file names are blind to
// the case of their letters: "FORM.JPG" is the file a layout names "form".

#include <filesystem>
#include <string>

namespace mivora {

// The file named utf8Name in folder, whatever the case of its ASCII letters; the
// exact name wins, and among other spellings the one that sorts first. When no
// such file exists, folder / utf8Name: the path to create.
std::filesystem::path findFile(const std::filesystem::path& folder, const std::string& utf8Name);

} // namespace mivora
