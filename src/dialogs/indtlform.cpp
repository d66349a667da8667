#include "dialogs/indtlform.h"

#include "dialogs/captionpanel.h"
#include "dialogs/placement.h"
#include "dialogs/updown.h"
#include "store/table.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"
#include "widgets/dbgrid.h"
#include "widgets/numberentry.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace mivora {

TInDTLForm::TInDTLForm(Table& digitCounts, QLabel& t3Label, QWidget* parent)
    : QDialog(parent), RestorePos1(*this), digitCounts_(digitCounts), t3Label_(&t3Label) {
    setWindowTitle(QStringLiteral("印刷＆バックアップ桁数設定"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    buildWindow();
    resize(520, 300);
    RestorePos1.useNames(QStringLiteral("Varnel"), QStringLiteral("InDataLen "));
    RestorePos1.restore();
    FormCreate();
}

// The main window must stop reaching Edit1 once the window is gone.
TInDTLForm::~TInDTLForm() {
    if (t3Label_)
        t3Label_->clear();
}

void TInDTLForm::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new CaptionPanel(QStringLiteral("バックアップ方法を指定してください"),
                              Qt::AlignHCenter, this);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Edit1 = new QLineEdit(QStringLiteral("1"), Panel1);
    Edit1->setFixedWidth(48);
    // Any text is taken, as before, and full-width digits as the half-width ones.
    Edit1->setValidator(new NumberValidator(QRegularExpression(QStringLiteral(".*")), Edit1));
    UpDown1 = new UpDown(*Edit1, 1, 100, Panel1);
    Panel1->row().addWidget(Edit1);
    Panel1->row().addWidget(UpDown1);
    layout->addWidget(Panel1);

    DBGrid1 = new DBGrid(digitCounts_, this);
    DBGrid1->model().setReadOnly(true);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(DBGrid1, 1);

    layout->addWidget(buildButtonPanel());
    connect(Edit1, &QLineEdit::textChanged, this, &TInDTLForm::Edit1Change);
}

QWidget* TInDTLForm::buildButtonPanel() {
    const OkCancelPanel buttons = okCancelPanel(this);
    ButtonPanel = buttons.panel;
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    connect(OKBtn, &QPushButton::clicked, this, &TInDTLForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    return ButtonPanel;
}

void TInDTLForm::FormCreate() {
    t3Label_->setText(QStringLiteral("Busy"));
}

void TInDTLForm::FormResize() {
    placeInThirds(*OKBtn, *CancelBtn, width());
}

bool TInDTLForm::hasRows() const {
    return digitCounts_.active() && digitCounts_.recordCount() > 0;
}

// The number typed picks the row; beyond the last row it is brought back to it, and
// a text that reads no number of 1 or more picks the first row.
void TInDTLForm::Edit1Change() {
    if (!hasRows())
        return;
    const int rows = digitCounts_.recordCount();
    int row = leadingInteger(Edit1->text().toStdString());
    if (row > rows) {
        row = rows;
        QSignalBlocker quiet(Edit1);
        Edit1->setText(QString::number(row));
    }
    row = std::max(row, 1);
    try {
        if (row != digitCounts_.recNo())
            digitCounts_.setRecNo(row);
    } catch (const Error& error) {
        QMessageBox::critical(this, windowTitle(), QString::fromStdString(error.what()));
    }
    // Also when the table was moved by other code: the grid shows the current row.
    DBGrid1->followTable();
}

// Without a row there is nothing to take: the caption stays and callers see cancel.
void TInDTLForm::OKBtnClick() {
    if (!hasRows())
        return;
    Panel1->setCaption(QString());
    accept();
}

// Without its table the window could only show an empty grid: it says why instead.
bool TInDTLForm::choose(const QString& prompt) {
    if (!digitCounts_.active()) {
        QMessageBox::critical(
            parentWidget(), windowTitle(),
            QStringLiteral("テーブル %1 を開けなかったため、桁数を指定できません。")
                .arg(QString::fromStdString(pathText(digitCounts_.file()))));
        return false;
    }
    Panel1->setCaption(prompt);
    exec();
    return Panel1->caption().isEmpty() && hasRows();
}

void TInDTLForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    DBGrid1->refresh();
    OKBtn->setEnabled(hasRows());
}

void TInDTLForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

} // namespace mivora
