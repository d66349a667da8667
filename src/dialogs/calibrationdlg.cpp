#include "dialogs/calibrationdlg.h"

#include "dialogs/placement.h"
#include "widgets/composition.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace mivora {

namespace {

QString shown(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QString joined(const std::vector<std::string>& lines) {
    QStringList shownLines;
    for (const std::string& line : lines)
        shownLines << shown(line);
    return shownLines.join(QLatin1Char('\n'));
}

// Full-width digits, as a Japanese input method types them, are read by the
// computation itself, as from the command line.
std::string entryText(const QLineEdit& edit) {
    return edit.text().toStdString();
}

} // namespace

TCalibrationDlg::TCalibrationDlg(const CalibrationMarks& marks, AdjustmentGroup printedWith,
                                 int groupNumber, QWidget* parent)
    : QDialog(parent), marks_(marks), printedWith_(std::move(printedWith)) {
    setWindowTitle(QStringLiteral("実測値の入力 (グループ %1)").arg(groupNumber));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(
        new QLabel(QStringLiteral("調整用紙の十字の中心から用紙の左端と上端までの距離を、\n"
                                  "mm 単位で小数点以下 1 桁まで入力してください。\n"
                                  "(括弧内は正しく印刷されたときの距離です。)"),
                   this));
    layout->addWidget(buildEntries());
    ResultLabel = new QLabel(this);
    ResultLabel->setWordWrap(true);
    ResultLabel->setMinimumWidth(360);
    layout->addWidget(ResultLabel);
    const OkCancelPanel buttons = okCancelPanel(this);
    buttons.panel->setMinimumWidth(360);
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    layout->addWidget(buttons.panel);
    connect(OKBtn, &QPushButton::clicked, this, &TCalibrationDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    EditChange();
}

QWidget* TCalibrationDlg::buildEntries() {
    auto* entries = new QWidget(this);
    auto* grid = new QGridLayout(entries);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int field = 0; field < 4; ++field) {
        const int mark = field / 2;
        const bool left = field % 2 == 0;
        const QPoint dots = marks_.dots[static_cast<std::size_t>(mark)];
        const double place = layoutMillimetres(left ? dots.x() : dots.y());
        auto* edit = new QLineEdit(entries);
        CompositionGuard::guard(*edit);
        edit->setMaxLength(6);
        edit->setFixedWidth(70);
        edit->setAlignment(Qt::AlignRight);
        edit->setAccessibleName(shown(measurementFieldName(field)));
        connect(edit, &QLineEdit::textEdited, this, &TCalibrationDlg::EditChange);
        edits_[static_cast<std::size_t>(field)] = edit;
        const int column = left ? 1 : 5;
        if (left)
            grid->addWidget(
                new QLabel(mark == 0 ? QStringLiteral("印1 (左上)") : QStringLiteral("印2 (右下)"),
                           entries),
                mark, 0);
        grid->addWidget(
            new QLabel(left ? QStringLiteral("左端から") : QStringLiteral("上端から"), entries),
            mark, column);
        grid->addWidget(edit, mark, column + 1);
        grid->addWidget(
            new QLabel(QStringLiteral("mm (%1)").arg(shown(millimetreText(place))), entries), mark,
            column + 2);
    }
    std::tie(Edit1, Edit2, Edit3, Edit4) = std::tuple_cat(edits_);
    return entries;
}

CalibrationResult TCalibrationDlg::compute() const {
    std::array<std::string, 4> texts;
    for (std::size_t field = 0; field < texts.size(); ++field)
        texts[field] = entryText(*edits_[field]);
    return calibrate(marks_, printedWith_, parseMeasuredMarks(texts));
}

// The values follow the entries as they are typed; what is still missing or wrong
// shows in their place.
void TCalibrationDlg::EditChange() {
    try {
        ResultLabel->setText(joined(describeCalibration(compute())));
    } catch (const MeasurementError& error) {
        ResultLabel->setText(shown(error.what()));
    }
}

void TCalibrationDlg::OKBtnClick() {
    try {
        values_ = compute().group;
    } catch (const MeasurementError& error) {
        ResultLabel->setText(shown(error.what()));
        if (error.field >= 0)
            edits_[static_cast<std::size_t>(error.field)]->setFocus();
        return;
    }
    accept();
}

void TCalibrationDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeInThirds(*OKBtn, *CancelBtn, width());
}

} // namespace mivora
