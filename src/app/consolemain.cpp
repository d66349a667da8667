// mivora.com, the console program beside the windowed mivora.exe: cmd prefers it
// when the clerk types `mivora`, waits for it and takes its exit code, and it
// writes what the console can show. A command runs here; anything else starts
// the desktop program and returns at once, as a windowed program does.

#include "cli/commands.h"
#include "platform/console.h"
#include "platform/process.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = mivora::utf8Arguments(argc, argv);
    if (arguments.empty() || !mivora::isCommand(arguments[0])) {
        if (mivora::startWindowedProgram(arguments))
            return 0;
        std::cerr << "mivora: mivora.exe を起動できません。\n";
        return 1;
    }
    // MIVORA_UTF8=1 keeps output into a file or a pipe in UTF-8, for tools that read it so.
    const mivora::ConsoleStreams console(mivora::environmentText("MIVORA_UTF8") == "1");
    return mivora::runCommand(arguments, std::cout, std::cerr);
}
