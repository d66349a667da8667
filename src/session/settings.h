#pragma once
// The process-wide settings read once at start from the settings files of the
// program directory, and the one-shot request that the sibling program leaves.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace mivora {

// The request file Mivora.INI.
struct StartupRequest {
    enum Mode { None = 0, Designer = 1, Settings = 2, Print = 3 };
    int mode = None;
    std::string indexName; // CP932; "" selects the primary index
    bool filtered = false;
    std::string filter; // CP932
    int recordNumber = 0;
    int layout = 1; // 0 or a non-number counts as 1
};

struct ProgramSettings {
    std::filesystem::path programDir;
    int messageFlag = 0;                     // MsgFlg.INI line 1
    bool siblingPresent = false;             // Tessaly.exe in the program directory
    std::array<std::string, 7> companyTexts; // User.INI lines 1-7 (CP932)
    std::string dataFolder;                  // INIDIR.INI line 1 (CP932)
    bool severalPrinters = false;            // more than one printer installed
    StartupRequest request;
};

// The company texts' keywords, in the line order of User.INI (UTF-8).
extern const std::array<const char*, 7> kCompanyKeywords;

// Reads MsgFlg.INI, Tessaly.exe, User.INI, Mivora.INI and INIDIR.INI in this order
// into settings (whose programDir is set). Missing files leave the defaults; a file
// that exists but cannot be read throws FileError and the later steps are skipped.
void readSettingsFiles(ProgramSettings& settings);

// Only what a print needs: MsgFlg.INI, Tessaly.exe and User.INI.
void readPrintSettings(ProgramSettings& settings);

// The request of the lines of a Mivora.INI file.
StartupRequest parseStartupRequest(const std::vector<std::string>& lines);

// File names in the program directory.
std::filesystem::path requestFile(const std::filesystem::path& programDir);

} // namespace mivora
