// The record filter of a start-up request, parsed against the vehicle table's
// fields; one input in sixteen is also set on the table and run. A run reads the
// records anew, which costs as much as a hundred parsings. The table stays
// filtered, as when a filter is changed in a filtered view.

#include "../support.h"

#include "store/datafolder.h"
#include "store/filter.h"
#include "store/table.h"
#include "text/codec.h"
#include "text/errors.h"

#include <map>

namespace {

bool vehicleField(std::string_view cp932Name, mivora::FilterField& field) {
    static const auto fields = [] {
        std::map<std::string, mivora::FilterField, std::less<>> byName;
        for (const mivora::FieldDef& def : mivora::vehicleTable().fields)
            byName.emplace(mivora::fromUtf8(def.name), mivora::FilterField{def.name, def.type});
        return byName;
    }();
    const auto found = fields.find(cp932Name);
    if (found == fields.end())
        return false;
    field = found->second;
    return true;
}

void runOnTable(const std::string& text) {
    static mivora::Table table(
        mivora::tablePath(mivora::fuzz::dataFolder(true), mivora::vehicleTable()));
    table.open();
    // A filter the engine refused left the table unfiltered.
    if (!table.filtered())
        table.setFiltered(true);
    table.setFilter(text);
    table.first();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = mivora::fuzz::bytesOf(data, size);
    try {
        mivora::parseFilter(text, vehicleField,
                            [](const std::string& expression) { return "k(" + expression + ")"; });
        if (mivora::fuzz::goesSlowWay(data, size, 16))
            runOnTable(text);
    } catch (const mivora::Error&) {
    }
    return 0;
}
