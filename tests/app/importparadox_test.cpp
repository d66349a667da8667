// Moving in from an old installation, as a person does it: `mivora
// import-paradox`, or a Yes when the desktop program finds the old tables; and
// then the imported layouts print as the ones entered by hand.

#include "app/oldinstallation.h"
#include "cli/commands.h"
#include "cli/programfolder.h"
#include "cli/sampleprogramfolder.h"
#include "print/pdftools.h"
#include "session/session.h"
#include "support/paradoxwriter.h"
#include "support/scriptedprompter.h"
#include "text/lines.h"

#include <gtest/gtest.h>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

// The sample program folder as an old installation kept it: the same records in
// Paradox tables, the same settings files and form images.
class ImportParadoxTest : public ::testing::Test {
  protected:
    ImportParadoxTest() {
        writeParadoxFolder(sample_.tables(), oldFolder() / "CARDATA");
        for (const auto& entry : fs::directory_iterator(sample_.folder()))
            if (entry.is_regular_file())
                fs::copy_file(entry.path(), oldFolder() / entry.path().filename());
    }

    fs::path oldFolder() const { return sample_.file("old"); }
    fs::path newFolder() const { return sample_.file("new"); }

    // `mivora ARGS` with the folder as the current directory.
    int runIn(const fs::path& folder, const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        const fs::path before = fs::current_path();
        fs::current_path(folder);
        const int code = runCommand(args, out_, err_);
        fs::current_path(before);
        return code;
    }

