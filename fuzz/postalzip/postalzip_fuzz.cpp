// The monthly postal zip file installed into a program folder. The first byte
// chooses: the zip file whole, unpacked and checked and put in place; or the list
// checker alone, with the new list and the one it replaces parted by a byte 0x00, where
// deflated bytes would seldom lead a mutation.

#include "../support.h"

#include "items/postalupdate.h"
#include "text/errors.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string bytes = mivora::fuzz::bytesOf(data + 1, size - 1);
    if (data[0] & 1) {
        const std::size_t end = bytes.find('\0');
        mivora::postalListFault(bytes.substr(0, end),
                                end == std::string::npos ? "" : bytes.substr(end + 1));
        return 0;
    }
    const fs::path folder = mivora::fuzz::scratchFolder() / "program";
    static const bool made = fs::create_directories(folder);
    (void)made;
    const fs::path zip = mivora::fuzz::scratchFolder() / "ken_all.zip";
    mivora::fuzz::writeFile(zip, bytes);
    try {
        mivora::installPostalList(zip, folder);
    } catch (const mivora::FileError&) {
    }
    // Each input meets the folder as the first installation does.
    for (const char* name : {"KEN_ALL.CSV", "KEN_ALL.CSV.bak"})
        fs::remove(folder / name);
    return 0;
}
