#pragma once
// The print-content window: before each page of a run with hand-written items, the
// person types (or picks from the free-content list) what those items print. The
// sixty edit boxes show and write the fields 項目1 to 項目60 of the current record of
// the free contents, the input record while a run goes on; OK stores it, Cancel
// leaves the typing pending for whoever stores the record next.

#include "dialogs/restorepos.h"

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
class Table;

class TPrFreeEditForm : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kItems = 60;

    // choices: the designer's free-content list as it stands when this window is made.
    TPrFreeEditForm(Table& freeData, const QStringList& choices, QWidget* parent = nullptr);

    // Item N offered under its caption, or hidden with its edit box.
    void offerItem(int n, const std::optional<QString>& caption);
    // Shows the window modally; true when it closes with OK.
    bool confirm();

    CaptionPanel* Panel(int n) const { return panels_.at(n - 1); }
    QLineEdit* DBEdit(int n) const { return edits_.at(n - 1); }
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
    // Writes item N of the current record; a refused text is reported and undone.
    void writeField(int n, const QString& text);
    void showError(const QString& message);

    Table& freeData_;
    std::array<CaptionPanel*, kItems> panels_{};
    std::array<QLineEdit*, kItems> edits_{};
    int current_ = 1;
    bool filling_ = false; // the list is being replaced: no change of the record
};

} // namespace mivora
