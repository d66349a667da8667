#include "dialogs/tooleditform.h"
#include "support/tempdir.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

class ToolEditFormTest : public ::testing::Test {
  protected:
    std::filesystem::path file() const { return toolEditFile(dir_.path()); }
    std::vector<std::string> written() const { return readLines(file()).value(); }

    TempDir dir_;
};

TEST_F(ToolEditFormTest, WithoutAFileTheDefaultsStandAndOnlyGroupOneShows) {
    TToolEditForm form(dir_.path());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("印刷機能修正"));
    EXPECT_EQ(form.Label1->text(),
              QStringLiteral("\nプリンターによって尺度が異なる場合があります。\n"
                             "\nその場合は、実際に印刷しながら尺度の左側を変更してください。\n"
                             "\n印刷したものが小さい場合は、左側を増加させてください。"));
    for (const AdjustmentGroup& group : form.adjustment())
        EXPECT_EQ(group, AdjustmentGroup{});
    EXPECT_TRUE(form.Panel1->isVisibleTo(&form));
    EXPECT_FALSE(form.NameRow1->isVisibleTo(&form));
    EXPECT_FALSE(form.Panel2->isVisibleTo(&form));
    EXPECT_FALSE(form.Panel3->isVisibleTo(&form));
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(ToolEditFormTest, OkRewritesAFourLineFileWithFifteenLines) {
    writeLines(file(), {"900", "250", "-2", "3"});
    TToolEditForm form(dir_.path());
    form.OKBtnClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    const std::vector<std::string> expected = {"900", "250", "-2",   "3",   "",  "1000", "267", "0",
                                               "1",   "",    "1000", "267", "0", "1",    ""};
    EXPECT_EQ(written(), expected);
}

TEST_F(ToolEditFormTest, PrinterNamesStayAsTheFileHasThemInstalledOrNot) {
    // A name of the office, and bytes that are no Shift-JIS character at all.
    const std::string office = sj("事務所のプリンタ");
    const std::string odd = "\x81\xff"
                            "old";
    writeLines(file(), {"900", "250", "-2", "3", "", "800", "240", "1", "-1", office, "700", "230",
                        "0", "0", odd});
    TToolEditForm form(dir_.path());
    form.showPrinterChoice({QStringLiteral("P1"), QStringLiteral("P2")});

    EXPECT_TRUE(form.NameRow1->isVisibleTo(&form));
    EXPECT_TRUE(form.Panel2->isVisibleTo(&form));
    EXPECT_TRUE(form.Panel3->isVisibleTo(&form));
    EXPECT_EQ(form.ComboBox1->currentText(), QString());
    EXPECT_EQ(form.ComboBox2->currentText(), QStringLiteral("事務所のプリンタ"));
    EXPECT_EQ(form.ComboBox3->count(), 2);
    EXPECT_EQ(form.ComboBox3->itemText(1), QStringLiteral("P2"));

    form.OKBtnClick();
    const std::vector<std::string> lines = written();
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[9], office);
    EXPECT_EQ(lines[14], odd);
}

TEST_F(ToolEditFormTest, GroupChoiceReadsTheWindowAsItStands) {
    TToolEditForm form(dir_.path());
    form.showPrinterChoice({QStringLiteral("P1"), QStringLiteral("P2")});
    form.SpinEdit5->setValue(555);
    form.ComboBox2->setEditText(QStringLiteral("P2"));
    // No printer in group 1: group 1 even though group 2 names the printer.
    EXPECT_EQ(chooseAdjustmentGroup(form.adjustment(), true, "P2").numerator, 1000);
    form.ComboBox1->setEditText(QStringLiteral("P1"));
    EXPECT_EQ(chooseAdjustmentGroup(form.adjustment(), true, "P2").numerator, 555);
    EXPECT_EQ(chooseAdjustmentGroup(form.adjustment(), false, "P2").numerator, 1000);
}

