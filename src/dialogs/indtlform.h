#pragma once
// The digit-count window: the user picks one row of INDTLEN.db (the column widths
// of a backup or a TXT restore) by its number or by clicking it in the grid. The
// caller writes its prompt into Panel1; OK empties Panel1, so an empty caption
// after the window closed means a row was taken.

#include "dialogs/restorepos.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mivora {

class CaptionPanel;
class DBGrid;
class Table;
class UpDown;

class TInDTLForm : public QDialog {
    Q_OBJECT
  public:
    // t3Label: the main window's sign that this window exists.
    TInDTLForm(Table& digitCounts, QLabel& t3Label, QWidget* parent = nullptr);
    ~TInDTLForm() override;

    // Shows the window modally under the prompt; true when a row was taken with OK.
    bool choose(const QString& prompt);

    void FormCreate();
    void FormResize();
    void Edit1Change();
    void OKBtnClick();

    CaptionPanel* Panel1;
    QLineEdit* Edit1;
    UpDown* UpDown1;
    DBGrid* DBGrid1;
    QWidget* ButtonPanel;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    TRestorePos RestorePos1;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildWindow();
    QWidget* buildButtonPanel();
    bool hasRows() const;

    Table& digitCounts_;
    QPointer<QLabel> t3Label_;
};

} // namespace mivora