    SampleProgramFolder sample_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(ImportParadoxTest, CommandReportsEveryTableAndCopiedFile) {
    ASSERT_EQ(runIn(sample_.file(""), {"import-paradox", "old", "new"}), 0) << err_.str();

    EXPECT_EQ(out_.str(), "旧形式のデータを " + pathText(newFolder()) +
                              " に取り込みました。\n"
                              "INDATA.db: 20 件を読み込み、20 件を書き込みました。\n"
                              "INDTLEN.db: 2 件を読み込み、2 件を書き込みました。\n"
                              "PrtData.DB: 2 件を読み込み、2 件を書き込みました。\n"
                              "PrtFreeData.DB: 2 件を読み込み、2 件を書き込みました。\n"
                              "Expense.DB: 1 件を読み込み、1 件を書き込みました。\n"
                              "WeightTax.DB: 1 件を読み込み、1 件を書き込みました。\n"
                              "コピーしたファイル (4 件): MsgFlg.INI、User.INI、白地.jpg、"
                              "車検証様式.jpg\n");
    EXPECT_EQ(err_.str(), "");
}

TEST_F(ImportParadoxTest, ImportedLayoutsResolveAndPrintAsTheOnesEnteredByHand) {
    ASSERT_EQ(
        runIn(sample_.folder(), {"import-paradox", pathText(oldFolder()), pathText(newFolder())}),
        0)
        << err_.str();
    for (const std::string layout : {"1", "2"}) {
        SCOPED_TRACE("layout " + layout);
        ASSERT_EQ(runIn(sample_.folder(), {"resolve", "--layout", layout}), 0) << err_.str();
        const std::string byHand = out_.str();
        ASSERT_EQ(runIn(newFolder(), {"resolve", "--layout", layout}), 0) << err_.str();
        EXPECT_EQ(out_.str(), byHand);

        const fs::path handPdf = sample_.file("hand" + layout + ".pdf");
        const fs::path importedPdf = sample_.file("imported" + layout + ".pdf");
        ASSERT_EQ(
            runIn(sample_.folder(), {"print", "--pdf", pathText(handPdf), "--layout", layout}), 0);
        ASSERT_EQ(runIn(newFolder(), {"print", "--pdf", pathText(importedPdf), "--layout", layout}),
                  0);
        const std::vector<PdfWord> expected = pdfWords(handPdf);
        const std::vector<PdfWord> printed = pdfWords(importedPdf);
        ASSERT_FALSE(expected.empty());
        ASSERT_EQ(printed.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(printed[i].text, expected[i].text);
            EXPECT_DOUBLE_EQ(printed[i].xMin, expected[i].xMin);
            EXPECT_DOUBLE_EQ(printed[i].yMin, expected[i].yMin);
        }
    }
}

TEST_F(ImportParadoxTest, DamagedTableEndsTheCommandWithItsNameAndNothingWritten) {
    const fs::path vehicles = oldFolder() / "CARDATA" / "INDATA.db";
    fs::resize_file(vehicles, 100);

    EXPECT_EQ(runIn(sample_.file(""), {"import-paradox", "old", "new", "--paradox", "old/CARDATA"}),
              1);

    EXPECT_EQ(err_.str().rfind("mivora import-paradox: 旧形式のテーブル " + pathText(vehicles) +
                                   " を読めません。(",
                               0),
              0u)
        << err_.str();
    EXPECT_EQ(out_.str(), "");
    EXPECT_FALSE(fs::exists(newFolder()));
}

TEST_F(ImportParadoxTest, DesktopOffersTheImportAndStartsOnTheNewFolder) {
    ScriptedPrompter prompter;
    prompter.answers = {true};

    auto start = foldersToStartOn({oldFolder(), oldFolder() / "CARDATA"}, prompter, nullptr);

    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].rfind("旧形式のデータが見つかりました。取り込みますか？", 0),
              0u);
    EXPECT_TRUE(prompter.errors.empty());
    ASSERT_TRUE(start);
    EXPECT_EQ(start->program, sample_.file("old_Mivora"));
    EXPECT_EQ(start->tables, sample_.file("old_Mivora") / "CARDATA");
    ProgramSettings settings;
    settings.programDir = start->program;
    Session session(settings, start->tables);
    session.openMainTables();
    EXPECT_EQ(session.vehicles.recordCount(), 20);

    // Started from the menu next time: the imported folder, without an offer.
    const fs::path home = sample_.file("home");
    fs::create_directories(home);
    EXPECT_EQ(findProgramFolder({{}, false, home, home / "Mivora"},
                                [](const fs::path&) -> std::optional<FolderContent> {
                                    ADD_FAILURE() << "offered a new folder";
                                    return std::nullopt;
                                }),
              start->program);
    // Started in the old folder again: the imported folder is offered, not a second import.
    for (bool yes : {true, false}) {
        prompter.questions.clear();
        prompter.answers = {yes};
        auto again = foldersToStartOn({oldFolder(), oldFolder() / "CARDATA"}, prompter, nullptr);
        ASSERT_EQ(prompter.questions.size(), 1u);
        EXPECT_EQ(prompter.questions[0].rfind(
                      "このフォルダの旧形式のデータは既に取り込んであります。", 0),
                  0u);
        EXPECT_NE(prompter.questions[0].find(pathText(start->program)), std::string::npos);
        EXPECT_EQ(again.has_value(), yes);
        EXPECT_EQ(again.value_or(StartFolders{}).program, yes ? start->program : fs::path());
    }
    EXPECT_FALSE(fs::exists(sample_.file("old_Mivora2")));
}

TEST_F(ImportParadoxTest, DesktopEndsWithoutWritingWhenThePersonSaysNo) {
    ScriptedPrompter prompter;
    prompter.answers = {false};

    EXPECT_FALSE(foldersToStartOn({oldFolder(), oldFolder() / "CARDATA"}, prompter, nullptr));

    EXPECT_EQ(prompter.questions.size(), 1u);
    EXPECT_FALSE(fs::exists(sample_.file("old_Mivora")));
}

TEST_F(ImportParadoxTest, DesktopStartsOnThisProgramsTablesWithoutAQuestion) {
    ScriptedPrompter prompter;
    fs::create_directory(sample_.file("old_Mivora")); // a name taken: the next one is used

    auto start = foldersToStartOn({sample_.folder(), sample_.tables()}, prompter, nullptr);

    ASSERT_TRUE(start);
    EXPECT_EQ(start->program, sample_.folder());
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(importFolderBeside(oldFolder()), sample_.file("old_Mivora2"));
}

} // namespace
} // namespace mivora::test
