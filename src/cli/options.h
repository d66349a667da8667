#pragma once
// The arguments of a command: words, and options that take a value
// ("--row 2"). Unknown options and options without their value are refused.

#include "cli/commands.h"
#include "session/printeradjustment.h"
#include "session/session.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mivora {

struct CommandLine {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;

    std::optional<std::string> option(const std::string& name) const;
    // The option as a whole number; throws Error naming the option when it is not one.
    std::optional<int> number(const std::string& name) const;
};

// Removes a flag (an option without a value) from the arguments; whether it was there.
bool takeFlag(Arguments& args, const std::string& flag);

// Throws Error with a message for the user when an option is unknown or lacks its value.
CommandLine parseCommandLine(const Arguments& args, const std::vector<std::string>& valueOptions);

// The session of a command: the current directory is the program folder, the
// settings files a print needs are read when the command prints (a command never
// fails on a file it does not use), the tables are found as --cardata says and
// the main window's tables are open.
// A command that replaces every vehicle leaves them Unread (Table::leaveViewUnread)
// and opens the digit counts itself when it needs them.
enum class SettingsFiles { OfPrinting, None };
enum class Vehicles { Read, Unread };
std::unique_ptr<Session> openCommandSession(const CommandLine& line, SettingsFiles files,
                                            Vehicles vehicles = Vehicles::Read);

// The adjustment group that --group names (1 to 3), group 1 without the option.
// Throws Error for another number.
AdjustmentGroup groupOption(const CommandLine& line, const PrinterAdjustment& groups);

// Moves the table to the record the user named; an Error naming what (UTF-8, such
// as "レイアウト") when there is no such record.
void moveToRecord(Table& table, int number, const std::string& what);

} // namespace mivora
