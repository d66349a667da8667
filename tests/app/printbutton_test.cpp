// The print button and the start-up request in print mode, printing through a
// QPrinter into a PDF file in place of a printer.

#include "app/mivoraptnform.h"
#include "app/windowprinthost.h"
#include "dialogs/prfreeeditform.h"
#include "print/pdftools.h"
#include "sampleprogramfolder.h"
#include "scriptedprompter.h"
#include "text/codec.h"
#include "text/sjis.h"

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
        freeEdit_ = std::make_unique<TPrFreeEditForm>(session_->freeData, QStringList{});
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
    session_->vehicles.setRecNo(4);
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

} // namespace
} // namespace mivora::test
