// `mivora resolve` on a sample data folder: the shape of its output and its refusals.

#include "cli/commands.h"
#include "store/datafolder.h"
#include "store/table.h"
#include "support/tempdir.h"
#include "text/lines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace mivora::test {
namespace {

class ResolveCommandTest : public ::testing::Test {
  protected:
    ResolveCommandTest() {
        createTables(dir_.path());
        fillSampleData(dir_.path());
    }

    int run(std::vector<std::string> args) {
        args.insert(args.begin(), {"resolve", "--cardata", pathText(dir_.path())});
        out_.str("");
        err_.str("");
        return runCommand(args, out_, err_);
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(out_.str());
        for (std::string line; std::getline(in, line);)
            result.push_back(line);
        return result;
    }

    TempDir dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(ResolveCommandTest, PrintsEverySlotOfTheLayout) {
    ASSERT_EQ(run({"--layout", "1", "--record", "2"}), 0) << err_.str();
    const std::vector<std::string> printed = lines();
    ASSERT_EQ(printed.size(), 60u);
    EXPECT_TRUE(printed[0].starts_with("1\t自動車登録番号\t")) << printed[0];
    EXPECT_EQ(printed[26], "27\t?受付番号\t１２３");
    EXPECT_EQ(printed[59], "60\t\t");
}

TEST_F(ResolveCommandTest, ResolvesGivenItemTextsInSlotOne) {
    ASSERT_EQ(run({"--text", "@見本", "--text", "?受付番号", "--text", "車台番号特別"}), 0);
    EXPECT_EQ(lines(), (std::vector<std::string>{"@見本\t見本", "?受付番号\t",
                                                 "車台番号特別\t車台番号特別"}));
}

TEST_F(ResolveCommandTest, ResolvesAgainstAnEmptyRecordWithoutVehicles) {
    Table vehicles(tablePath(dir_.path(), vehicleTable()));
    vehicles.open();
    vehicles.removeAll();
    vehicles.close();
    ASSERT_EQ(run({"--text", "使用者", "--text", "@見本"}), 0) << err_.str();
    EXPECT_EQ(lines(), (std::vector<std::string>{"使用者\t", "@見本\t見本"}));
    EXPECT_NE(run({"--record", "1"}), 0);
}

TEST_F(ResolveCommandTest, RefusesBadArguments) {
    const std::vector<std::vector<std::string>> bad = {
        {"--layout", "3"}, {"--record", "0"}, {"--record", "x"},
        {"--text"},        {"word"},          {"--slot", "1"},
    };
    for (const auto& args : bad) {
        EXPECT_NE(run(args), 0) << args[0];
        EXPECT_FALSE(err_.str().empty()) << args[0];
        EXPECT_TRUE(out_.str().empty()) << args[0];
    }
}

} // namespace
} // namespace mivora::test
