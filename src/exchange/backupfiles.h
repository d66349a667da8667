#pragma once
// The files of one backup (the CSV file, or the TXT file with its width file),
// put in place together. Each is written under a short temporary name in the
// target folder; once all are complete and on disk, a journal naming them is
// written, and only then are they renamed over their targets. A run stopped at
// any point therefore leaves either the old files or, once the journal is
// complete, the new ones: whoever opens the folder next finishes the renames.

#include "platform/files.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

class BackupFiles {
  public:
    // targets: file names in one folder. Throws FileError when the folder refuses.
    explicit BackupFiles(std::vector<std::filesystem::path> targets);
    ~BackupFiles();
    BackupFiles(const BackupFiles&) = delete;
    BackupFiles& operator=(const BackupFiles&) = delete;

    // Appends to the file of targets[index]. Throws FileError.
    void write(std::size_t index, std::string_view bytes);
    // Puts every file in its place. Throws FileError naming the targets.
    void commit();

  private:
    void createJournal();
    void discard();
    [[noreturn]] void fail(const char* what, const std::string& system,
                           const char* note = "") const;

    std::filesystem::path directory_;
    std::vector<std::filesystem::path> targets_;
    std::string token_; // the short name shared by the journal and the temporary files
    OpenFile journal_;  // open and locked for as long as the run lives
    struct Temporary {
        OpenFile file;
        std::int64_t written = 0;
        std::int64_t handedToDisk = 0; // told to start writing up to here
    };
    std::vector<Temporary> files_;
    bool committed_ = false;
};

// Finishes the backups into directory that were stopped: a complete journal has
// its renames done, an incomplete one has its temporary files removed. A running
// backup holds its journal locked and is left alone. Throws FileError when the
// renames of a complete journal cannot be done.
void finishStoppedBackups(const std::filesystem::path& directory);

} // namespace mivora
