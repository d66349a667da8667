#pragma once
// The core's questions answered by a person through standard message boxes.

#include "session/prompter.h"

class QWidget;

namespace mivora {

class MessageBoxPrompter : public Prompter {
  public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    bool askYesNo(const std::string& question) override;
    void showError(const std::string& message) override;

  private:
    QWidget* parent_;
};

} // namespace mivora
