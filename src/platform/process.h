#pragma once
// How the program meets the shell that started it.

#include <string>
#include <vector>

namespace mivora {

// The arguments after the program's name, as UTF-8 texts: Windows hands a
// program its arguments in the PC's code page unless asked for them in UTF-16.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// An environment variable as UTF-8 text; empty when it is not set.
std::string environmentText(const char* name);

// A windowed Windows program has no console: a command's output goes to the
// one it was typed in, in UTF-8. Output into a file or a pipe is left as it is.
void useStartingConsole();

} // namespace mivora
