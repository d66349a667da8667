// The item resolver: any item text in slot 1 of a sample layout, for the preview
// and for printing (nobody answers the "!" questions).

#include "../support.h"

#include "items/menutextcheck.h"
#include "session/session.h"
#include "text/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static mivora::Session session(mivora::ProgramSettings{}, mivora::fuzz::dataFolder(true));
    session.openMainTables();
    session.openDesignerTables();
    static mivora::ItemResolver resolver(session, nullptr, [] {
        return mivora::CivilDate{2026, 12, 7};
    });
    const std::string item = mivora::fuzz::bytesOf(data, size);
    for (auto mode : {mivora::ResolveMode::Preview, mivora::ResolveMode::Print}) {
        try {
            resolver.MenuTextCheck(item, 1 + static_cast<int>(size % 60), mode);
        } catch (const mivora::Error&) {
        }
    }
    return 0;
}
