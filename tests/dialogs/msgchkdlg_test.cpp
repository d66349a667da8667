#include "dialogs/captionpanel.h"
#include "dialogs/messageboxprompter.h"
#include "dialogs/msgchkdlg.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>

namespace mivora::test {
namespace {

void press(QWidget& window, Qt::Key key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

const std::array<std::string, 3> kLines = {"山田　太郎          様", "品川３００あ１２３４の",
                                           "仮ナンバー代を付けますか？"};

TEST(MsgChkDlg, ShowsThreeLinesAndOnlyYesCountsAsYes) {
    TMsgChkDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("確認"));
    EXPECT_EQ(dialog.Panel1->caption(), QStringLiteral("　"));
    EXPECT_EQ(dialog.OKBtn->text(), QStringLiteral("はい(Y)"));
    EXPECT_EQ(dialog.CancelBtn->text(), QStringLiteral("いいえ"));

    struct Case {
        const char* how;
        std::function<void()> close;
        bool expected;
    };
    const Case cases[] = {
        {"はい", [&] { dialog.OKBtn->click(); }, true},
        {"Enter", [&] { press(dialog, Qt::Key_Return); }, true},
        {"いいえ", [&] { dialog.CancelBtn->click(); }, false},
        {"Escape", [&] { press(dialog, Qt::Key_Escape); }, false},
        {"close box", [&] { dialog.close(); }, false},
    };
    for (const Case& c : cases) {
        QTimer::singleShot(0, &dialog, c.close);
        EXPECT_EQ(dialog.ask(kLines), c.expected) << c.how;
    }
    EXPECT_EQ(dialog.Panel1->caption().toStdString(), kLines[0]);
    EXPECT_EQ(dialog.Panel3->caption().toStdString(), kLines[2]);
}

TEST(AskConfirmation, MessageFlagOneUsesTheConfirmationWindow) {
    for (int flag : {0, 1, 2, -1}) {
        ScriptedPrompter prompter;
        prompter.answers = {true};
        EXPECT_TRUE(askConfirmation(prompter, flag, kLines));
        if (flag == 1) {
            ASSERT_EQ(prompter.threeLineQuestions.size(), 1u);
            EXPECT_EQ(prompter.threeLineQuestions[0], kLines);
            EXPECT_TRUE(prompter.questions.empty());
        } else {
            EXPECT_TRUE(prompter.threeLineQuestions.empty()) << flag;
            ASSERT_EQ(prompter.questions.size(), 1u) << flag;
            EXPECT_EQ(prompter.questions[0], kLines[0] + "\n" + kLines[1] + "\n" + kLines[2]);
        }
    }
}

TEST(MessageBoxPrompter, AsksThreeLinesInTheWindowItWasGiven) {
    TMsgChkDlg dialog;
    MessageBoxPrompter prompter;
    prompter.setConfirmationWindow(&dialog);
    QTimer::singleShot(0, &dialog, [&] { dialog.OKBtn->click(); });
    EXPECT_TRUE(askConfirmation(prompter, 1, kLines));
    EXPECT_EQ(dialog.Panel2->caption().toStdString(), kLines[1]);
    // Without the small windows there is no row and no date to offer.
    EXPECT_FALSE(prompter.chooseDigitCountRow("バックアップ方法を指定してください。"));
    EXPECT_EQ(prompter.chooseDate(), "");
}

// The name proposed comes back whole when the person takes it; a backup
// overwrites its file without asking, as it always has.
TEST(MessageBoxPrompter, TakesTheProposedFileAndOverwritesWithoutAsking) {
    TempDir folder;
    const std::string existing = (folder.path() / "BACKUP.CSV").string();
    std::ofstream(existing) << "1";
    MessageBoxPrompter prompter;
    for (const bool save : {true, false}) {
        bool asked = false;
        QTimer::singleShot(0, [&] {
            auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!files)
                return;
            // A question about the existing file would be the modal window by then;
            // without one the timer goes with the dialog.
            QTimer::singleShot(0, files, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    asked = true;
                    box->reject();
                    files->reject();
                }
            });
            static_cast<QDialog*>(files)->accept(); // as its Save or Open button does
        });
        EXPECT_EQ(prompter.chooseFile({save, "バックアップ", "CSV (*.CSV)", existing}), existing)
            << save;
        EXPECT_FALSE(asked) << save;
    }
}

TEST(MessageBoxPrompter, AnErrorBreaksBetweenSentencesNeverInsideAWord) {
    MessageBoxPrompter prompter;
    QString shown;
    bool fits = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        shown = label->text();
        fits = true;
        for (const QString& line : shown.split(QLatin1Char('\n')))
            fits = fits &&
                   label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width();
        box->accept();
    });
    prompter.showError(
        "ファイル /home/事務所/Mivora/印刷フォーム/白地.jpg が見つかりません "
        "(ファイルまたはフォルダがありません)。印刷フォームの画像なしで表示します。");
    EXPECT_EQ(shown.toStdString(),
              "ファイル /home/事務所/Mivora/印刷フォーム/白地.jpg が見つかりません\n"
              "(ファイルまたはフォルダがありません)。\n印刷フォームの画像なしで表示します。");
    EXPECT_TRUE(fits);
}

} // namespace
} // namespace mivora::test
