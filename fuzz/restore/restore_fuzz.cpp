// The CSV and TXT restore readers and the width file. The first byte chooses the
// reader; a TXT input starts with its width file up to the first byte 0x00.

#include "../support.h"

#include "exchange/restore.h"
#include "store/datafolder.h"
#include "text/errors.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static mivora::Table table(
        mivora::tablePath(mivora::fuzz::dataFolder(false), mivora::vehicleTable()));
    table.open();
    const fs::path file = mivora::fuzz::scratchFolder() / "input.DAT";
    const fs::path widthFile = mivora::fuzz::scratchFolder() / "input.TIF";
    std::string bytes = mivora::fuzz::bytesOf(data + 1, size - 1);
    try {
        if (data[0] & 1) {
            mivora::fuzz::writeFile(file, bytes);
            mivora::restoreCsv(table, file, {});
            return 0;
        }
        const std::size_t end = bytes.find('\0');
        mivora::fuzz::writeFile(widthFile, bytes.substr(0, end));
        mivora::fuzz::writeFile(file, end == std::string::npos ? "" : bytes.substr(end + 1));
        mivora::restoreTxt(table, file, *mivora::readWidthFile(widthFile), {});
    } catch (const mivora::Error&) {
    }
    return 0;
}
