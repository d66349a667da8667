#include "dialogs/msgchkdlg.h"

#include "dialogs/captionpanel.h"
#include "dialogs/placement.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace mivora {

TMsgChkDlg::TMsgChkDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("確認"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const QString blank = QStringLiteral("　");
    Panel1 = new CaptionPanel(blank, Qt::AlignLeft, this);
    Panel2 = new CaptionPanel(blank, Qt::AlignLeft, this);
    Panel3 = new CaptionPanel(blank, Qt::AlignLeft, this);
    for (CaptionPanel* panel : {Panel1, Panel2, Panel3}) {
        panel->setMinimumWidth(320);
        layout->addWidget(panel);
    }
    auto* buttons = new QHBoxLayout;
    OKBtn = new QPushButton(QStringLiteral("はい(Y)"), this);
    CancelBtn = new QPushButton(QStringLiteral("いいえ"), this);
    OKBtn->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    layout->addLayout(buttons);
    // QDialog answers Escape and the close box with reject: both mean no.
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TMsgChkDlg::ask(const std::array<std::string, 3>& lines) {
    Panel1->setCaption(QString::fromStdString(lines[0]));
    Panel2->setCaption(QString::fromStdString(lines[1]));
    Panel3->setCaption(QString::fromStdString(lines[2]));
    OKBtn->setFocus();
    return exec() == QDialog::Accepted;
}

void TMsgChkDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(*this);
}

} // namespace mivora
