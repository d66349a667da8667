#pragma once
// The core's questions answered by a person: standard message boxes, and the
// program's own small windows once they exist.

#include "session/prompter.h"

class QWidget;

namespace mivora {

class TDateSelectDlg;
class TInDTLForm;
class TMsgChkDlg;

class MessageBoxPrompter : public Prompter {
  public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    // The windows created at start-up, reused for every question.
    void setDigitCountWindow(TInDTLForm* window) { digitCounts_ = window; }
    void setDateWindow(TDateSelectDlg* window) { dates_ = window; }
    void setConfirmationWindow(TMsgChkDlg* window) { confirmation_ = window; }

    bool askYesNo(const std::string& question) override;
    bool askThreeLines(const std::array<std::string, 3>& lines) override;
    bool chooseDigitCountRow(const std::string& prompt) override;
    std::string chooseDate() override;
    std::optional<std::string> chooseFile(const FileQuestion& question) override;
    std::vector<std::string> chooseFiles(const FileQuestion& question) override;
    void showError(const std::string& message) override;

  private:
    QWidget* parent_;
    TInDTLForm* digitCounts_ = nullptr;
    TDateSelectDlg* dates_ = nullptr;
    TMsgChkDlg* confirmation_ = nullptr;
};

} // namespace mivora
