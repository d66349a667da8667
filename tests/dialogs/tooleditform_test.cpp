#include "dialogs/tooleditform.h"
#include "support/tempdir.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
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
                             "\n印刷したものが小さい場合は、左側を減少させてください。"));
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

} // namespace
} // namespace mivora::test
