// The print button and the start-up request in print mode, printing through a
// QPrinter into a PDF file in place of a printer.

#include "app/mivoraptnform.h"
#include "app/windowprinthost.h"
#include "cli/sampleprogramfolder.h"
#include "dialogs/prfreeeditform.h"
#include "print/pdftools.h"
#include "support/scriptedprompter.h"
#include "text/codec.h"
#include "text/sjis.h"
#include "widgets/dbgrid.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace mivora::test {
namespace {

class PrintButtonTest : public ::testing::Test {
  protected:
    PrintButtonTest() { forms_.prompter = &prompter_; }

    void SetUp() override {
        if (!haveTool(QStringLiteral("pdftotext")))
            GTEST_SKIP() << "poppler-utils are not installed";
    }

    // The main window of the sample folder with the windows a print needs.
    void open() {
        ProgramSettings settings;
        settings.programDir = sample_.folder();
        session_ = std::make_unique<Session>(settings, sample_.tables());
        session_->openDesignerTables();
        session_->freeData.first();
        main_ = std::make_unique<TMivoraPtnForm>(*session_, forms_);
        freeEdit_ = std::make_unique<TPrFreeEditForm>(QStringList{});
        forms_.freeEdit = freeEdit_.get();
    }

    // The printer dialog's place taken by a PDF file.
    void printInto(const std::filesystem::path& pdf) {
        main_->printHost().setUpPrinter = [pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pathArg(pdf));
            return true;
        };
    }

    void okOnTheContentWindow() {
        QTimer::singleShot(0, freeEdit_.get(), [this] { freeEdit_->OKBtn->click(); });
    }

    SampleProgramFolder sample_;
    ScriptedPrompter prompter_;
    Forms forms_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TMivoraPtnForm> main_;
    std::unique_ptr<TPrFreeEditForm> freeEdit_;
};

bool printed(const std::filesystem::path& pdf, const std::string& utf8) {
    const QString text = QString::fromStdString(utf8);
    for (const PdfWord& word : pdfWords(pdf))
        if (!word.text.isEmpty() && text.startsWith(word.text))
            return true;
    return false;
}

TEST_F(PrintButtonTest, TheButtonPrintsTheCurrentRecord) {
    open();
    ASSERT_TRUE(main_->SpeedButton3->isEnabled());
    main_->DBGrid1->setCurrentIndex(main_->DBGrid1->model().index(3, 0)); // a click on row 4
    const std::string user = toUtf8(session_->vehicles.text(sj("使用者")));
    const auto pdf = sample_.file("button.pdf");
    printInto(pdf);
    okOnTheContentWindow();
    main_->SpeedButton3->click();
    EXPECT_TRUE(prompter_.errors.empty()) << prompter_.errors.front();
    EXPECT_TRUE(printed(pdf, user)) << user;
    EXPECT_EQ(session_->vehicles.recNo(), 4);
}

TEST_F(PrintButtonTest, CancellingThePrinterDialogPrintsNothing) {
    open();
    bool dialogShown = false;
    QTimer::singleShot(0, [&dialogShown] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            dialogShown = true;
            dialog->reject();
        }
    });
    main_->SpeedButton3Click();
    EXPECT_TRUE(dialogShown);
    EXPECT_FALSE(freeEdit_->isVisible());
    EXPECT_TRUE(prompter_.errors.empty());
}

TEST_F(PrintButtonTest, APrinterThatRefusesTheJobIsReported) {
    open();
    printInto(sample_.file("no-such-folder") / "out.pdf");
    okOnTheContentWindow();
    EXPECT_EQ(main_->printHost().print(), 0);
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors[0].find("印刷を開始できません。0 ページ印刷しました。"),
              std::string::npos)
        << prompter_.errors[0];
}

TEST_F(PrintButtonTest, ARequestInPrintModePrintsItsRecordAndEnds) {
    writeLines(sample_.folder() / "Mivora.INI", {"", "", "3", "1", sj("印刷")});
    open();
    const std::string user = toUtf8(session_->vehicles.text(sj("使用者")));
    const auto pdf = sample_.file("request.pdf");
    printInto(pdf);
    okOnTheContentWindow();
    main_->Timer1Timer();
    EXPECT_TRUE(printed(pdf, user)) << user;
    EXPECT_FALSE(std::filesystem::exists(sample_.folder() / "Mivora.INI"));
    EXPECT_FALSE(main_->isVisible());
}

TEST_F(PrintButtonTest, ARequestWhosePrinterDialogIsCancelledStillEnds) {
    writeLines(sample_.folder() / "Mivora.INI", {"", "", "2", "0", sj("印刷")});
    open();
    main_->printHost().setUpPrinter = [](QPrinter&) { return false; };
    main_->Timer1Timer();
    EXPECT_FALSE(std::filesystem::exists(sample_.folder() / "Mivora.INI"));
    EXPECT_TRUE(prompter_.errors.empty());
}

// A request that cannot be applied prints nothing, opens the window as at an
// ordinary start and leaves the request file for the sibling to see.
TEST_F(PrintButtonTest, ARequestThatCannotBeAppliedPrintsNothing) {
    const std::vector<std::string> cases[] = {
        {"", "1=1; DELETE FROM records", "1", "1", sj("印刷")},  // a filter that does not parse
        {sj("そんな索引"), "", "1", "1", sj("印刷")},            // an unknown index
        {"", "", "500", "1", sj("印刷")},                        // no record 500 of 20
        {"", sj("自動車の種別 = '二輪'"), "3", "1", sj("印刷")}, // 2 records after the filter
        {"", "", "1", "3", sj("印刷")},                          // no layout 3 of 2
        {"", "", "1", "3", sj("設定")},
    };
    for (const auto& lines : cases) {
        SCOPED_TRACE(toUtf8(lines[0] + " / " + lines[1] + " / " + lines[2] + " / " + lines[3]));
        prompter_.errors.clear();
        writeLines(sample_.folder() / "Mivora.INI", lines);
        open();
        const auto pdf = sample_.file("refused.pdf");
        printInto(pdf);
        main_->start();
        main_->Timer1Timer();
        EXPECT_FALSE(std::filesystem::exists(pdf));
        ASSERT_EQ(prompter_.errors.size(), 1u);
        EXPECT_NE(prompter_.errors[0].find("Mivora.INI を実行できません。"), std::string::npos)
            << prompter_.errors[0];
        EXPECT_TRUE(std::filesystem::exists(sample_.folder() / "Mivora.INI"));
        EXPECT_TRUE(main_->isVisible());
        EXPECT_EQ(main_->size(), QSize(435, 300));
        main_.reset();
    }
}

TEST_F(PrintButtonTest, ARequestWithAFilterPrintsTheRecordOfLineThreeAmongTheFiltered) {
    writeLines(sample_.folder() / "Mivora.INI",
               {sj("登録番号順"), sj("自動車の種別 = '二輪'"), "2", "1", sj("印刷")});
    open();
    ASSERT_EQ(session_->vehicles.recordCount(), 2);
    EXPECT_EQ(session_->vehicles.recNo(), 2);
    const std::string user = toUtf8(session_->vehicles.text(sj("使用者")));
    const auto pdf = sample_.file("filtered.pdf");
    printInto(pdf);
    okOnTheContentWindow();
    main_->Timer1Timer();
    EXPECT_TRUE(prompter_.errors.empty()) << prompter_.errors.front();
    EXPECT_TRUE(printed(pdf, user)) << user;
    EXPECT_FALSE(std::filesystem::exists(sample_.folder() / "Mivora.INI"));
}

} // namespace
} // namespace mivora::test
