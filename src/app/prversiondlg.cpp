#include "app/prversiondlg.h"

#include "cli/version.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace mivora {

TPrVersionDlg::TPrVersionDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    auto* layout = new QVBoxLayout(this);
    auto* product = new QLabel(QString::fromUtf8(kProductLine), this);
    QFont large = product->font();
    large.setPointSize(large.pointSize() + 4);
    large.setBold(true);
    product->setFont(large);
    layout->addWidget(product, 0, Qt::AlignCenter);
    layout->addWidget(new QLabel(QString::fromUtf8(kVersionLine), this), 0, Qt::AlignCenter);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace mivora
