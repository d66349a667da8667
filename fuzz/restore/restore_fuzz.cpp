// The CSV and TXT restore readers and the width file. The first byte chooses the
// reader; one input in sixteen is also restored into the table, whose safety copy
// and transaction cost as much as a hundred readings. A TXT input starts with its
// width file up to the first byte 0x00.

#include "../support.h"

#include "exchange/restore.h"
#include "store/datafolder.h"
#include "text/errors.h"

namespace fs = std::filesystem;

namespace {

mivora::Table& vehicles() {
    static mivora::Table table(
        mivora::tablePath(mivora::fuzz::dataFolder(false), mivora::vehicleTable()));
    table.open();
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool intoTable = mivora::fuzz::goesSlowWay(data, size, 16);
    const fs::path file = mivora::fuzz::scratchFolder() / "input.DAT";
    const fs::path widthFile = mivora::fuzz::scratchFolder() / "input.TIF";
    std::string bytes = mivora::fuzz::bytesOf(data + 1, size - 1);
    std::size_t records = 0;
    const mivora::RecordVisitor count = [&](const mivora::RecordValues&) { ++records; };
    try {
        if (data[0] & 1) {
            mivora::fuzz::writeFile(file, bytes);
            if (intoTable) {
                mivora::restoreCsv(vehicles(), file, {});
            } else {
                mivora::ByteReader in(file);
                mivora::readCsvRecords(in, count);
            }
            return 0;
        }
        const std::size_t end = bytes.find('\0');
        mivora::fuzz::writeFile(widthFile, bytes.substr(0, end));
        mivora::fuzz::writeFile(file, end == std::string::npos ? "" : bytes.substr(end + 1));
        const mivora::Widths widths = *mivora::readWidthFile(widthFile);
        if (intoTable) {
            mivora::restoreTxt(vehicles(), file, widths, {});
        } else {
            mivora::ByteReader in(file);
            mivora::readTxtRecords(in, widths, count);
        }
    } catch (const mivora::Error&) {
    }
    return 0;
}
