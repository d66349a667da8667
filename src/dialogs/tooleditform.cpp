#include "dialogs/tooleditform.h"

#include "dialogs/calibrationdlg.h"
#include "dialogs/placement.h"
#include "text/codec.h"
#include "text/errors.h"
#include "widgets/composition.h"
#include "widgets/numberentry.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <tuple>

namespace mivora {

namespace {

// A box that takes any whole number while it is typed and replaces one outside
// its range by the nearest bound when the edit ends: dropping the keystroke that
// leaves the range would turn 1500 into a plausible-looking 150. Its text is
// selected whenever the box is entered other than by a click, so what is typed
// replaces it: a full box (four characters) would refuse every key otherwise.
class BoundedSpinBox : public QSpinBox {
  public:
    explicit BoundedSpinBox(QWidget* parent) : QSpinBox(parent) {
        CompositionGuard::guard(*lineEdit(), this);
    }

    QValidator::State validate(QString& input, int& pos) const override {
        toHalfWidthNumber(input);
        const QValidator::State state = QSpinBox::validate(input, pos);
        if (state == QValidator::Invalid && wholeNumber(input))
            return QValidator::Intermediate;
        return state;
    }

    void fixup(QString& input) const override {
        if (const auto number = wholeNumber(input))
            input = QString::number(std::clamp(*number, minimum(), maximum()));
    }

  protected:
    void focusInEvent(QFocusEvent* event) override {
        QSpinBox::focusInEvent(event);
        if (event->reason() != Qt::MouseFocusReason)
            selectAll();
    }

  private:
    static std::optional<int> wholeNumber(const QString& text) {
        bool ok = false;
        const int number = text.toInt(&ok);
        return ok ? std::optional<int>(number) : std::nullopt;
    }
};

// Four characters hold every value of the ranges ("1000", "-10").
QSpinBox* spinEdit(const AdjustmentRange& range, QWidget* parent) {
    auto* spin = new BoundedSpinBox(parent);
    spin->setRange(range.min, range.max);
    if (auto* edit = spin->findChild<QLineEdit*>())
        edit->setMaxLength(4);
    return spin;
}

QHBoxLayout* row(QBoxLayout* into) {
    auto* line = new QHBoxLayout;
    into->addLayout(line);
    return line;
}

void addText(QHBoxLayout* line, const QString& text, QWidget* parent) {
    line->addWidget(new QLabel(text, parent));
}

} // namespace

TToolEditForm::TToolEditForm(std::filesystem::path programDir, QWidget* parent)
    : QDialog(parent), programDir_(std::move(programDir)) {
    setWindowTitle(QStringLiteral("印刷機能修正"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    buildWindow();
    FormCreate();
}

void TToolEditForm::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Label1 =
        new QLabel(QStringLiteral("\nプリンターによって尺度が異なる場合があります。\n"
                                  "\nその場合は、実際に印刷しながら尺度の左側を変更してください。\n"
                                  "\n印刷したものが小さい場合は、左側を増加させてください。"),
                   this);
    Label1->setAlignment(Qt::AlignHCenter);
    layout->addWidget(Label1);
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        GroupControls& group = groups_[i];
        group = buildGroup(this);
        layout->addWidget(group.panel);
        const int index = static_cast<int>(i);
        connect(group.sheet, &QPushButton::clicked, this, [this, index] { SheetBtnClick(index); });
        connect(group.measured, &QPushButton::clicked, this,
                [this, index] { MeasuredBtnClick(index); });
    }
    layout->addWidget(buildButtonPanel());

    Panel1 = groups_[0].panel;
    Panel2 = groups_[1].panel;
    Panel3 = groups_[2].panel;
    NameRow1 = groups_[0].nameRow;
    std::tie(SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4) = std::tuple_cat(groups_[0].numbers);
    std::tie(SpinEdit5, SpinEdit6, SpinEdit7, SpinEdit8) = std::tuple_cat(groups_[1].numbers);
    std::tie(SpinEdit9, SpinEdit10, SpinEdit11, SpinEdit12) = std::tuple_cat(groups_[2].numbers);
    ComboBox1 = groups_[0].printerName;
    ComboBox2 = groups_[1].printerName;
    ComboBox3 = groups_[2].printerName;

    // One printer or none: only group 1's scale and shift.
    NameRow1->hide();
    Panel2->hide();
    Panel3->hide();
}

TToolEditForm::GroupControls TToolEditForm::buildGroup(QWidget* parent) {
    GroupControls group;
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    group.panel = panel;
    auto* lines = new QVBoxLayout(panel);

    QHBoxLayout* scale = row(lines);
    addText(scale, QStringLiteral("プリンタ尺度："), panel);
    group.numbers[0] = spinEdit(kScaleRange, panel);
    scale->addWidget(group.numbers[0]);
    addText(scale, QStringLiteral("／"), panel);
    group.numbers[1] = spinEdit(kScaleRange, panel);
    scale->addWidget(group.numbers[1]);
    scale->addStretch();

    QHBoxLayout* shift = row(lines);
    addText(shift, QStringLiteral("印字位置縦："), panel);
    group.numbers[2] = spinEdit(kOffsetRange, panel);
    shift->addWidget(group.numbers[2]);
    addText(shift, QStringLiteral("mm"), panel);
    addText(shift, QStringLiteral("横："), panel);
    group.numbers[3] = spinEdit(kOffsetRange, panel);
    shift->addWidget(group.numbers[3]);
    addText(shift, QStringLiteral("mm"), panel);
    shift->addStretch();

    group.nameRow = new QWidget(panel);
    auto* name = new QHBoxLayout(group.nameRow);
    name->setContentsMargins(0, 0, 0, 0);
    addText(name, QStringLiteral("プリンタ名："), group.nameRow);
    group.printerName = new QComboBox(group.nameRow);
    group.printerName->setEditable(true);
    group.printerName->setInsertPolicy(QComboBox::NoInsert);
    group.printerName->setMinimumWidth(200);
    name->addWidget(group.printerName, 1);
    lines->addWidget(group.nameRow);

    QHBoxLayout* calibration = row(lines);
    group.sheet = new QPushButton(QStringLiteral("調整用紙を印刷"), panel);
    group.measured = new QPushButton(QStringLiteral("実測値を入力"), panel);
    calibration->addWidget(group.sheet);
    calibration->addWidget(group.measured);
    calibration->addStretch();
    return group;
}

QWidget* TToolEditForm::buildButtonPanel() {
    const OkCancelPanel buttons = okCancelPanel(this);
    ButtonPanel = buttons.panel;
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    ButtonPanel->setMinimumWidth(360);
    connect(OKBtn, &QPushButton::clicked, this, &TToolEditForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TToolEditForm::CancelBtnClick);
    return ButtonPanel;
}

PrinterAdjustment TToolEditForm::adjustment() const {
    PrinterAdjustment adjustment;
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        const GroupControls& controls = groups_[i];
        adjustment[i] = numbersOf(controls);
        adjustment[i].printerName = fromUtf8(controls.printerName->currentText().toStdString());
    }
    return adjustment;
}

