#include "app/commands.h"

#include "text/errors.h"

#include <ostream>

namespace mivora {

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Arguments&, std::ostream&, std::ostream&);
};

const Command kCommands[] = {
    {"init", "init DIR                  サンプルデータ入りのプログラムフォルダを作成します",
     commandInit},
    {"backup",
     "backup FILE --row N       全車両を CSV (拡張子 .CSV) または TXT にバックアップします",
     commandBackup},
    {"restore",
     "restore FILE [--row N]    バックアップから全車両をリストアします (TXT "
     "で幅ファイルがないときは --row N)",
     commandRestore},
    {"recover",
     "recover --list | NAME     安全のためのコピーを一覧表示します / コピーから全車両を戻します",
     commandRecover},
    {"resolve",
     "resolve [--layout N] [--record N] [--text ITEM]...  "
     "レイアウトの各項目が印刷する文字を表示します",
     commandResolve},
    {"postal", "postal [--mode N] 住所...  KEN_ALL.CSV で住所の郵便番号を調べ、都道府県を補います",
     commandPostal},
    {"print",
     "print --pdf FILE [--layout N] [--record N | --all] [--group N]  車両をレイアウトで PDF (360 "
     "dpi) に印刷します",
     commandPrint},
};

void printHelp(std::ostream& out) {
    out << "Mivora For Win32 Version 1.36\n"
           "使い方:\n"
           "  mivora                    デスクトッププログラムを起動します (カレントフォルダで)\n";
    for (const Command& command : kCommands)
        out << "  mivora " << command.usage << "\n";
    out << "  mivora --help             このヘルプを表示します\n"
           "データフォルダは --cardata DIR、環境変数 CARDATA、プログラムフォルダの CARDATA/ "
           "の順に決まります。\n";
}

} // namespace

bool isCommand(const std::string& word) {
    if (word == "--help" || word == "-h" || word == "help")
        return true;
    for (const Command& command : kCommands)
        if (word == command.name)
            return true;
    return false;
}

int runCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printHelp(out);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (args[0] != command.name)
            continue;
        try {
            return command.run(Arguments(args.begin() + 1, args.end()), out, err);
        } catch (const Error& error) {
            err << "mivora " << command.name << ": " << error.what() << "\n";
            return 1;
        }
    }
    err << "mivora: 「" << args[0]
        << "」というコマンドはありません。mivora --help をご覧ください。\n";
    return 2;
}

} // namespace mivora
