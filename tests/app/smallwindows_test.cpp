// The main window's side of the small windows: the digit-count row number, the
// printer lists, its own position.
#include "app/mivoraptnform.h"
#include "dialogs/indtlform.h"
#include "dialogs/tooleditform.h"
#include "store/datafolder.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"
#include "text/sjis.h"
#include "widgets/dbgrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

class SmallWindowsTest : public ::testing::Test {
  protected:
    SmallWindowsTest() {
        createTables(dir_.path() / "CARDATA");
        fillSampleData(dir_.path() / "CARDATA");
        ProgramSettings settings;
        settings.programDir = dir_.path();
        session_ = std::make_unique<Session>(settings, dir_.path() / "CARDATA");
        forms_.prompter = &prompter_;
    }

    void addDigitCountRow() {
        Table& rows = session_->digitCounts;
        rows.append();
        rows.setText(sj("データ用途"), sj("三つ目"));
        rows.post();
        rows.first();
    }

    TempDir dir_;
    std::unique_ptr<Session> session_;
    ScriptedPrompter prompter_;
    Forms forms_;
};

TEST_F(SmallWindowsTest, RowNumberFollowsTheGridOnceTheWindowExists) {
    TMivoraPtnForm form(*session_, forms_);
    EXPECT_TRUE(form.T3Label->text().isEmpty());
    addDigitCountRow();
    {
        TInDTLForm digitCounts(session_->digitCounts, *form.T3Label);
        forms_.digitCounts = &digitCounts;
        digitCounts.DBGrid1->refresh();
        digitCounts.DBGrid1->setCurrentIndex(digitCounts.DBGrid1->model().index(2, 1));
        EXPECT_EQ(session_->digitCounts.recNo(), 3);
        EXPECT_EQ(digitCounts.Edit1->text(), QStringLiteral("3"));
        session_->digitCounts.first();
        EXPECT_EQ(digitCounts.Edit1->text(), QStringLiteral("1"));
        EXPECT_EQ(digitCounts.DBGrid1->currentIndex().row(), 0);
    }
    // The window is gone: moving the table must not reach it.
    session_->digitCounts.last();
    EXPECT_TRUE(form.T3Label->text().isEmpty());
}

TEST_F(SmallWindowsTest, SeveralPrintersAreOfferedInThePrinterAdjustment) {
    TMivoraPtnForm form(*session_, forms_);
    TToolEditForm toolEdit(dir_.path());
    forms_.toolEdit = &toolEdit;

    form.usePrinters({QStringLiteral("only")});
    EXPECT_FALSE(session_->settings.severalPrinters);
    EXPECT_FALSE(toolEdit.Panel2->isVisibleTo(&toolEdit));
    EXPECT_EQ(toolEdit.ComboBox1->count(), 0);

    form.usePrinters({QStringLiteral("first"), QStringLiteral("second")});
    EXPECT_TRUE(session_->settings.severalPrinters);
    EXPECT_TRUE(toolEdit.NameRow1->isVisibleTo(&toolEdit));
    EXPECT_TRUE(toolEdit.Panel3->isVisibleTo(&toolEdit));
    EXPECT_EQ(toolEdit.ComboBox2->count(), 2);
}

TEST_F(SmallWindowsTest, MainWindowTakesItsSavedPositionButKeepsItsSize) {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mivora")).clear();
    {
        QSettings saved(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mivora"));
        saved.setValue(QStringLiteral("PosX"), 33);
        saved.setValue(QStringLiteral("PosY"), 44);
        saved.setValue(QStringLiteral("Width"), 999);
        saved.setValue(QStringLiteral("Height"), 777);
    }
    {
        TMivoraPtnForm form(*session_, forms_);
        EXPECT_EQ(form.geometry(), QRect(33, 44, 435, 300));
        form.move(50, 60);
    }
    QSettings saved(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mivora"));
    EXPECT_EQ(saved.value(QStringLiteral("Width")).toInt(), 435);
    EXPECT_EQ(saved.value(QStringLiteral("PosX")).toInt(), 50);
}

} // namespace
} // namespace mivora::test
