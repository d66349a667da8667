#pragma once
// The console side of the Windows program (mivora.com): cmd starts it in place
// of the windowed mivora.exe when the clerk types `mivora`, waits for it and
// takes its exit code.

#include <memory>
#include <string>
#include <vector>

namespace mivora {

// While the object lives, std::cout and std::cerr take UTF-8 and write it as the
// console shows it (its own characters, whatever its code page); output into a
// file or a pipe is written in the console's code page (CP932 on a Japanese PC),
// or left in UTF-8 when asked for, with the line ends of Windows.
class ConsoleStreams {
  public:
    explicit ConsoleStreams(bool utf8WhenRedirected);
    ~ConsoleStreams();
    ConsoleStreams(const ConsoleStreams&) = delete;
    ConsoleStreams& operator=(const ConsoleStreams&) = delete;

  private:
    struct Streams;
    std::unique_ptr<Streams> streams_;
};

// Starts the windowed program beside this one with the same arguments and does
// not wait for it: `mivora` without a command is the desktop program. False when
// it cannot be started.
bool startWindowedProgram(const std::vector<std::string>& arguments);

} // namespace mivora