TEST_F(ToolEditFormTest, CancelKeepsTheChangesShownButWritesNothing) {
    TToolEditForm form(dir_.path());
    form.SpinEdit5->setValue(500);
    form.SpinEdit12->setValue(-7);
    form.CancelBtnClick();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.adjustment()[1].numerator, 500);
    EXPECT_EQ(form.adjustment()[2].horizontalOffset, -7);
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(ToolEditFormTest, NameWithoutShiftJisCodeIsRefusedAndTheFileKept) {
    writeLines(file(), {"900", "250", "-2", "3"});
    TToolEditForm form(dir_.path());
    form.ComboBox1->setEditText(QStringLiteral("プリンタ😀"));
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    form.setResult(-1);
    form.OKBtnClick();
    EXPECT_EQ(form.result(), -1); // still open
    EXPECT_EQ(written().size(), 4u);
}

// Typed digit by digit, a value outside the range stays as typed until the edit
// ends, and then becomes the nearest bound. Full-width digits and minus signs,
// committed by the input method, count as their half-width forms.
TEST_F(ToolEditFormTest, ATypedValueOutsideTheRangeBecomesTheNearestBound) {
    TToolEditForm form(dir_.path());
    form.show();
    QApplication::setActiveWindow(&form);
    struct TypedCase {
        QSpinBox* box;
        const char* typed;
        const char* shown;
        int value;
    };
    const TypedCase cases[] = {
        {form.SpinEdit1, "1500", "1500", 1000}, {form.SpinEdit2, "0", "0", 1},
        {form.SpinEdit2, "250", "250", 250},    {form.SpinEdit3, "-15", "-15", -10},
        {form.SpinEdit4, "99", "99", 10},       {form.SpinEdit4, "-3", "-3", -3},
        {form.SpinEdit2, "２５０", "250", 250}, {form.SpinEdit3, "－５", "-5", -5},
        {form.SpinEdit4, "−２", "-2", -2}, // the minus sign of Linux input methods
    };
    for (const TypedCase& c : cases) {
        SCOPED_TRACE(c.typed);
        c.box->setFocus();
        c.box->selectAll();
        const QString typed = QString::fromUtf8(c.typed);
        if (typed.toLatin1() == c.typed) {
            QTest::keyClicks(c.box, typed);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(typed);
            QApplication::sendEvent(QApplication::focusWidget(), &commit);
        }
        EXPECT_EQ(c.box->text(), QString::fromLatin1(c.shown));
        QTest::keyClick(c.box, Qt::Key_Tab); // leaves the box
        EXPECT_EQ(c.box->value(), c.value);
    }
    // Typed and confirmed with OK at once.
    form.SpinEdit1->setFocus();
    form.SpinEdit1->selectAll();
    QTest::keyClicks(form.SpinEdit1, QStringLiteral("2000"));
    form.OKBtn->click();
    EXPECT_EQ(written()[0], "1000");
}

// The window opens in the numerator box, whose four characters fill it, and later
// in the box left last: what is typed first replaces what the box holds.
TEST_F(ToolEditFormTest, TypingAtOnceReplacesTheBoxTheWindowOpensIn) {
    TToolEditForm form(dir_.path());
    for (int showing = 0; showing < 2; ++showing) {
        SCOPED_TRACE(showing);
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        auto* box = qobject_cast<QSpinBox*>(QApplication::focusWidget());
        ASSERT_TRUE(box);
        EXPECT_TRUE(showing > 0 || box == form.SpinEdit1);
        QTest::keyClicks(box, QStringLiteral("98%1").arg(showing));
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_EQ(box->value(), 980 + showing);
        form.CancelBtnClick();
    }
}

TEST_F(ToolEditFormTest, OkAndCancelStandAtThirdsOfTheButtonPanel) {
    TToolEditForm form(dir_.path());
    form.show();
    form.resize(form.width() + 60, form.height());
    const int third = form.ButtonPanel->width() / 3;
    EXPECT_EQ(form.OKBtn->x(), third - 37);
    EXPECT_EQ(form.CancelBtn->x(), 2 * third - 37);
}

} // namespace
} // namespace mivora::test
