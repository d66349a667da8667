#pragma once

namespace mivora {

// Starts the desktop program: one copy per user, the windows, the message loop.
// Options: --folder DIR (the program folder), --cardata DIR.
int runDesktop(int argc, char** argv);

} // namespace mivora
