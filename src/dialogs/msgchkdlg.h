#pragma once
// The confirmation window: a yes/no question in three short lines (who, which
// vehicle, what), for offices that prefer it to the standard message box.

#include <QDialog>

#include <array>
#include <string>

class QPushButton;

namespace mivora {

class CaptionPanel;

class TMsgChkDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TMsgChkDlg(QWidget* parent = nullptr);

    // Sets the three lines (UTF-8), shows the window modally; true only for "はい(Y)".
    bool ask(const std::array<std::string, 3>& lines);

    CaptionPanel* Panel1;
    CaptionPanel* Panel2;
    CaptionPanel* Panel3;
    QPushButton* OKBtn;     // はい(Y): the default button
    QPushButton* CancelBtn; // いいえ: also the Escape key and the close box

  protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace mivora
