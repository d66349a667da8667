#include "dialogs/messageboxprompter.h"

#include "dialogs/dateselectdlg.h"
#include "dialogs/frameworkdialogs.h"
#include "dialogs/indtlform.h"
#include "dialogs/msgchkdlg.h"
#include "text/codec.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>

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

namespace {

QStringList askForFiles(QWidget* parent, const FileQuestion& question, QFileDialog::FileMode mode) {
    QFileDialog dialog(parent, QString::fromStdString(question.title),
                       QString::fromStdString(question.proposed),
                       QString::fromStdString(question.filter));
    if (question.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // Backups overwrite without asking, as they always have.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(mode);
    }
    prepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

} // namespace

std::optional<std::string> MessageBoxPrompter::chooseFile(const FileQuestion& question) {
    const QStringList chosen = askForFiles(parent_, question, QFileDialog::ExistingFile);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.constFirst().toStdString();
}

std::vector<std::string> MessageBoxPrompter::chooseFiles(const FileQuestion& question) {
    std::vector<std::string> files;
    for (const QString& file : askForFiles(parent_, question, QFileDialog::ExistingFiles))
        files.push_back(file.toStdString());
    return files;
}

std::string MessageBoxPrompter::chooseDate() {
    return dates_ ? toUtf8(dates_->choose()) : std::string();
}

namespace {

// A Japanese line may break between any two characters, so a box that wraps its
// text breaks words ("ませ" / "ん"). Each sentence, and the system's own words in
// parentheses, go on a line of their own instead.
QString linedMessage(const QString& message) {
    QString lined = message;
    lined.replace(QStringLiteral(" ("), QStringLiteral("\n("));
    lined.replace(QRegularExpression(QStringLiteral("。(?=.)")), QStringLiteral("。\n"));
    return lined;
}

} // namespace

void MessageBoxPrompter::showError(const std::string& message) {
    const QString text = linedMessage(QString::fromStdString(message));
    QMessageBox box(QMessageBox::Critical, QStringLiteral("エラー"), text, QMessageBox::Ok,
                    parent_);
    // The box wraps at half the screen's width; as wide as its longest line it has
    // nothing left to wrap, up to the width of the screen.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        const int room = box.screen()->availableGeometry().width() * 3 / 4;
        label->setMinimumWidth(std::min(widest + 1, room));
    }
    box.exec();
}

} // namespace mivora
