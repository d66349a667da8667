#pragma once
// Answers the core's questions from a script, as a person would, and keeps what
// was asked and reported.

#include "session/prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace mivora::test {

class ScriptedPrompter : public Prompter {
  public:
    std::deque<bool> answers;
    std::vector<std::string> questions;
    std::vector<std::string> errors;

    bool askYesNo(const std::string& question) override {
        questions.push_back(question);
        if (answers.empty())
            return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showError(const std::string& message) override { errors.push_back(message); }
};

} // namespace mivora::test
