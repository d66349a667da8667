#pragma once
// What the core asks a person. The windows answer with real dialogs; the
// headless commands and the tests answer from a script. Texts are UTF-8 both ways.

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace mivora {

// A file to name in the standard open or save dialog.
struct FileQuestion {
    bool save = false;
    std::string title;
    std::string filter;   // "name (*.A *.a);;name (*.B)"
    std::string proposed; // the proposed file name (save) or folder (open)
};

class Prompter {
  public:
    virtual ~Prompter() = default;

    // A yes/no question; true for yes.
    virtual bool askYesNo(const std::string& question) = 0;

    // A yes/no question of three short lines in the confirmation window; true for
    // yes. Callers go through askConfirmation, which respects the message flag.
    virtual bool askThreeLines(const std::array<std::string, 3>& lines) = 0;

    // Offers the rows of the digit-count table under the prompt. True when the
    // person took a row with OK; that row is then the current record of the
    // digit-count table. An empty table offers no row and gives false.
    virtual bool chooseDigitCountRow(const std::string& prompt) = 0;

    // The relative day to print, as the text of the chosen choice ("なし", "今日",
    // "明日" ... or the lines of DateSelect.INI); "" when there is no choice at all.
    // However the person closes the window, the choice stands.
    virtual std::string chooseDate() = 0;

    // The path the person chose, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> chooseFile(const FileQuestion& question) = 0;

    // Any number of existing files at once; none when the dialog was cancelled.
    virtual std::vector<std::string> chooseFiles(const FileQuestion& question) {
        auto file = chooseFile(question);
        return file ? std::vector<std::string>{*file} : std::vector<std::string>{};
    }

    // Reports a failure that ended an operation; the program goes on.
    virtual void showError(const std::string& message) = 0;
};

// A question of three short lines (such as name, registration number, question):
// in the confirmation window when the message flag is 1, otherwise in the standard
// yes/no box with the lines one under the other.
inline bool askConfirmation(Prompter& prompter, int messageFlag,
                            const std::array<std::string, 3>& lines) {
    if (messageFlag == 1)
        return prompter.askThreeLines(lines);
    return prompter.askYesNo(lines[0] + "\n" + lines[1] + "\n" + lines[2]);
}

} // namespace mivora
