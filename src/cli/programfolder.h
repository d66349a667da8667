#pragma once
// The program folder of the desktop program: where its settings files, form
// images, KEN_ALL.CSV and (unless named elsewhere) its tables are.
//
// A folder is a program folder when it holds the table of vehicles
// (CARDATA/INDATA.db, in any letter case) or the connection file of a shared database
// (CARDATA.conn).

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace mivora {

bool isProgramFolder(const std::filesystem::path& dir);

enum class FolderContent {
    Sample, // tables with fictional vehicles and two layouts, form images, settings files
    Empty,  // the six tables, empty
    Joined, // another PC's tables on a server; form images, settings files
};

// Creates the folder with its content; throws Error, also when it holds tables.
// With a server (a libpq connection string), the tables are made on it (or, when
// joined, must be there already), and the folder's CARDATA.conn points there.
void createProgramFolder(const std::filesystem::path& dir, FolderContent content,
                         const std::string& server = "");

// What the desktop program was started with.
struct StartFolderOptions {
    std::filesystem::path folder;      // --folder DIR, or empty
    bool tablesNamedElsewhere = false; // --cardata DIR or the environment variable CARDATA
    std::filesystem::path current;     // the current directory
    std::filesystem::path proposed;    // where a first start offers to create one
};

// The person's answer to the offer of a new program folder at `proposed`;
// nothing when they decline.
using FolderOffer = std::function<std::optional<FolderContent>(const std::filesystem::path&)>;

// The program folder to work in: the one named by --folder; else the current
// directory when it is a program folder or when the tables are named elsewhere;
// else the folder remembered from an earlier start, if it still is one; else the
// offer decides, and a folder created on it is remembered. Nothing when the person
// declined. Throws Error when --folder names no folder or the new one cannot be made.
std::optional<std::filesystem::path> findProgramFolder(const StartFolderOptions& options,
                                                       const FolderOffer& offer);

// Where the next start without a program folder at hand begins.
void rememberProgramFolder(const std::filesystem::path& dir);

// An import of the old tables into a new program folder, which the next start
// begins in; a start in the old folder learns of it from importedFolderOf().
void rememberImport(const std::filesystem::path& oldTables, const std::filesystem::path& newFolder);

// The program folder the old tables were imported into, while it still is one.
std::optional<std::filesystem::path> importedFolderOf(const std::filesystem::path& oldTables);

// The offer as a message box with a button for each content and one to quit.
std::optional<FolderContent> offerProgramFolder(const std::filesystem::path& proposed,
                                                QWidget* parent = nullptr);

// Mivora in the user's documents folder.
std::filesystem::path proposedProgramFolder();

} // namespace mivora
