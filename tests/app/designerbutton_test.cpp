// The way from the main window into the layout designer: the designer button, the
// start-up requests that open it, and what the designer stores as the headless
// `mivora resolve` prints it.

#include "app/mivoraptnform.h"
#include "cli/commands.h"
#include "designer/dbcombobox.h"
#include "designer/itemlabel.h"
#include "designer/mivoraform.h"
#include "store/datafolder.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <sstream>

namespace mivora::test {
namespace {

class DesignerButtonTest : public ::testing::Test {
  protected:
    DesignerButtonTest() {
        createTables(dir_.path() / "CARDATA");
        fillSampleData(dir_.path() / "CARDATA");
        // The blank form of every program folder, which the designer shows behind
        // layouts without a form image of their own.
        QImage blank(40, 56, QImage::Format_RGB32);
        blank.fill(Qt::white);
        blank.save(QString::fromStdString(pathText(pathOf(dir_.path(), "白地.jpg"))), "JPG");
        forms_.prompter = &prompter_;
    }
    ~DesignerButtonTest() override { stop(); }

    // The main window and the designer, created in the program's order.
    void start() {
        stop();
        ProgramSettings settings;
        settings.programDir = dir_.path();
        session_ = std::make_unique<Session>(settings, dir_.path() / "CARDATA");
        main_ = std::make_unique<TMivoraPtnForm>(*session_, forms_);
        forms_.main = main_.get();
        designer_ = std::make_unique<TMivoraForm>(*session_, forms_, main_.get());
        forms_.designer = designer_.get();
    }

    void stop() {
        designer_.reset();
        main_.reset();
        session_.reset();
    }

    // Closes the designer as soon as it shows, noting what it showed then.
    void closeDesignerWhenShown() {
        QTimer::singleShot(0, designer_.get(), [this] {
            shownLayout_ = session_->layouts.recNo();
            requestFileWhileShown_ = std::filesystem::exists(dir_.path() / "Mivora.INI");
            designer_->reject();
        });
    }

    TempDir dir_;
    ScriptedPrompter prompter_;
    Forms forms_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TMivoraPtnForm> main_;
    std::unique_ptr<TMivoraForm> designer_;
    int shownLayout_ = 0;
    bool requestFileWhileShown_ = false;
};

TEST_F(DesignerButtonTest, AFeeLayoutShowsItsAmountSlotsByTheirKeywords) {
    start();
    ASSERT_TRUE(main_->SpeedButton4->isEnabled());
    closeDesignerWhenShown();
    main_->SpeedButton4Click();
    EXPECT_EQ(shownLayout_, 1);
    EXPECT_TRUE(designer_->ExpLabel(1)->text().isEmpty());

    session_->layouts.setRecNo(2);
    closeDesignerWhenShown();
    main_->SpeedButton4Click();
    EXPECT_EQ(shownLayout_, 2);
    EXPECT_EQ(designer_->ExpLabel(1)->text(), QStringLiteral("自　賠　責金額"));
    EXPECT_EQ(designer_->ExpLabel(7)->text(), QStringLiteral("諸費用無合計"));
    EXPECT_TRUE(designer_->ExpLabel(7)->isHidden());
    EXPECT_TRUE(prompter_.errors.empty());
}

TEST_F(DesignerButtonTest, RequestsOfModeOneAndTwoOpenTheDesignerOnTheirLayout) {
    for (const char* word : {"設定", "何でも"}) {
        SCOPED_TRACE(word);
        writeLines(dir_.path() / "Mivora.INI", {"", "", "1", "2", sj(word)});
        start();
        closeDesignerWhenShown();
        main_->Timer1Timer();
        EXPECT_EQ(shownLayout_, 2);
        EXPECT_TRUE(requestFileWhileShown_);
        EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Mivora.INI"));
        shownLayout_ = 0;
    }
}

// The designer's preview and the headless command resolve the same stored layout alike.
TEST_F(DesignerButtonTest, WhatTheDesignerStoresResolvesAlikeHeadless) {
    start();
    designer_->FormPaint();
    designer_->MenuDBComboBox->setEditText(QStringLiteral("車台番号下７桁"));
    designer_->OKBtnClick();
    const std::string shown = designer_->PrintLabel(1)->text().toStdString();
    ASSERT_FALSE(shown.empty());

    std::ostringstream out, err;
    ASSERT_EQ(runCommand({"resolve", "--cardata", (dir_.path() / "CARDATA").string()}, out, err), 0)
        << err.str();
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')), "1\t車台番号下７桁\t" + shown);
}

} // namespace
} // namespace mivora::test
