// `mivora copy-data FROM TO`: moves an office's records between the table files
// of a data folder and a database server (a folder with CARDATA.conn), either way.

#include "cli/commands.h"
#include "platform/paths.h"
#include "store/datafolder.h"
#include "text/errors.h"
#include "text/lines.h"

#include <ostream>

namespace mivora {

int commandCopyData(const Arguments& args, std::ostream& out, std::ostream&) {
    if (args.size() != 2)
        throw Error("使い方: mivora copy-data FROM TO (どちらもデータフォルダ。サーバーは "
                    "CARDATA.conn のあるフォルダで指定します)");
    const std::filesystem::path from = pathOf({}, args[0]), to = pathOf({}, args[1]);
    std::error_code error;
    if (!std::filesystem::is_directory(from, error))
        throw FileError("データフォルダ " + pathText(from) + " がありません。");
    for (const CopiedTable& table : copyDataFolder(from, to))
        out << table.name << ": " << table.records << " 件\n";
    out << pathText(from) << " の全テーブルを " << pathText(to) << " へコピーしました。\n";
    return 0;
}

} // namespace mivora
