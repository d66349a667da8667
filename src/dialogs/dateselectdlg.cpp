#include "dialogs/dateselectdlg.h"

#include "dialogs/placement.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mivora {

namespace {

std::vector<std::string> defaultChoices() {
    return {sj("なし"), sj("今日"), sj("明日"), sj("明後日"), sj("明々後日"), sj("弥明後日")};
}

} // namespace

TDateSelectDlg::TDateSelectDlg(std::filesystem::path programDir, QWidget* parent)
    : QDialog(parent), programDir_(std::move(programDir)), choices_(defaultChoices()) {
    setWindowTitle(QStringLiteral("日付選択"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    RadioGroup1 = new QGroupBox(QStringLiteral("日付を選択して下さい"), this);
    new QGridLayout(RadioGroup1);
    buttons_ = new QButtonGroup(this);
    layout->addWidget(RadioGroup1);
    auto* buttonRow = new QHBoxLayout;
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    buttonRow->addStretch();
    buttonRow->addWidget(OKBtn);
    buttonRow->addStretch();
    layout->addLayout(buttonRow);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    FormCreate();
}

void TDateSelectDlg::FormCreate() {
    try {
        if (auto lines = readLines(findFile(programDir_, "DateSelect.INI")))
            choices_ = std::move(*lines);
    } catch (const Error& error) {
        QMessageBox::critical(this, windowTitle(), QString::fromStdString(error.what()));
    }
    showChoices();
}

// All choices stand in one row: as many columns as choices.
void TDateSelectDlg::showChoices() {
    auto* grid = static_cast<QGridLayout*>(RadioGroup1->layout());
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        auto* button = new QRadioButton(QString::fromStdString(toUtf8(choices_[i])), RadioGroup1);
        buttons_->addButton(button, static_cast<int>(i));
        grid->addWidget(button, 0, static_cast<int>(i));
    }
    setItemIndex(0);
}

int TDateSelectDlg::itemIndex() const {
    return buttons_->checkedId();
}

void TDateSelectDlg::setItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index))
        button->setChecked(true);
}

std::string TDateSelectDlg::selectedChoice() const {
    const int index = itemIndex();
    return index < 0 ? std::string() : choices_[static_cast<std::size_t>(index)];
}

std::string TDateSelectDlg::choose() {
    exec();
    return selectedChoice();
}

void TDateSelectDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

} // namespace mivora
