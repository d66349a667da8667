// The settings files of the program folder and the start-up request, read as the
// program reads them at start. One input in sixteen also has the request's order
// and record applied to the table, which reads the records anew at the cost of a
// hundred readings of the files.

#include "../support.h"

#include "session/session.h"
#include "session/settings.h"
#include "text/errors.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path dir = mivora::fuzz::scratchFolder();
    const std::string bytes = mivora::fuzz::bytesOf(data, size);
    // One input feeds every file, each from its own offset, so lines of all of them vary.
    const char* names[] = {"Mivora.INI", "MsgFlg.INI", "User.INI", "INIDIR.INI"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        mivora::fuzz::writeFile(dir / names[i], bytes.substr(std::min(size, i * size / 4)));
    static mivora::Session session(mivora::ProgramSettings{}, mivora::fuzz::dataFolder(false));
    session.openMainTables();
    mivora::ProgramSettings& settings = session.settings;
    settings.programDir = dir;
    try {
        mivora::readSettingsFiles(settings);
        if (mivora::fuzz::goesSlowWay(data, size, 16)) {
            session.applyRequestOrder(settings.request);
            session.vehicles.setRecNo(settings.request.recordNumber);
        }
    } catch (const mivora::Error&) {
    }
    return 0;
}
