#include "support/samplefolder.h"

#include "store/datafolder.h"

namespace mivora::test {

namespace {

ProgramSettings settingsIn(const std::filesystem::path& dir) {
    ProgramSettings settings;
    settings.programDir = dir;
    return settings;
}

} // namespace

SampleFolder::SampleFolder() : session_(settingsIn(dir_.path()), dir_.path() / "CARDATA") {
    createTables(session_.tableFolder);
    fillSampleData(session_.tableFolder);
    session_.openMainTables();
}

} // namespace mivora::test
