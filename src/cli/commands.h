#pragma once
// The headless commands of `mivora COMMAND ...`: the same core as the desktop
// program, without windows. Output is UTF-8.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace mivora {

using Arguments = std::vector<std::string>;

// Whether the first argument names a command (or asks for help).
bool isCommand(const std::string& word);

// Runs `mivora args...`; the exit code of the process.
int runCommand(const Arguments& args, std::ostream& out, std::ostream& err);

// The outermost frame of a command: whatever its body throws (the program's own
// errors, a failing file system call, memory running out, anything else) ends as
// a Japanese message on err, after "mivora NAME: ", and exit code 1, never as an
// uncaught exception that aborts the process.
int runReportingFailures(const std::string& name, const std::function<int()>& body,
                         std::ostream& err);

// The commands; args are those after the command's name.
int commandInit(const Arguments& args, std::ostream& out, std::ostream& err);
int commandBackup(const Arguments& args, std::ostream& out, std::ostream& err);
int commandRestore(const Arguments& args, std::ostream& out, std::ostream& err);
int commandResolve(const Arguments& args, std::ostream& out, std::ostream& err);
int commandPostal(const Arguments& args, std::ostream& out, std::ostream& err);
int commandPrint(const Arguments& args, std::ostream& out, std::ostream& err);
int commandCalibrate(const Arguments& args, std::ostream& out, std::ostream& err);
int commandImportParadox(const Arguments& args, std::ostream& out, std::ostream& err);
int commandRecover(const Arguments& args, std::ostream& out, std::ostream& err);
int commandCopyData(const Arguments& args, std::ostream& out, std::ostream& err);
int commandImportCertificate(const Arguments& args, std::ostream& out, std::ostream& err);

} // namespace mivora
