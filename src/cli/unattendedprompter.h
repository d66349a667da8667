#pragma once
// The person of a headless command, who is not there: every yes/no question gets
// the same answer, nothing is chosen, and failures go to the error output.

#include "session/prompter.h"

#include <ostream>

namespace mivora {

class UnattendedPrompter : public Prompter {
  public:
    UnattendedPrompter(std::ostream& err, bool answer) : err_(err), answer_(answer) {}
    bool askYesNo(const std::string&) override { return answer_; }
    bool askThreeLines(const std::array<std::string, 3>&) override { return answer_; }
    bool chooseDigitCountRow(const std::string&) override { return false; }
    std::string chooseDate() override { return {}; }
    std::optional<std::string> chooseFile(const FileQuestion&) override { return std::nullopt; }
    void showError(const std::string& message) override { err_ << message << "\n"; }

  private:
    std::ostream& err_;
    bool answer_;
};

} // namespace mivora
