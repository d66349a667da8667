#pragma once
// What the core asks a person. The windows answer with real dialogs; the
// headless commands and the tests answer from a script.

#include <string>

namespace mivora {

class Prompter {
  public:
    virtual ~Prompter() = default;

    // A yes/no question (UTF-8); true for yes.
    virtual bool askYesNo(const std::string& question) = 0;

    // Reports a failure that ended an operation (UTF-8); the program goes on.
    virtual void showError(const std::string& message) = 0;
};

} // namespace mivora
