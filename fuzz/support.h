#pragma once
// What the fuzz targets share: a scratch folder that lives as long as the process,
// and a way to hand the input to code that reads files.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace mivora::fuzz {

// A fresh folder in memory (/dev/shm) where the system has it, else under the temp
// folder; removed when the process ends.
const std::filesystem::path& scratchFolder();

// A data folder inside the scratch folder with its tables, made on first use, with
// the sample records or empty.
const std::filesystem::path& dataFolder(bool withSampleData);

// Writes the bytes to the file, replacing it.
void writeFile(const std::filesystem::path& file, const std::string& bytes);

// Whether the input also goes the slow way (into a table, through a transaction),
// for one input in `share`. A hash of all its bytes decides, not a byte of it: the
// inputs that the slow way made new coverage with would otherwise pass their choice
// on to every mutation and fill the corpus with slow inputs.
bool goesSlowWay(const std::uint8_t* data, std::size_t size, unsigned share);

inline std::string bytesOf(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

} // namespace mivora::fuzz
