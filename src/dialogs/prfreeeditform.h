#pragma once
// The print-content window: before each page of a run with hand-written items, the
// person types (or picks from the free-content list) what those items print. The
// sixty edit boxes show and change the answers the run hands in (項目1 to 項目60 of
// the input record as the run read them, or as typed for its last page); the
// window stores nothing, the run keeps them.

#include "dialogs/restorepos.h"
#include "session/preparationstate.h"

#include <QDialog>

#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace mivora {

class CaptionPanel;

class TPrFreeEditForm : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kItems = 60;

    // choices: the designer's free-content list as it stands when this window is made.
    explicit TPrFreeEditForm(const QStringList& choices, QWidget* parent = nullptr);

    // Item N offered under its caption, or hidden with its edit box.
    void offerItem(int n, const std::optional<QString>& caption);
    // Shows the answers in the window modally and leaves in them what was typed,
    // however the window closes; true when it closes with OK.
    bool confirm(HandWrittenAnswers& answers);

    CaptionPanel* Panel(int n) const { return panels_.at(n - 1); }
    QLineEdit* DBEdit(int n) const { return edits_.at(n - 1); }
    // What the boxes hold, as confirm hands it back.
    const HandWrittenAnswers& answers() const { return answers_; }
    // The item that the free-content list writes into: the edit box clicked last.
    int currentItem() const { return current_; }

    void FormCreate(const QStringList& choices);
    void DBEditClick(int n); // DBEdit1Click ... DBEdit60Click
    void ComboBox1Change();
    void OKBtnClick();
    void FormResize();

    QLabel* TopLabel;
    QComboBox* ComboBox1;
    QScrollArea* ScrollBox1;
    QWidget* ButtonPanel;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    TRestorePos RestorePos1;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    QWidget* buildTopPanel();
    QWidget* buildItems();
    void showFields();
    void showField(int n);
    // Changes answer N; a text without Shift-JIS code is reported and undone.
    void writeField(int n, const QString& text);
    void showError(const QString& message);

    HandWrittenAnswers answers_; // CP932
    std::array<CaptionPanel*, kItems> panels_{};
    std::array<QLineEdit*, kItems> edits_{};
    int current_ = 1;
    bool filling_ = false; // the list is being replaced: no change of the record
};

} // namespace mivora
