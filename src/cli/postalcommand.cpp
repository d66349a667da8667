// `mivora postal [--mode N] ADDRESS...`: the postal code of each address from the
// KEN_ALL.CSV of the program folder (the current directory), and the address with
// the prefecture put in front when it lacked one. One line per address, in order:
// the seven digits (or "-------" when no line of the list fits) and the address.
// `mivora postal --install FILE.zip` first puts the list of a published zip file
// in place of the folder's KEN_ALL.CSV.

#include "cli/commands.h"
#include "cli/programfolder.h"
#include "platform/paths.h"
#include "platform/process.h"

#include "items/postal.h"
#include "items/postalupdate.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <ostream>

namespace mivora {

namespace {

constexpr const char* kNoCode = "-------";

struct PostalRequest {
    int mode = 0;
    std::string zipFile; // the list to install first, if any
    Arguments addresses;
};

// False, with the reason on err, when the arguments make no request.
bool parsePostalRequest(const Arguments& args, PostalRequest& request, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            request.addresses.insert(request.addresses.end(), args.begin() + i + 1, args.end());
            break;
        }
        if (args[i] == "--install") {
            if (i + 1 == args.size()) {
                err << "mivora postal: --install の後に郵便番号簿の zip "
                       "ファイルを指定してください。\n";
                return false;
            }
            request.zipFile = args[++i];
            continue;
        }
        if (args[i] != "--mode") {
            request.addresses.push_back(args[i]);
            continue;
        }
        long long mode = 0;
        if (i + 1 == args.size() || !parseInteger(args[i + 1], mode) || mode < INT_MIN ||
            mode > INT_MAX) {
            err << "mivora postal: --mode の後に整数を指定してください。\n";
            return false;
        }
        request.mode = static_cast<int>(mode);
        ++i;
    }
    if (request.addresses.empty() && request.zipFile.empty()) {
        err << "使い方: mivora postal [--mode N] 住所...\n"
               "       mivora postal --install FILE.zip [住所...]\n"
               "  N が 1 "
               "なら住所の都道府県の行だけを、それ以外なら他の都道府県の同じ市区町村も探します。\n";
        return false;
    }
    return true;
}

// A list in another encoding or with broken lines answers little; say why.
void warnAboutList(const PostalList& list, std::ostream& err) {
    if (list.nonCp932LineCount() > 0)
        err << "mivora postal: KEN_ALL.CSV の " << list.nonCp932LineCount()
            << " 行がシフトJIS (CP932) "
               "の文字になっていません。ファイルの文字コードを確かめてください。\n";
    if (list.brokenLineCount() > 0)
        err << "mivora postal: KEN_ALL.CSV の " << list.brokenLineCount()
            << " 行は項目が 9 個に足りないか、都道府県名か市区町村名が空なので読み飛ばしました。\n";
}

// Prints the line of one address; false when it got no code.
bool printPostalCode(const std::string& address, int mode, const PostalList& list,
                     std::ostream& out, std::ostream& err) {
    std::array<std::string, 49> values;
    try {
        values[4] = fromUtf8(address);
    } catch (const ConversionError&) {
        err << "mivora postal: 住所「" << address << "」にシフトJIS で表せない文字があります。\n";
        out << kNoCode << " " << address << "\n";
        return false;
    }
    if (address.empty())
        err << "mivora postal: 空の住所には郵便番号がありません。\n";
    std::string code;
    PostRead(code, mode, values, list);
    out << (code.empty() ? kNoCode : code) << " " << toUtf8(values[4]) << "\n";
    return !code.empty();
}

// The list belongs beside the settings files of a program folder; anywhere else
// the program would never read it.
bool installList(const std::string& zipFile, const std::filesystem::path& programDir,
                 std::ostream& out, std::ostream& err) {
    if (!isProgramFolder(programDir) && environmentText("CARDATA").empty()) {
        err << "mivora postal: " << pathText(programDir)
            << " はプログラムフォルダではありません (CARDATA/INDATA.db も CARDATA/CARDATA.conn "
               "もありません)。郵便番号簿はプログラムフォルダで更新してください。\n";
        return false;
    }
    out << installedMessage(installPostalList(pathOf({}, zipFile), programDir)) << "\n";
    return true;
}

} // namespace

int commandPostal(const Arguments& args, std::ostream& out, std::ostream& err) {
    PostalRequest request;
    if (!parsePostalRequest(args, request, err))
        return 2;
    const std::filesystem::path programDir = std::filesystem::current_path();
    if (!request.zipFile.empty() && !installList(request.zipFile, programDir, out, err))
        return 1;
    if (request.addresses.empty())
        return 0;
    const auto list = postalListIn(programDir);
    if (!list) {
        err << "mivora postal: プログラムフォルダ " << pathText(programDir)
            << " に KEN_ALL.CSV がありません。\n";
        return 1;
    }
    warnAboutList(*list, err);
    bool allFound = true;
    for (const std::string& address : request.addresses)
        allFound = printPostalCode(address, request.mode, *list, out, err) && allFound;
    return allFound ? 0 : 1;
}

} // namespace mivora
