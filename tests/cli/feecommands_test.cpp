// `mivora resolve` and `mivora print` on the sample fee layout: with the sibling
// program in the program folder the record is prepared first, its fees included.

#include "cli/commands.h"
#include "print/pdftools.h"
#include "store/datafolder.h"
#include "store/table.h"
#include "support/tempdir.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace mivora::test {
namespace {

class FeeCommandTest : public ::testing::Test {
  protected:
    FeeCommandTest() {
        EXPECT_EQ(inProgramFolder({"init", "."}), 0) << err_.str();
        std::ofstream(program() / "Tessaly.exe").put('\0');
    }

    std::filesystem::path program() const { return dir_.path(); }

    // The command as the program runs it: the program folder is the current one.
    int inProgramFolder(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        const auto before = std::filesystem::current_path();
        std::filesystem::current_path(program());
        const int code = runCommand(args, out_, err_);
        std::filesystem::current_path(before);
        return code;
    }

    bool printed(const std::string& line) const {
        std::istringstream in(out_.str());
        for (std::string each; std::getline(in, each);)
            if (each == line)
                return true;
        return false;
    }

    TempDir dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(FeeCommandTest, ResolvePreparesTheFeeLayoutForTheRecord) {
    // The first vehicle: a small private passenger car of 1240 kg.
    ASSERT_EQ(inProgramFolder({"resolve", "--layout", "2"}), 0) << err_.str();
    EXPECT_TRUE(printed("4\t使用者\t石川　美穂"));
    EXPECT_TRUE(printed("11\t    １７６５０\t    １７６５０"));
    EXPECT_TRUE(printed("23\t    ６２４５０\t    ６２４５０"));
    EXPECT_TRUE(printed("24\t有限会社みどり自動車\t有限会社みどり自動車"));
    // Nobody wants a temporary plate: its caption and amount print nothing.
    EXPECT_TRUE(printed("16\t\t"));

    // Another record is prepared anew: a commercial bus by its gross weight.
    ASSERT_EQ(inProgramFolder({"resolve", "--layout", "2", "--record", "5"}), 0) << err_.str();
    EXPECT_TRUE(printed("4\t使用者\t株式会社青葉交通"));
    EXPECT_TRUE(printed("13\t    ９１０００\t    ９１０００"));
}

TEST_F(FeeCommandTest, ARecordThatCannotBePricedIsReportedAndItsTextsShown) {
    Table vehicles(tablePath(program() / "CARDATA", vehicleTable()));
    vehicles.open();
    for (vehicles.first(); !vehicles.eof(); vehicles.next())
        vehicles.setText(sj("自動車の種別"), sj("普通自動車"));
    vehicles.post();
    EXPECT_EQ(inProgramFolder({"resolve", "--layout", "2"}), 1);
    EXPECT_EQ(err_.str(), "石川　美穂        様\n沖縄５００よ　７の\n"
                          "　自動車の種別　が認識できません！\n");
    EXPECT_TRUE(printed("4\t使用者\t石川　美穂"));
}

TEST_F(FeeCommandTest, PrintWithEveryRecordCancelledFailsAndWritesNoFile) {
    Table vehicles(tablePath(program() / "CARDATA", vehicleTable()));
    vehicles.open();
    for (vehicles.first(); !vehicles.eof(); vehicles.next()) {
        vehicles.setText(sj("自動車の種別"), sj("普通自動車"));
        vehicles.post();
    }
    const std::filesystem::path pdf = program() / "none.pdf";
    EXPECT_EQ(inProgramFolder({"print", "--pdf", pdf.string(), "--layout", "2", "--all"}), 1);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(out_.str(), "");
    EXPECT_NE(err_.str().find("印刷できるレコードがないため"), std::string::npos) << err_.str();
}

TEST_F(FeeCommandTest, PrintPutsTheFeesOnPaper) {
    if (!haveTool(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdftotext is not installed";
    const std::filesystem::path pdf = program() / "fees.pdf";
    ASSERT_EQ(inProgramFolder({"print", "--pdf", pdf.string(), "--layout", "2"}), 0) << err_.str();
    EXPECT_EQ(err_.str(), "");
    std::vector<QString> words;
    for (const PdfWord& word : pdfWords(pdf))
        words.push_back(word.text);
    for (const char* amount : {"１７６５０", "２４６００", "２２００", "１８０００", "６２４５０"})
        EXPECT_NE(std::find(words.begin(), words.end(), QString::fromUtf8(amount)), words.end())
            << amount;
}

} // namespace
} // namespace mivora::test
