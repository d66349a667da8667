#pragma once
// The printer adjustment window: a scale and a print-position shift for up to
// three printers. The controls hold the values for the whole run of the program
// (Cancel keeps what was changed); ToolEdit.INI is read when the window is created
// and written by OK. The print run reads the groups through adjustment().

#include "print/calibration.h"
#include "session/printeradjustment.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace mivora {

class TToolEditForm : public QDialog {
    Q_OBJECT
  public:
    TToolEditForm(std::filesystem::path programDir, QWidget* parent = nullptr);

    // The groups as the controls show them. Throws ConversionError for a printer
    // name typed with a character that has no Shift-JIS code.
    PrinterAdjustment adjustment() const;
    void setAdjustment(const PrinterAdjustment& adjustment);

    // With several printers installed: the three name boxes offer them, and the
    // name row of group 1 and the panels of groups 2 and 3 appear. The names
    // already in the boxes stay, installed or not.
    void showPrinterChoice(const QStringList& printers);

    // Prints the calibration sheet of a group (its number from 1) with the values
    // given, on a printer the person chooses; the sheet as printed, or nothing when
    // nothing was printed. Set by the program; without it the sheet buttons do
    // nothing.
    std::function<std::optional<CalibrationSheet>(const AdjustmentGroup&, int groupNumber)>
        printCalibrationSheet;
    // The sheet the values given print on the group's printer, for measurements of
    // a sheet printed before this run of the program. Without it: an A4 sheet of a
    // printer on which the initial values print true.
    std::function<CalibrationSheet(const AdjustmentGroup&)> expectedCalibrationSheet;

    void FormCreate();
    void FormResize();
    void OKBtnClick();
    void CancelBtnClick();
    // A group's buttons "調整用紙を印刷" and "実測値を入力"; group from 0.
    void SheetBtnClick(int group);
    void MeasuredBtnClick(int group);
    QPushButton* sheetButton(int group) const { return groups_.at(group).sheet; }
    QPushButton* measuredButton(int group) const { return groups_.at(group).measured; }

    QLabel* Label1; // how to adjust the scale
    QWidget* Panel1;
    QWidget* Panel2;
    QWidget* Panel3;
    QWidget* NameRow1; // group 1's printer name, shown only with several printers
    QSpinBox* SpinEdit1;
    QSpinBox* SpinEdit2;
    QSpinBox* SpinEdit3;
    QSpinBox* SpinEdit4;
    QSpinBox* SpinEdit5;
    QSpinBox* SpinEdit6;
    QSpinBox* SpinEdit7;
    QSpinBox* SpinEdit8;
    QSpinBox* SpinEdit9;
    QSpinBox* SpinEdit10;
    QSpinBox* SpinEdit11;
    QSpinBox* SpinEdit12;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QComboBox* ComboBox3;
    QWidget* ButtonPanel;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The controls of one group, in the order of the file's lines.
    struct GroupControls {
        QWidget* panel;
        QWidget* nameRow;
        std::array<QSpinBox*, 4> numbers; // numerator, denominator, vertical, horizontal
        QComboBox* printerName;
        QPushButton* sheet;
        QPushButton* measured;
    };

    void buildWindow();
    GroupControls buildGroup(QWidget* parent);
    QWidget* buildButtonPanel();
    void showError(const QString& message);
    static AdjustmentGroup numbersOf(const GroupControls& controls);
    static void showNumbers(const GroupControls& controls, const AdjustmentGroup& group);

    std::filesystem::path programDir_;
    std::array<GroupControls, 3> groups_;
    std::array<std::optional<CalibrationSheet>, 3> sheets_; // the last printed of each group
};

} // namespace mivora
