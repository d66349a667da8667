#include "dialogs/messageboxprompter.h"

#include "dialogs/dateselectdlg.h"
#include "dialogs/indtlform.h"
#include "dialogs/msgchkdlg.h"
#include "text/codec.h"

#include <QFileDialog>
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

bool MessageBoxPrompter::askThreeLines(const std::array<std::string, 3>& lines) {
    if (confirmation_)
        return confirmation_->ask(lines);
    TMsgChkDlg window(parent_);
    return window.ask(lines);
}

// The window works on the digit-count table it was made for; without it there is
// no row to offer.
bool MessageBoxPrompter::chooseDigitCountRow(const std::string& prompt) {
    return digitCounts_ && digitCounts_->choose(QString::fromStdString(prompt));
}

std::optional<std::string> MessageBoxPrompter::chooseFile(const FileQuestion& question) {
    const QString title = QString::fromStdString(question.title);
    const QString filter = QString::fromStdString(question.filter);
    const QString proposed = QString::fromStdString(question.proposed);
    // Backups overwrite without asking, as they always have.
    QString chosen = question.save
                         ? QFileDialog::getSaveFileName(parent_, title, proposed, filter, nullptr,
                                                        QFileDialog::DontConfirmOverwrite)
                         : QFileDialog::getOpenFileName(parent_, title, proposed, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

std::string MessageBoxPrompter::chooseDate() {
    return dates_ ? toUtf8(dates_->choose()) : std::string();
}

void MessageBoxPrompter::showError(const std::string& message) {
    QMessageBox::critical(parent_, QStringLiteral("エラー"), QString::fromStdString(message));
}

} // namespace mivora
