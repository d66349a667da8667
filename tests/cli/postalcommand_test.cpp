// `mivora postal` in a program folder holding an excerpt of the national list.

#include "cli/commands.h"
#include "items/postalzip.h"
#include "store/datafolder.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

class PostalCommandTest : public ::testing::Test {
  protected:
    PostalCommandTest() : saved_(fs::current_path()) {
        createTables(dir_.path() / "CARDATA");
        writeList(readBytes(fs::path(MIVORA_TEST_DATA) / "ken_all_excerpt.csv"));
        fs::current_path(dir_.path());
    }
    ~PostalCommandTest() override { fs::current_path(saved_); }

    void writeList(const std::string& bytes) {
        std::ofstream(dir_.path() / "KEN_ALL.CSV", std::ios::binary) << bytes;
    }

    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "postal");
        out_.str("");
        err_.str("");
        return runCommand(args, out_, err_);
    }

    TempDir dir_;
    fs::path saved_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(PostalCommandTest, PrintsTheCodeAndTheCompletedAddress) {
    EXPECT_EQ(run({"札幌市中央区大通東３", "北海道札幌市中央区大通西１０丁目"}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "0600041 北海道札幌市中央区大通東３\n"
                          "0600042 北海道札幌市中央区大通西１０丁目\n");
    EXPECT_EQ(err_.str(), "");
}

TEST_F(PostalCommandTest, ModeOneKeepsToTheNamedPrefecture) {
    EXPECT_EQ(run({"--mode", "1", "神奈川県府中市朝日町１"}), 1);
    EXPECT_EQ(out_.str(), "------- 神奈川県府中市朝日町１\n");
    EXPECT_EQ(run({"--mode", "0", "神奈川県府中市朝日町１"}), 0);
    EXPECT_EQ(out_.str(), "1830003 神奈川県府中市朝日町１\n");
}

TEST_F(PostalCommandTest, AnswersBadAddressesWithAMessage) {
    EXPECT_EQ(run({"", "東京都😀", "宇宙市"}), 1);
    EXPECT_EQ(out_.str(), "------- \n------- 東京都😀\n------- 宇宙市\n");
    EXPECT_NE(err_.str().find("空の住所"), std::string::npos) << err_.str();
    EXPECT_NE(err_.str().find("シフトJIS で表せない文字"), std::string::npos) << err_.str();
}

TEST_F(PostalCommandTest, RefusesRequestsItCannotServe) {
    struct Refusal {
        std::vector<std::string> args;
        int code;
        const char* message;
    };
    const Refusal refusals[] = {
        {{}, 2, "使い方"},
        {{"--mode"}, 2, "--mode の後に整数"},
        {{"--mode", "x", "札幌市"}, 2, "--mode の後に整数"},
    };
    for (const Refusal& refusal : refusals) {
        EXPECT_EQ(run(refusal.args), refusal.code);
        EXPECT_NE(err_.str().find(refusal.message), std::string::npos) << err_.str();
        EXPECT_EQ(out_.str(), "");
    }
    fs::remove(dir_.path() / "KEN_ALL.CSV");
    EXPECT_EQ(run({"札幌市"}), 1);
    EXPECT_NE(err_.str().find("KEN_ALL.CSV がありません"), std::string::npos) << err_.str();
}

TEST_F(PostalCommandTest, InstallsAListFromItsZipFileAndLooksUpInIt) {
    // Last month's list did not know 北山町 yet.
    std::string older = countryList();
    const std::string kitayama = fromUtf8("北山町");
    const std::size_t line = older.rfind("\r\n", older.find(kitayama)) + 2;
    older.erase(line, older.find("\r\n", line) + 2 - line);
    writeList(older);
    writePublishedZip(dir_.path() / "ken_all.zip", countryList());

    EXPECT_EQ(run({"東京都府中市北山町１"}), 0);
    EXPECT_EQ(out_.str(), "1830000 東京都府中市北山町１\n"); // the city's catch-all code
    EXPECT_EQ(run({"--install", "ken_all.zip", "東京都府中市北山町１"}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "郵便番号簿 " + pathText(dir_.path() / "KEN_ALL.CSV") +
                              " を 81 行の新しいものにしました。前のものは KEN_ALL.CSV.bak "
                              "に残しました。\n1830041 東京都府中市北山町１\n");
    EXPECT_EQ(readBytes(dir_.path() / "KEN_ALL.CSV.bak"), older);
}

TEST_F(PostalCommandTest, AWrongZipFileLeavesTheListAndFails) {
    writeZip(dir_.path() / "photos.zip", {{"IMG_0001.JPG", "not a list"}});
    EXPECT_EQ(run({"--install", "photos.zip", "札幌市中央区大通東３"}), 1);
    EXPECT_EQ(err_.str(), "mivora postal: photos.zip に KEN_ALL.CSV が入っていません。今の "
                          "KEN_ALL.CSV はそのままです。\n");
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(readBytes(dir_.path() / "KEN_ALL.CSV"), excerptList());
    EXPECT_FALSE(fs::exists(dir_.path() / "KEN_ALL.CSV.bak"));

    EXPECT_EQ(run({"--install"}), 2);
    EXPECT_NE(err_.str().find("--install の後に"), std::string::npos) << err_.str();

    // Outside a program folder the list would lie where the program never reads it.
    const fs::path elsewhere = dir_.path() / "elsewhere";
    fs::create_directories(elsewhere);
    writePublishedZip(elsewhere / "ken_all.zip", countryList());
    fs::current_path(elsewhere);
    EXPECT_EQ(run({"--install", "ken_all.zip"}), 1);
    EXPECT_NE(err_.str().find("はプログラムフォルダではありません"), std::string::npos)
        << err_.str();
    EXPECT_FALSE(fs::exists(elsewhere / "KEN_ALL.CSV"));
}

TEST_F(PostalCommandTest, WarnsAboutAListInAnotherEncoding) {
    writeList(toUtf8(readBytes(fs::path(MIVORA_TEST_DATA) / "ken_all_excerpt.csv")) + "a,b\r\n");
    EXPECT_EQ(run({"札幌市中央区大通東３"}), 1);
    EXPECT_NE(err_.str().find("40 行がシフトJIS (CP932) の文字になっていません"), std::string::npos)
        << err_.str();
    EXPECT_NE(err_.str().find("1 行は項目が 9 個に足りないか"), std::string::npos) << err_.str();
}

} // namespace
} // namespace mivora::test
