// `mivora import-paradox OLD NEW [--paradox DIR]`: an old program folder with its
// Paradox tables becomes a new program folder of this program.

#include "cli/commands.h"
#include "platform/paths.h"

#include "import/paradoximport.h"
#include "text/lines.h"

#include <ostream>

namespace mivora {

int commandImportParadox(const Arguments& args, std::ostream& out, std::ostream& err) {
    ImportFolders folders;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--paradox" && i + 1 < args.size())
            folders.paradox = pathOf({}, args[++i]);
        else
            positional.push_back(args[i]);
    }
    if (positional.size() != 2) {
        err << "使い方: mivora import-paradox 元のプログラムフォルダ 新しいプログラムフォルダ "
               "[--paradox DIR]\n";
        return 2;
    }
    folders.oldProgram = pathOf({}, positional[0]);
    folders.newProgram = pathOf({}, positional[1]);
    ImportReport report = importParadox(folders);
    out << "旧形式のデータを " << pathText(std::filesystem::absolute(folders.newProgram))
        << " に取り込みました。\n";
    for (const std::string& line : reportLines(report))
        out << line << "\n";
    return 0;
}

} // namespace mivora
