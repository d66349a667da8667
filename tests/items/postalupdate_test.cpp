// Installing the postal list from zip files made from the excerpt of the real list.

#include "items/postal.h"
#include "items/postalupdate.h"
#include "postalzip.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const std::string& list) {
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < list.size();) {
        const std::size_t end = list.find("\r\n", pos);
        lines.push_back(list.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string list;
    for (const std::string& line : lines)
        list += line + "\r\n";
    return list;
}

// The country's list without the lines that contain any of the texts (UTF-8).
std::string countryWithout(const std::vector<std::string>& texts) {
    std::vector<std::string> kept;
    for (const std::string& line : linesOf(countryList())) {
        bool drop = false;
        for (const std::string& text : texts)
            drop = drop || line.find(fromUtf8(text)) != std::string::npos;
        if (!drop)
            kept.push_back(line);
    }
    return joined(kept);
}

std::string countryWithLine(std::size_t index, const std::string& line) {
    std::vector<std::string> lines = linesOf(countryList());
    lines[index] = line;
    return joined(lines);
}

class PostalUpdateTest : public ::testing::Test {
  protected:
    fs::path program() const { return dir_.path(); }
    fs::path zip(const std::string& name) const { return dir_.path() / name; }

    void writeList(const std::string& bytes) const {
        std::ofstream(program() / "KEN_ALL.CSV", std::ios::binary) << bytes;
    }

    // Every file of the program folder with its bytes.
    std::map<std::string, std::string> folder() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(program()))
            if (entry.path().extension() != ".zip")
                files[entry.path().filename().string()] = readBytes(entry.path());
        return files;
    }

    TempDir dir_;
};

TEST_F(PostalUpdateTest, ReplacesTheListAndKeepsThePreviousOne) {
    const std::string older = countryWithout({"北山町"});
    writeList(older);
    writePublishedZip(zip("ken_all.zip"), countryList());

    const InstalledPostalList installed = installPostalList(zip("ken_all.zip"), program());
    EXPECT_EQ(installed.lines, 81u);
    EXPECT_TRUE(installed.keptPrevious);
    EXPECT_EQ(folder(), (std::map<std::string, std::string>{{"KEN_ALL.CSV", countryList()},
                                                            {"KEN_ALL.CSV.bak", older}}));

    // The lookup sees the new list at once; the next month's list moves this one to .bak.
    std::array<std::string, 49> values;
    values[4] = fromUtf8("東京都府中市北山町１");
    std::string code;
    PostRead(code, 0, values, program());
    EXPECT_EQ(code, "1830041");

    const std::string newer = countryWithout({"押立町"});
    writePublishedZip(zip("next.zip"), newer);
    installPostalList(zip("next.zip"), program());
    EXPECT_EQ(folder(), (std::map<std::string, std::string>{{"KEN_ALL.CSV", newer},
                                                            {"KEN_ALL.CSV.bak", countryList()}}));
}

TEST_F(PostalUpdateTest, FirstListLeavesNoBackupAndMayLieInAFolderOfTheZip) {
    writeZip(zip("ken_all.zip"), {{"readme.txt", "list"}, {"data/ken_all.csv", countryList()}});
    const InstalledPostalList installed = installPostalList(zip("ken_all.zip"), program());
    EXPECT_FALSE(installed.keptPrevious);
    EXPECT_EQ(folder(), (std::map<std::string, std::string>{{"KEN_ALL.CSV", countryList()}}));
}

// The list the lookup reads is weighed against whatever the case of its name, and
// replaced under that name.
TEST_F(PostalUpdateTest, TheCurrentListIsFoundWhateverTheCaseOfItsName) {
    std::ofstream(program() / "ken_all.csv", std::ios::binary) << countryList();
    writePublishedZip(zip("short.zip"), countryWithout({"千歳市", "登別市"}));
    EXPECT_THROW(installPostalList(zip("short.zip"), program()), FileError);
    EXPECT_EQ(folder(), (std::map<std::string, std::string>{{"ken_all.csv", countryList()}}));

    const std::string next = countryWithout({"押立町"});
    writePublishedZip(zip("next.zip"), next);
    const InstalledPostalList installed = installPostalList(zip("next.zip"), program());
    EXPECT_EQ(folder(), (std::map<std::string, std::string>{{"ken_all.csv", next},
                                                            {"KEN_ALL.CSV.bak", countryList()}}));
    EXPECT_EQ(installedMessage(installed),
              "郵便番号簿 " + pathText(program() / "ken_all.csv") +
                  " を 80 行の新しいものにしました。前のものは KEN_ALL.CSV.bak に残しました。");
}

