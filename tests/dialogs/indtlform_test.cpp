#include "dialogs/captionpanel.h"
#include "dialogs/indtlform.h"
#include "dialogs/updown.h"
#include "digitcounttable.h"
#include "widgets/dbgrid.h"

#include <QApplication>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

class InDTLFormTest : public ::testing::Test {
  protected:
    explicit InDTLFormTest(int rows = 3) : data_(rows), form_(data_.table, t3Label_) {}

    // Shows the window modally under the prompt and lets close() end it.
    bool chooseAndThen(const std::function<void()>& close) {
        QTimer::singleShot(0, &form_, close);
        return form_.choose(QStringLiteral("リストア方法を指定してください。"));
    }

    DigitCountTable data_;
    QLabel t3Label_;
    TInDTLForm form_;
};

TEST_F(InDTLFormTest, CreationMarksTheMainWindowLabelAndShowsItsTexts) {
    EXPECT_EQ(t3Label_.text(), QStringLiteral("Busy"));
    EXPECT_EQ(form_.windowTitle(), QStringLiteral("印刷＆バックアップ桁数設定"));
    EXPECT_EQ(form_.Panel1->caption(), QStringLiteral("バックアップ方法を指定してください"));
    EXPECT_EQ(form_.Edit1->text(), QStringLiteral("1"));
    EXPECT_EQ(form_.OKBtn->text(), QStringLiteral("OK(&Y)"));
    EXPECT_EQ(form_.CancelBtn->text(), QStringLiteral("ｷｬﾝｾﾙ"));
}

TEST_F(InDTLFormTest, RowNumberSelectsTheRowWithinTheTable) {
    struct Case {
        const char* typed;
        const char* shown;
        const char* row;
    };
    const Case cases[] = {
        {"2", "2", "row2"}, {"99", "3", "row3"},          {"3", "3", "row3"},
        {"0", "0", "row1"}, {"-4", "-4", "row1"},         {"abc", "abc", "row1"},
        {"", "", "row1"},   {"99999999999", "3", "row3"},
    };
    for (const Case& c : cases) {
        form_.Edit1->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(form_.Edit1->text().toStdString(), c.shown) << c.typed;
        EXPECT_EQ(data_.currentUse(), c.row) << c.typed;
        EXPECT_EQ(form_.DBGrid1->currentIndex().row() + 1, data_.table.recNo()) << c.typed;
    }
    // A full-width digit as the input method commits it.
    form_.Edit1->clear();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("２"));
    QApplication::sendEvent(form_.Edit1, &commit);
    EXPECT_EQ(form_.Edit1->text(), QStringLiteral("2"));
    EXPECT_EQ(data_.currentUse(), "row2");
}

TEST_F(InDTLFormTest, UpDownStepsWithoutWrappingAndStaysWithinTheRows) {
    form_.Edit1->setText(QStringLiteral("2"));
    form_.UpDown1->stepUp();
    EXPECT_EQ(form_.Edit1->text(), QStringLiteral("3"));
    form_.UpDown1->stepUp(); // 4 is beyond the last row
    EXPECT_EQ(form_.Edit1->text(), QStringLiteral("3"));
    EXPECT_EQ(data_.currentUse(), "row3");
    form_.Edit1->setText(QStringLiteral("1"));
    form_.UpDown1->stepDown();
    EXPECT_EQ(form_.Edit1->text(), QStringLiteral("1"));
}

TEST_F(InDTLFormTest, OkEmptiesThePromptAndOtherClosesLeaveIt) {
    EXPECT_TRUE(chooseAndThen([this] { form_.OKBtn->click(); }));
    EXPECT_EQ(form_.Panel1->caption(), QString());

    EXPECT_FALSE(chooseAndThen([this] { form_.close(); })); // the close box
    EXPECT_EQ(form_.Panel1->caption(), QStringLiteral("リストア方法を指定してください。"));

    EXPECT_FALSE(chooseAndThen([this] { form_.CancelBtn->click(); }));
    EXPECT_FALSE(form_.Panel1->caption().isEmpty());
}

TEST_F(InDTLFormTest, ButtonsStandAtTheWholeThirdsOfTheWidth) {
    form_.show();
    form_.resize(500, 300); // a third is 166: 129 and 295, not 2 × 500 / 3 − 37
    QCoreApplication::processEvents();
    EXPECT_EQ(form_.OKBtn->x(), 129);
    EXPECT_EQ(form_.CancelBtn->x(), 295);
    form_.hide();
}

class EmptyInDTLFormTest : public InDTLFormTest {
  protected:
    EmptyInDTLFormTest() : InDTLFormTest(0) {}
};

TEST_F(EmptyInDTLFormTest, EmptyTableOffersNoRowAndCountsAsCancel) {
    form_.Edit1->setText(QStringLiteral("5"));
    EXPECT_EQ(form_.Edit1->text(), QStringLiteral("5"));
    EXPECT_FALSE(chooseAndThen([this] {
        EXPECT_FALSE(form_.OKBtn->isEnabled());
        form_.OKBtnClick(); // even if it were pressed
        form_.close();
    }));
    EXPECT_FALSE(form_.Panel1->caption().isEmpty());
}

// A digit-count table that could not be opened: the window names it and is not
// shown with an empty grid.
TEST_F(EmptyInDTLFormTest, AWindowWithoutItsTableSaysSo) {
    data_.table.close();
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        }
    });
    EXPECT_FALSE(form_.choose(QStringLiteral("バックアップ方法を指定してください。")));
    EXPECT_FALSE(form_.isVisible());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("印刷＆バックアップ桁数設定|テーブル ")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("INDTLEN.db を開けなかったため")))
        << shown.toStdString();
}

} // namespace
} // namespace mivora::test
