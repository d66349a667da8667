// A restore of the wrong file, undone with `mivora recover`.

#include "sampleprogramfolder.h"
#include "store/sqliteshell.h"

#include <fstream>

namespace mivora::test {
namespace {

class RecoverCommandTest : public ::testing::Test {
  protected:
    int run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(folder_.folder());
        const int code = runCommand(args, out_, err_);
        std::filesystem::current_path(before);
        return code;
    }

    // Every record with its row id, each value as an SQL literal: equal texts
    // mean equal bytes.
    std::string storedRecords() {
        ShellResult result =
            runSqliteShell(folder_.tables() / "INDATA.db",
                           ".mode quote\nSELECT rowid, * FROM records ORDER BY rowid;\n");
        EXPECT_EQ(result.status, 0) << result.output;
        return result.output;
    }

    std::vector<std::string> listedNames() {
        EXPECT_EQ(run({"recover", "--list"}), 0) << err_.str();
        std::vector<std::string> names;
        std::istringstream lines(out_.str());
        for (std::string line; std::getline(lines, line);)
            names.push_back(line.substr(0, line.find(' ')));
        return names;
    }

    SampleProgramFolder folder_;
    std::ostringstream out_, err_;
};

TEST_F(RecoverCommandTest, RecoverGivesBackEveryRecordAfterTheWrongFileWasRestored) {
    const std::string original = storedRecords();
    ASSERT_NE(original.find("\n"), std::string::npos);
    ASSERT_EQ(run({"recover", "--list"}), 0);
    EXPECT_EQ(out_.str(), "安全のためのコピーはありません。\n");

    const auto wrong = folder_.file("wrong.CSV");
    std::ofstream(wrong, std::ios::binary) << "name,price\r\napple,120\r\n";
    ASSERT_EQ(run({"restore", pathText(wrong)}), 0) << err_.str();
    EXPECT_EQ(storedRecords(), "");

    std::vector<std::string> names = listedNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(out_.str().find(" 件"), std::string::npos) << out_.str();

    ASSERT_EQ(run({"recover", names[0]}), 0) << err_.str();
    EXPECT_EQ(storedRecords(), original);
    // The emptied state was kept too, in case the recovery was the mistake.
    std::vector<std::string> after = listedNames();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_NE(out_.str().find("  0 件"), std::string::npos) << out_.str();
}

TEST_F(RecoverCommandTest, RestoreStopsWhenTheSafetyCopyCannotBeWritten) {
    const std::string original = storedRecords();
    std::ofstream(folder_.tables() / "safety") << "not a folder";
    const auto wrong = folder_.file("wrong.CSV");
    std::ofstream(wrong, std::ios::binary) << "name,price\r\n";
    EXPECT_EQ(run({"restore", pathText(wrong)}), 1);
    EXPECT_NE(err_.str().find("safety"), std::string::npos) << err_.str();
    EXPECT_EQ(storedRecords(), original);
}

// A copy of another table under a safety copy's name changes nothing; a vehicle
// table that holds another table's fields is still listed and recovered.
TEST_F(RecoverCommandTest, ACopyOfAnotherTableIsRefusedAndRecoverWorksWhateverTheTableHolds) {
    namespace fs = std::filesystem;
    const std::string original = storedRecords();
    fs::create_directories(folder_.tables() / "safety");
    fs::copy_file(folder_.tables() / "PrtData.DB",
                  folder_.tables() / "safety" / "INDATA-20000101-000000.db");
    EXPECT_EQ(run({"recover", "INDATA-20000101-000000"}), 1);
    EXPECT_NE(err_.str().find("コピーではありません"), std::string::npos) << err_.str();
    EXPECT_EQ(storedRecords(), original);

    const auto wrong = folder_.file("wrong.CSV");
    std::ofstream(wrong, std::ios::binary) << "name,price\r\n";
    ASSERT_EQ(run({"restore", pathText(wrong)}), 0) << err_.str();
    fs::copy_file(folder_.tables() / "PrtData.DB", folder_.tables() / "INDATA.db",
                  fs::copy_options::overwrite_existing);
    std::vector<std::string> names = listedNames();
    ASSERT_EQ(names.size(), 2u);
    ASSERT_EQ(run({"recover", names[0]}), 0) << err_.str();
    EXPECT_EQ(storedRecords(), original);
}

} // namespace
} // namespace mivora::test
