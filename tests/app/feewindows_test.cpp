// The fee layout of the sample folder through the windows, with the sibling
// program present: the designer button, a start-up request that opens the
// designer, and the print button.

#include "app/mivoraptnform.h"
#include "app/windowprinthost.h"
#include "cli/sampleprogramfolder.h"
#include "designer/itemlabel.h"
#include "designer/mivoraform.h"
#include "print/pdftools.h"
#include "support/scriptedprompter.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <fstream>
#include <functional>

namespace mivora::test {
namespace {

class FeeWindowsTest : public ::testing::Test {
  protected:
    FeeWindowsTest() {
        forms_.prompter = &prompter_;
        std::ofstream(sample_.folder() / "Tessaly.exe").put('\0');
    }
    ~FeeWindowsTest() override {
        designer_.reset();
        main_.reset();
    }

    // The main window reads the settings files (Tessaly.exe, User.INI) as it starts.
    void open() {
        ProgramSettings settings;
        settings.programDir = sample_.folder();
        session_ = std::make_unique<Session>(settings, sample_.tables());
        main_ = std::make_unique<TMivoraPtnForm>(*session_, forms_);
        designer_ = std::make_unique<TMivoraForm>(*session_, forms_, main_.get());
        forms_.designer = designer_.get();
    }

    // Runs look once the designer shows, then closes it.
    void whenDesignerShows(std::function<void()> look) {
        QTimer::singleShot(0, designer_.get(), [this, look] {
            look();
            shown_ = true;
            designer_->reject();
        });
    }

    QString expLabel(int n) const { return designer_->ExpLabel(n)->text(); }
    std::string slot(int n) const {
        return toUtf8(session_->layouts.text(sj("項目") + std::to_string(n)));
    }

    SampleProgramFolder sample_;
    ScriptedPrompter prompter_;
    Forms forms_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TMivoraPtnForm> main_;
    std::unique_ptr<TMivoraForm> designer_;
    bool shown_ = false;
};

TEST_F(FeeWindowsTest, TheDesignerButtonShowsAmountSlotsByTheirKeywords) {
    open();
    session_->layouts.setRecNo(2);
    whenDesignerShows([this] {
        EXPECT_EQ(expLabel(1), QStringLiteral("自　賠　責金額"));
        EXPECT_EQ(expLabel(7), QStringLiteral("諸費用無合計"));
        EXPECT_EQ(slot(11), "自　賠　責金額");
        EXPECT_EQ(slot(23), "合　　　計金額");
        EXPECT_EQ(designer_->PrintLabel(24)->text(), QStringLiteral("有限会社みどり自動車"));
    });
    main_->SpeedButton4Click();
    EXPECT_TRUE(shown_);
    // No fees on this path, so no questions about them; the date is chosen.
    EXPECT_TRUE(prompter_.questions.empty());
    EXPECT_EQ(prompter_.dateQuestions, 1);
    EXPECT_TRUE(prompter_.errors.empty());
}

TEST_F(FeeWindowsTest, ARequestOpensTheDesignerOnTheRecordWithItsFees) {
    writeLines(sample_.folder() / "Mivora.INI", {"", "", "1", "2", sj("設定")});
    open();
    const QString total = QStringLiteral("    ６２４５０");
    whenDesignerShows([&] {
        EXPECT_EQ(toUtf8(session_->vehicles.text(sj("使用者"))), "石川　美穂");
        EXPECT_EQ(expLabel(6), total);
        EXPECT_EQ(QString::fromStdString(slot(23)), total);
    });
    main_->Timer1Timer();
    EXPECT_TRUE(shown_);
    // Without batch questions each record is asked; nobody brings insurance here.
    EXPECT_EQ(prompter_.questions.size(), 2u);
    EXPECT_TRUE(prompter_.errors.empty());
}

// A request for a record the table does not have is refused before anything is
// prepared: the designer stays closed and no record is priced.
TEST_F(FeeWindowsTest, ARequestForARecordThatIsNotThereOpensNoDesigner) {
    writeLines(sample_.folder() / "Mivora.INI", {"", "", "21", "2", sj("設定")});
    open();
    whenDesignerShows([] {});
    main_->start();
    main_->Timer1Timer();
    EXPECT_FALSE(shown_);
    EXPECT_TRUE(prompter_.questions.empty());
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors[0].find("車両のレコード 21 はありません (1～20)。"),
              std::string::npos)
        << prompter_.errors[0];
    EXPECT_TRUE(main_->isVisible());
    EXPECT_TRUE(std::filesystem::exists(sample_.folder() / "Mivora.INI"));
}

TEST_F(FeeWindowsTest, ThePrintButtonPrintsTheFeesOfTheRecord) {
    if (!haveTool(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "poppler-utils are not installed";
    open();
    session_->layouts.setRecNo(2);
    session_->vehicles.first();
    const auto pdf = sample_.file("fees.pdf");
    main_->printHost().setUpPrinter = [pdf](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pathArg(pdf));
        return true;
    };
    main_->SpeedButton3->click();
    ASSERT_TRUE(prompter_.errors.empty()) << prompter_.errors.front();
    std::vector<QString> words;
    for (const PdfWord& word : pdfWords(pdf))
        words.push_back(word.text);
    for (const char* text : {"自賠責保険料", "１７６５０", "２４６００", "６２４５０"})
        EXPECT_NE(std::find(words.begin(), words.end(), QString::fromUtf8(text)), words.end())
            << text;
}

} // namespace
} // namespace mivora::test
