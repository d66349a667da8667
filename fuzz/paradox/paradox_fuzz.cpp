// A table file of an old installation: the header, field list and block chain
// checked, then every field of every record read as each type it may be moved into.

#include "../support.h"

#include "import/paradoxtable.h"
#include "text/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = mivora::fuzz::scratchFolder() / "INDATA.DB";
    mivora::fuzz::writeFile(file, mivora::fuzz::bytesOf(data, size));
    if (!mivora::isParadoxTable(file))
        return 0;
    try {
        mivora::ParadoxTable table(file);
        const auto& fields = table.fields();
        table.forEachRecord([&] {
            for (int field = 0; field < static_cast<int>(fields.size()); ++field)
                for (auto type :
                     {mivora::FieldType::Text, mivora::FieldType::Integer, mivora::FieldType::Flag})
                    if (mivora::ParadoxTable::converts(fields[field].type, type))
                        table.value(field, type);
        });
    } catch (const mivora::Error&) {
    }
    return 0;
}
