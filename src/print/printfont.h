#pragma once
// The font of the item labels and of printing: one name for the installation,
// kept in CarFont.INI, and the Japanese fonts that stand in for Windows names.

#include <QFont>
#include <filesystem>
#include <string>

namespace mivora {

// The font name of CarFont.INI (CP932), else the design font "ＪＳゴシック".
std::string printFontName(const std::filesystem::path& programDir);

// The font of a name (CP932). A family this machine does not have is drawn with a
// Japanese Gothic font, never with one that lacks the glyphs.
QFont fontNamed(const std::string& name);

// Maps the Windows font names that layouts use to the installed Japanese fonts.
void registerJapaneseFontSubstitutes();

} // namespace mivora
