// Without arguments: the desktop program, in the current directory as its
// program directory. With a command: the same core, headless.

#include "app/desktop.h"
#include "cli/commands.h"
#include "platform/process.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc > 1 && mivora::isCommand(argv[1])) {
        mivora::useStartingConsole();
        return mivora::runCommand(mivora::utf8Arguments(argc, argv), std::cout, std::cerr);
    }
    return mivora::runDesktop(argc, argv);
}
