#include "designer/freechoices.h"

#include "text/filenames.h"
#include "text/lines.h"

namespace mivora {

const std::vector<std::string>& choiceListFiles() {
    static const std::vector<std::string> files = {"CarNo.INI",   "CarDate.INI",  "CarType1.INI",
                                                   "CarUse.INI",  "CarOther.INI", "CarType2.INI",
                                                   "CarName.INI", "FuelType.INI"};
    return files;
}

std::optional<std::vector<std::string>> rebuildPrnFree(const std::filesystem::path& programDir) {
    std::vector<std::string> gathered;
    bool anyFile = false;
    for (const std::string& name : choiceListFiles()) {
        if (auto lines = readLines(findFile(programDir, name))) {
            anyFile = true;
            gathered.insert(gathered.end(), lines->begin(), lines->end());
        }
    }
    writeLines(findFile(programDir, "PrnFree.ini"),
               anyFile ? gathered : std::vector<std::string>{"Not"});
    if (!anyFile)
        return std::nullopt;
    return gathered;
}

const std::vector<std::string>& builtInFreeChoices() {
    static const std::vector<std::string> choices = {"貨物",   "乗用",   "特種用途",
                                                     "自家用", "事業用", ""};
    return choices;
}

} // namespace mivora
