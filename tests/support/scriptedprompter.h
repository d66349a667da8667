#pragma once
// Answers the core's questions from a script, as a person would, and keeps what
// was asked and reported.

#include "session/prompter.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

namespace mivora::test {

class ScriptedPrompter : public Prompter {
  public:
    std::deque<bool> answers; // yes/no questions of either form; no when exhausted
    std::vector<std::string> questions;
    std::vector<std::array<std::string, 3>> threeLineQuestions;

    std::deque<bool> digitCountAnswers; // false (cancel) when exhausted
    std::vector<std::string> digitCountPrompts;

    std::deque<std::string> dates; // "" when exhausted
    int dateQuestions = 0;

    std::deque<std::optional<std::string>> files; // cancelled when exhausted
    std::vector<FileQuestion> fileQuestions;

    std::vector<std::string> errors;

    bool askYesNo(const std::string& question) override {
        questions.push_back(question);
        return next(answers, false);
    }
    bool askThreeLines(const std::array<std::string, 3>& lines) override {
        threeLineQuestions.push_back(lines);
        return next(answers, false);
    }
    bool chooseDigitCountRow(const std::string& prompt) override {
        digitCountPrompts.push_back(prompt);
        return next(digitCountAnswers, false);
    }
    std::string chooseDate() override {
        ++dateQuestions;
        return next(dates, std::string());
    }
    std::optional<std::string> chooseFile(const FileQuestion& question) override {
        fileQuestions.push_back(question);
        return next(files, std::optional<std::string>());
    }
    void showError(const std::string& message) override { errors.push_back(message); }

  private:
    template <typename T> static T next(std::deque<T>& script, T whenExhausted) {
        if (script.empty())
            return whenExhausted;
        T answer = script.front();
        script.pop_front();
        return answer;
    }
};

} // namespace mivora::test
