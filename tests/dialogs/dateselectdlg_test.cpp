#include "dialogs/dateselectdlg.h"
#include "support/tempdir.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

class DateSelectTest : public ::testing::Test {
  protected:
    QList<QRadioButton*> buttons(TDateSelectDlg& dialog) {
        return dialog.RadioGroup1->findChildren<QRadioButton*>();
    }
    // Shows the window modally, picks the choice, and closes it as given.
    std::string chooseAndClose(TDateSelectDlg& dialog, int choice, bool withOk) {
        QTimer::singleShot(0, &dialog, [&dialog, this, choice, withOk] {
            buttons(dialog)[choice]->click();
            if (withOk)
                dialog.OKBtn->click();
            else
                dialog.close();
        });
        return dialog.choose();
    }

    TempDir dir_;
};

TEST_F(DateSelectTest, DefaultChoicesInOneRowFirstSelected) {
    TDateSelectDlg dialog(dir_.path());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("日付選択"));
    EXPECT_EQ(dialog.RadioGroup1->title(), QStringLiteral("日付を選択して下さい"));
    EXPECT_EQ(dialog.OKBtn->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dialog.OKBtn->isDefault());
    const QList<QRadioButton*> shown = buttons(dialog);
    QStringList texts;
    for (QRadioButton* button : shown)
        texts << button->text();
    EXPECT_EQ(texts, QStringList({"なし", "今日", "明日", "明後日", "明々後日", "弥明後日"}));
    EXPECT_EQ(dialog.itemIndex(), 0);
    EXPECT_EQ(dialog.selectedChoice(), sj("なし"));
}

TEST_F(DateSelectTest, TheChoiceIsHandedOverHoweverTheWindowClosesAndStays) {
    TDateSelectDlg dialog(dir_.path());
    EXPECT_EQ(chooseAndClose(dialog, 3, true), sj("明後日"));
    EXPECT_EQ(chooseAndClose(dialog, 2, false), sj("明日")); // the close box
    // Shown again: the last answer is offered.
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.OKBtn->click(); });
    EXPECT_EQ(dialog.choose(), sj("明日"));
}

TEST_F(DateSelectTest, FileReplacesTheChoicesInAsManyColumns) {
    writeLines(dir_.path() / "DateSelect.INI", {sj("今日"), sj("明日"), sj("なし")});
    TDateSelectDlg dialog(dir_.path());
    const QList<QRadioButton*> shown = buttons(dialog);
    ASSERT_EQ(shown.size(), 3);
    auto* grid = static_cast<QGridLayout*>(dialog.RadioGroup1->layout());
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->columnCount(), 3);
    EXPECT_TRUE(shown[0]->isChecked());
    EXPECT_EQ(chooseAndClose(dialog, 2, true), sj("なし"));
}

TEST_F(DateSelectTest, EmptyFileLeavesNothingToChoose) {
    writeLines(dir_.path() / "DateSelect.INI", {});
    TDateSelectDlg dialog(dir_.path());
    EXPECT_TRUE(buttons(dialog).isEmpty());
    EXPECT_EQ(dialog.itemIndex(), -1);
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.OKBtn->click(); });
    EXPECT_EQ(dialog.choose(), "");
}

} // namespace
} // namespace mivora::test
