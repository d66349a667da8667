#include "session/settings.h"

#include "text/filenames.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <vector>

namespace mivora {

namespace fs = std::filesystem;

const std::array<const char*, 7> kCompanyKeywords = {
    "自住所",         "自社名",         "自社名付",      "自電話番号",
    "自社情報追加１", "自社情報追加２", "自社情報追加３"};

namespace {

std::string lineOr(const std::vector<std::string>& lines, std::size_t index) {
    return index < lines.size() ? lines[index] : std::string();
}

} // namespace

fs::path requestFile(const fs::path& programDir) {
    return findFile(programDir, "Mivora.INI");
}

StartupRequest parseStartupRequest(const std::vector<std::string>& lines) {
    StartupRequest request;
    request.indexName = lineOr(lines, 0);
    request.filter = lineOr(lines, 1);
    request.filtered = !request.filter.empty();
    request.recordNumber = leadingInteger(lineOr(lines, 2));
    request.layout = leadingInteger(lineOr(lines, 3));
    if (request.layout == 0)
        request.layout = 1;
    const std::string word = lineOr(lines, 4);
    request.mode = word == sj("設定")   ? StartupRequest::Settings
                   : word == sj("印刷") ? StartupRequest::Print
                                        : StartupRequest::Designer;
    return request;
}

void readPrintSettings(ProgramSettings& settings) {
    const fs::path& dir = settings.programDir;
    settings.messageFlag = 0;
    if (auto lines = readLines(findFile(dir, "MsgFlg.INI")))
        settings.messageFlag = leadingInteger(lineOr(*lines, 0));
    std::error_code error;
    settings.siblingPresent = fs::exists(findFile(dir, "Tessaly.exe"), error);
    if (auto lines = readLines(findFile(dir, "User.INI")))
        for (std::size_t i = 0; i < settings.companyTexts.size(); ++i)
            settings.companyTexts[i] = lineOr(*lines, i);
}

void readSettingsFiles(ProgramSettings& settings) {
    readPrintSettings(settings);
    const fs::path& dir = settings.programDir;
    if (auto lines = readLines(requestFile(dir)))
        settings.request = parseStartupRequest(*lines);
    else
        settings.request = StartupRequest{};
    if (auto lines = readLines(findFile(dir, "INIDIR.INI")))
        settings.dataFolder = lineOr(*lines, 0);
}

} // namespace mivora
