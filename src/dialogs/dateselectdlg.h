#pragma once
// The date selection window: a layout item "日付選択" leaves the day to print to
// the moment of printing, and this window asks for it as one of a row of choices
// ("なし", "今日", "明日" ... or the lines of DateSelect.INI). The selection stays
// from one showing to the next, so the last answer is offered again.

#include <QDialog>

#include <filesystem>
#include <string>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QPushButton;

namespace mivora {

class TDateSelectDlg : public QDialog {
    Q_OBJECT
  public:
    TDateSelectDlg(std::filesystem::path programDir, QWidget* parent = nullptr);

    // Shows the window modally and hands over the selected choice (CP932), however
    // the window was closed; "" when there is no choice.
    std::string choose();

    const std::vector<std::string>& choices() const { return choices_; }
    int itemIndex() const; // -1 without choices
    void setItemIndex(int index);
    std::string selectedChoice() const;

    void FormCreate();

    QGroupBox* RadioGroup1;
    QPushButton* OKBtn;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showChoices();

    std::filesystem::path programDir_;
    std::vector<std::string> choices_; // CP932
    QButtonGroup* buttons_;
};

} // namespace mivora
