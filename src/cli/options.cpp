#include "cli/options.h"

#include "text/errors.h"
#include "text/sjis.h"

#include <algorithm>

namespace mivora {

std::optional<std::string> CommandLine::option(const std::string& name) const {
    auto found = options.find(name);
    if (found == options.end())
        return std::nullopt;
    return found->second;
}

std::optional<int> CommandLine::number(const std::string& name) const {
    auto text = option(name);
    if (!text)
        return std::nullopt;
    long long value = 0;
    if (!parseInteger(*text, value) || value < -2147483647LL || value > 2147483647LL)
        throw Error(name + " には整数を指定してください (「" + *text + "」)。");
    return static_cast<int>(value);
}

bool takeFlag(Arguments& args, const std::string& flag) {
    const auto found = std::find(args.begin(), args.end(), flag);
    if (found == args.end())
        return false;
    args.erase(found);
    return true;
}

CommandLine parseCommandLine(const Arguments& args, const std::vector<std::string>& valueOptions) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            line.words.push_back(arg);
            continue;
        }
        if (std::find(valueOptions.begin(), valueOptions.end(), arg) == valueOptions.end())
            throw Error("「" + arg + "」というオプションはありません。");
        if (i + 1 >= args.size())
            throw Error(arg + " の後に値がありません。");
        line.options[arg] = args[++i];
    }
    return line;
}

std::unique_ptr<Session> openCommandSession(const CommandLine& line, SettingsFiles files,
                                            Vehicles vehicles) {
    ProgramSettings settings;
    settings.programDir = std::filesystem::current_path();
    if (files == SettingsFiles::OfPrinting)
        readPrintSettings(settings);
    auto session = std::make_unique<Session>(
        settings, resolveTableFolder(settings.programDir, line.option("--cardata").value_or("")));
    if (vehicles == Vehicles::Unread) {
        session->vehicles.leaveViewUnread();
        session->vehicles.open();
    } else {
        session->openMainTables();
    }
    return session;
}

AdjustmentGroup groupOption(const CommandLine& line, const PrinterAdjustment& groups) {
    const int number = line.number("--group").value_or(1);
    if (number < 1 || number > static_cast<int>(groups.size()))
        throw Error("--group は 1～3 で指定してください。");
    return groups[static_cast<std::size_t>(number - 1)];
}

void moveToRecord(Table& table, int number, const std::string& what) {
    const int count = table.recordCount();
    if (number < 1 || number > count)
        throw Error(what + " " + std::to_string(number) + " はありません (" +
                    (count ? "1～" + std::to_string(count) : std::string("0 件")) + ")。");
    table.setRecNo(number);
}

} // namespace mivora
