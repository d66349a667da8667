// The record filter of a start-up request, parsed and run on a vehicle table.

#include "../support.h"

#include "store/datafolder.h"
#include "store/table.h"
#include "text/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static mivora::Table table(
        mivora::tablePath(mivora::fuzz::dataFolder(true), mivora::vehicleTable()));
    table.open();
    try {
        table.setFilter(mivora::fuzz::bytesOf(data, size));
        table.setFiltered(true);
        table.first();
    } catch (const mivora::Error&) {
    }
    table.setFiltered(false);
    return 0;
}