void TToolEditForm::setAdjustment(const PrinterAdjustment& adjustment) {
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        const GroupControls& controls = groups_[i];
        showNumbers(controls, adjustment[i]);
        controls.printerName->setEditText(
            QString::fromStdString(toUtf8(adjustment[i].printerName)));
    }
}

AdjustmentGroup TToolEditForm::numbersOf(const GroupControls& controls) {
    AdjustmentGroup group;
    group.numerator = controls.numbers[0]->value();
    group.denominator = controls.numbers[1]->value();
    group.verticalOffset = controls.numbers[2]->value();
    group.horizontalOffset = controls.numbers[3]->value();
    return group;
}

void TToolEditForm::showNumbers(const GroupControls& controls, const AdjustmentGroup& group) {
    controls.numbers[0]->setValue(group.numerator);
    controls.numbers[1]->setValue(group.denominator);
    controls.numbers[2]->setValue(group.verticalOffset);
    controls.numbers[3]->setValue(group.horizontalOffset);
}

void TToolEditForm::showPrinterChoice(const QStringList& printers) {
    for (const GroupControls& group : groups_) {
        const QString name = group.printerName->currentText();
        group.printerName->clear();
        group.printerName->addItems(printers);
        group.printerName->setEditText(name);
    }
    NameRow1->show();
    Panel2->show();
    Panel3->show();
}

void TToolEditForm::FormCreate() {
    try {
        setAdjustment(readToolEdit(programDir_));
    } catch (const Error& error) {
        setAdjustment({});
        showError(QString::fromStdString(error.what()));
    }
}

void TToolEditForm::FormResize() {
    placeInThirds(*OKBtn, *CancelBtn, ButtonPanel->width());
}

void TToolEditForm::OKBtnClick() {
    // A number still being typed counts as typed, however OK was reached.
    for (const GroupControls& group : groups_)
        for (QSpinBox* number : group.numbers)
            number->interpretText();
    try {
        writeToolEdit(programDir_, adjustment());
    } catch (const Error& error) {
        showError(QString::fromStdString(error.what()));
        return;
    }
    accept();
}

// The values stay as they were changed: they count until the program ends.
void TToolEditForm::CancelBtnClick() {
    reject();
}

// The sheet prints with the values the group shows now, stored or not, and
// offers the group's printer when it names one.
void TToolEditForm::SheetBtnClick(int group) {
    if (!printCalibrationSheet)
        return;
    AdjustmentGroup values = numbersOf(groups_.at(group));
    const GroupControls& controls = groups_.at(group);
    if (controls.nameRow->isVisibleTo(this)) {
        try {
            values.printerName = fromUtf8(controls.printerName->currentText().toStdString());
        } catch (const ConversionError&) {
            // No installed printer has a name without a Shift-JIS form in a group.
        }
    }
    if (auto printed = printCalibrationSheet(values, group + 1))
        sheets_.at(group) = *printed;
}

// Measurements belong to the sheet printed last for the group; without one in this
// run of the program, to an A4 sheet printed with the values shown now. The new
// values go into the boxes, and into ToolEdit.INI with this window's OK.
void TToolEditForm::MeasuredBtnClick(int group) {
    const AdjustmentGroup shown = numbersOf(groups_.at(group));
    const CalibrationSheet sheet = sheets_.at(group).value_or(
        expectedCalibrationSheet ? expectedCalibrationSheet(shown)
                                 : calibrationSheet(shown, kInitialGroupDotsPerInch, kA4Mm));
    TCalibrationDlg measurement(sheet.marks, sheet.printedWith, group + 1, this);
    if (measurement.exec() == QDialog::Accepted && measurement.values())
        showNumbers(groups_.at(group), *measurement.values());
}

void TToolEditForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TToolEditForm::showError(const QString& message) {
    QMessageBox::critical(this, windowTitle(), message);
}

} // namespace mivora
