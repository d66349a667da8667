#include "dialogs/messageboxprompter.h"

#include <QMessageBox>
#include <QPushButton>

namespace mivora {

bool MessageBoxPrompter::askYesNo(const std::string& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), QString::fromStdString(question),
                    QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

void MessageBoxPrompter::showError(const std::string& message) {
    QMessageBox::critical(parent_, QStringLiteral("エラー"), QString::fromStdString(message));
}

} // namespace mivora