// The disk fills up while the new list is written (its half-made file leads to
// /dev/full): the clerk reads that the disk is full and of which folder, and the
// folder keeps its list.
TEST_F(PostalUpdateTest, AFullDiskIsNamedWithItsFolderAndChangesNothing) {
    writeList(countryWithout({"北山町"}));
    const auto before = folder();
    writePublishedZip(zip("ken_all.zip"), countryList());
    fs::create_symlink("/dev/full", program() / "KEN_ALL.CSV.new");
    try {
        installPostalList(zip("ken_all.zip"), program());
        ADD_FAILURE() << "installed";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "ディスクがいっぱいのため、フォルダ " + pathText(program()) +
                      " にファイル KEN_ALL.CSV を書き込めません (ディスクに空きがありません)。"
                      "今の KEN_ALL.CSV はそのままです。");
    }
    EXPECT_EQ(folder(), before);
}

TEST_F(PostalUpdateTest, DamagedOrWrongZipChangesNothingAndSaysWhy) {
    const std::string utf8 = toUtf8(excerptList());
    std::string stored;
    {
        writeZip(zip("stored.zip"), {{"KEN_ALL.CSV", countryList(), true}});
        stored = readBytes(zip("stored.zip"));
    }
    const std::size_t insideData = stored.find(fromUtf8("千歳市"));
    std::string flipped = stored;
    flipped[insideData] ^= 0x20;

    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"the list itself, not zipped",
         [&](const fs::path& file) { std::ofstream(file, std::ios::binary) << excerptList(); },
         "zip ファイルとして開けません"},
        {"a download cut short",
         [&](const fs::path& file) {
             std::ofstream(file, std::ios::binary) << stored.substr(0, stored.size() / 2);
         },
         "zip ファイルとして開けません"},
        {"a byte changed inside the list",
         [&](const fs::path& file) { std::ofstream(file, std::ios::binary) << flipped; },
         "壊れています"},
        {"another zip",
         [](const fs::path& file) {
             writeZip(file, {{"KEN_ALL.txt", excerptList()}});
         },
         "KEN_ALL.CSV が入っていません"},
        {"a zip bomb: far more than a list when unpacked",
         [](const fs::path& file) { writePublishedZip(file, std::string(65 << 20, ',')); },
         "郵便番号簿としては大きすぎます"},
        {"an empty list", [](const fs::path& file) { writePublishedZip(file, ""); },
         "中身が空です"},
        {"a vehicle backup under the list's name",
         [](const fs::path& file) { writePublishedZip(file, "\"1\",\"2\",\"3\"\r\n"); },
         "1 行目の項目が 15 個ではなく 3 個です"},
        {"a line with a six-digit code",
         [](const fs::path& file) {
             std::string line = linesOf(excerptList())[5];
             line.replace(line.find("\"0660000\""), 9, "\"066000\"");
             writePublishedZip(file, countryWithLine(5, line));
         },
         "6 行目の郵便番号が 7 桁の数字ではありません"},
        {"the list in UTF-8", [&](const fs::path& file) { writePublishedZip(file, utf8); },
         "シフトJIS (CP932) の文字になっていません"},
        {"a list without its last town",
         [](const fs::path& file) { writePublishedZip(file, countryWithout({"与那国"})); },
         "「沖縄県八重山郡与那国町与那国」の郵便番号が 9071801 になりません"},
        {"a list without one prefecture: 3 % of the whole, where others would be found",
         [](const fs::path& file) { writePublishedZip(file, countryWithout({"大阪府"})); },
         "大阪府の行がありません"},
        {"a prefecture much shorter than in the list it replaces",
         [](const fs::path& file) {
             writePublishedZip(file, countryWithout({"千歳市", "登別市"}));
         },
         "北海道の行が 5 行しかなく、今の KEN_ALL.CSV の 16 行より 5 % を超えて少なくなります"},
        {"a list without Tokyo's Chuo ward",
         [](const fs::path& file) {
             writePublishedZip(file, countryWithout({"\"東京都\",\"中央区\""}));
         },
         "「東京都中央区」の郵便番号が 1030000 になりません"},
        {"a list that lost a few lines in many places",
         [](const fs::path& file) {
             writePublishedZip(file, countryWithout({"\"東京都\",\"府中市\"", "千歳市"}));
         },
         "69 行しかなく、今の KEN_ALL.CSV の 81 行より 1 割以上少なくなります"},
    };
    writeList(countryList());
    std::ofstream(program() / "KEN_ALL.CSV.bak", std::ios::binary) << "previous month";
    const auto before = folder();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = zip("wrong.zip");
        c.make(file);
        try {
            installPostalList(file, program());
            ADD_FAILURE() << "installed";
        } catch (const FileError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
            EXPECT_EQ(message.rfind(pathText(file), 0), 0u) << message;
            EXPECT_NE(message.find("今の KEN_ALL.CSV はそのままです。"), std::string::npos);
        }
        EXPECT_EQ(folder(), before);
    }
}

} // namespace
} // namespace mivora::test
