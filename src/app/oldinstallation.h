#pragma once
// The desktop program started where an old installation keeps its Paradox
// tables: instead of a database error it offers to move in.

#include <filesystem>
#include <optional>

class QWidget;

namespace mivora {

class Prompter;

struct StartFolders {
    std::filesystem::path program;
    std::filesystem::path tables;
};

// When the table folder holds the old database's tables instead of this
// program's, says so and offers to import them into a new program folder beside
// the program folder, with a progress window. The folders to start on: the given
// ones when there are no old tables, the new ones after an import; nothing when
// the person said no or the import failed (the program then ends). The new folder
// is remembered: the next start from elsewhere begins there, and a start on the
// same old tables offers it instead of a second import.
std::optional<StartFolders> foldersToStartOn(const StartFolders& given, Prompter& prompter,
                                             QWidget* parent);

// Beside the program folder, named after it; a number is added while the name is taken.
std::filesystem::path importFolderBeside(const std::filesystem::path& program);

} // namespace mivora
