#pragma once
// The product and version lines that the version dialog shows and that
// `mivora --version` prints on one line. The version number is the project's.

namespace mivora {

inline constexpr const char* kProductLine = "Mivora For Win32";
inline constexpr const char* kVersionLine = "Version " MIVORA_VERSION;

} // namespace mivora
