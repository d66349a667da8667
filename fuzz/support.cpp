#include "support.h"

#include "store/datafolder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace mivora::fuzz {

namespace fs = std::filesystem;

namespace {

// Every input writes files and tables; on a disk each write costs more than the
// parsing it feeds, and the tables' syncs cost more still. Memory, where there is one.
fs::path scratchBase() {
    std::error_code error;
    const fs::path memory = "/dev/shm";
    if (fs::is_directory(memory, error) && ::access(memory.c_str(), W_OK) == 0)
        return memory;
    return fs::temp_directory_path();
}

struct Scratch {
    Scratch() {
        std::string pattern = (scratchBase() / "mivora-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("no scratch folder");
        path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

} // namespace

const fs::path& scratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

const fs::path& dataFolder(bool withSampleData) {
    static const fs::path folder = [&] {
        const fs::path made = scratchFolder() / "CARDATA";
        createTables(made);
        if (withSampleData)
            fillSampleData(made);
        return made;
    }();
    return folder;
}

bool goesSlowWay(const std::uint8_t* data, std::size_t size, unsigned share) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;
    return (hash >> 8) % share == 0;
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace mivora::fuzz
