#pragma once
// The measurement window of the printer calibration: the clerk types where the two
// marks of the calibration sheet landed, sees the values they give and the error
// still expected, and takes them with OK. Nothing changes until then.

#include "print/calibration.h"

#include <QDialog>

#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mivora {

class TCalibrationDlg : public QDialog {
    Q_OBJECT
  public:
    // The sheet's marks and the values it was printed with; groupNumber from 1.
    TCalibrationDlg(const CalibrationMarks& marks, AdjustmentGroup printedWith, int groupNumber,
                    QWidget* parent = nullptr);

    // The values computed, once the window closed with OK.
    std::optional<AdjustmentGroup> values() const { return values_; }

    void EditChange();
    void OKBtnClick();

    // Mark 1 left, mark 1 top, mark 2 left, mark 2 top (mm).
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLabel* ResultLabel; // the values and the expected error, or what is wrong
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWidget* buildEntries();
    CalibrationResult compute() const;

    CalibrationMarks marks_;
    AdjustmentGroup printedWith_;
    std::array<QLineEdit*, 4> edits_;
    std::optional<AdjustmentGroup> values_;
};

} // namespace mivora
