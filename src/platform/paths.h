#pragma once
// File names travel through the code as UTF-8 text. Windows keeps them as UTF-16
// and reads a plain narrow string in the PC's code page, so every conversion
// between a name and its text goes through these two functions.

#include <filesystem>
#include <string>

namespace mivora {

// Whether two names that differ only in the case of their letters name two files.
// Windows finds a file by any case of its name, and so says nothing of how it is
// spelled on the disk.
#ifdef _WIN32
constexpr bool kNamesTellCase = false;
#else
constexpr bool kNamesTellCase = true;
#endif

// Whether the system has file dialogs of its own that a person expects (Windows'
// knows the desktop, OneDrive and the user's folders by their Japanese names); on
// Debian the framework's own dialog is the same on every desktop.
#ifdef _WIN32
constexpr bool kSystemFileDialogs = true;
#else
constexpr bool kSystemFileDialogs = false;
#endif

// Path of a file named by a UTF-8 text in a folder (an empty folder: the name alone).
std::filesystem::path pathOf(const std::filesystem::path& folder, const std::string& utf8Name);

// A path as UTF-8 text, as the person sees it: with the system's own separators.
std::string pathText(const std::filesystem::path& path);

} // namespace mivora
