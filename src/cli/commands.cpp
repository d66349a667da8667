#include "cli/commands.h"

#include "cli/version.h"
#include "text/errors.h"
#include "text/lines.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <ostream>

namespace mivora {

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Arguments&, std::ostream&, std::ostream&);
};

const Command kCommands[] = {
    {"init",
     "init [--server 接続文字列 | --join 接続文字列] DIR  サンプルデータ入りのプログラムフォルダを"
     "作成します (--server: テーブルを PostgreSQL サーバーに作成、--join: 他の端末がサーバーに"
     "作成したテーブルを使う 2 台目以降の端末のフォルダ)",
     commandInit},
    {"copy-data",
     "copy-data FROM TO         データフォルダの全テーブルを別のデータフォルダまたはサーバーへ"
     "コピーします",
     commandCopyData},
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
    {"postal",
     "postal [--mode N] 住所...  KEN_ALL.CSV で住所の郵便番号を調べ、都道府県を補います\n"
     "  mivora postal --install FILE.zip  日本郵便の zip ファイルから KEN_ALL.CSV を更新します",
     commandPostal},
    {"print",
     "print --pdf FILE [--layout N] [--record N | --all] [--group N]  車両をレイアウトで PDF (360 "
     "dpi) に印刷します",
     commandPrint},
    {"calibrate",
     "calibrate --pdf FILE [--group N] | --measured X1,Y1,X2,Y2 [--group N] [--save]  "
     "プリンタ調整用紙 (A4) を PDF に印刷し、その実測値から尺度と印字位置を求めます "
     "(--save: ToolEdit.INI のそのグループに保存)",
     commandCalibrate},
    {"import-certificate",
     "import-certificate FILE... [--update | --add-only] [--skip-bad]  車検証閲覧アプリの"
     "車検証情報取込みファイル (JSON) を車両一覧に読み込みます (車台番号が同じ車両は更新、"
     "なければ追加。--update: 更新だけ、--add-only: 追加だけ、--skip-bad: 読めないファイルを"
     "飛ばす)",
     commandImportCertificate},
    {"import-paradox",
     "import-paradox OLD NEW [--paradox DIR]  旧形式 (Paradox) のプログラムフォルダを取り込みます",
     commandImportParadox},
};

void printVersion(std::ostream& out) {
    out << kProductLine << " " << kVersionLine << "\n";
}

void printHelp(std::ostream& out) {
    printVersion(out);
    out << "使い方:\n"
           "  mivora [--folder DIR]     デスクトッププログラムを起動します (DIR、カレントフォルダ、"
           "前回のフォルダの順に\n"
           "                            プログラムフォルダを探し、なければ作成を勧めます)\n";
    for (const Command& command : kCommands)
        out << "  mivora " << command.usage << "\n";
    out << "  mivora --version          バージョンを表示します\n"
           "  mivora --help             このヘルプを表示します\n"
           "データフォルダは --cardata DIR、環境変数 CARDATA、プログラムフォルダの CARDATA/ "
           "の順に決まります。\n"
           "データフォルダに CARDATA.conn (1 行目: PostgreSQL の接続文字列) があると、テーブルは"
           "そのサーバー上にあります。\n";
}

bool isHelp(const std::string& word) {
    return word == "--help" || word == "-h";
}

// The system's own text is kept for the file named, as the program's file errors do.
std::string fileSystemFailure(const std::filesystem::filesystem_error& error) {
    std::string files = pathText(error.path1());
    if (!error.path2().empty())
        files += " と " + pathText(error.path2());
    return "ファイル " + files + " を操作できません (" + systemReason(error.code()) + ")。";
}

// Any word after the command: "--help" is never an address or a file name.
bool asksForHelp(const Arguments& args) {
    return std::any_of(args.begin() + 1, args.end(), isHelp);
}

} // namespace

bool isCommand(const std::string& word) {
    if (word == "--help" || word == "-h" || word == "help" || word == "--version")
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
    if (args[0] == "--version") {
        printVersion(out);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (args[0] != command.name)
            continue;
        if (asksForHelp(args)) {
            out << "使い方: mivora " << command.usage << "\n";
            return 0;
        }
        return runReportingFailures(
            command.name,
            [&] { return command.run(Arguments(args.begin() + 1, args.end()), out, err); }, err);
    }
    err << "mivora: 「" << args[0]
        << "」というコマンドはありません。mivora --help をご覧ください。\n";
    return 2;
}

int runReportingFailures(const std::string& name, const std::function<int()>& body,
                         std::ostream& err) {
    const std::string prefix = "mivora " + name + ": ";
    try {
        return body();
    } catch (const Error& error) {
        err << prefix << error.what() << "\n";
    } catch (const std::filesystem::filesystem_error& error) {
        err << prefix << fileSystemFailure(error) << "\n";
    } catch (const std::bad_alloc&) {
        err << prefix << "メモリが足りないため、処理を中止しました。\n";
    } catch (const std::exception& error) {
        err << prefix << "予期しないエラーのため、処理を中止しました (" << error.what() << ")。\n";
    } catch (...) {
        err << prefix << "予期しないエラーのため、処理を中止しました。\n";
    }
    return 1;
}

} // namespace mivora
