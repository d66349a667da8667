// An office with its records on a server: the commands that set it up, and two
// program folders (two PCs) working on the same records.

#include "certificate/certificatefile.h"
#include "sampleprogramfolder.h"
#include "support/privatepostgres.h"

#include <fstream>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

class ServerCommandsTest : public ::testing::Test {
  protected:
    // `mivora ARGS` in the folder, in this process.
    int run(const fs::path& folder, const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        const auto before = fs::current_path();
        fs::current_path(folder);
        const int code = runCommand(args, out_, err_);
        fs::current_path(before);
        return code;
    }

    TempDir dir_;
    std::ostringstream out_, err_;
};

TEST_F(ServerCommandsTest, ACertificateUpdatesItsVehicleOnTheServerOnce) {
    const fs::path pc = dir_.path() / "pc";
    ASSERT_EQ(run(dir_.path(), {"init", "--server", freshServerSchema(), pc.string()}), 0)
        << err_.str();
    writeCertificate(pc / "car.json", certificateJson(registeredCar()));
    ASSERT_EQ(run(pc, {"import-certificate", "car.json"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("の車両を更新しました"), std::string::npos) << out_.str();
    ASSERT_EQ(run(pc, {"import-certificate", "car.json"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("変更はありません"), std::string::npos) << out_.str();
}

TEST_F(ServerCommandsTest, TwoFoldersOnOneServerShareTheirRecords) {
    const std::string server = freshServerSchema();
    const fs::path first = dir_.path() / "pc1", second = dir_.path() / "pc2";
    ASSERT_EQ(run(dir_.path(), {"init", "--server", server, first.string()}), 0) << err_.str();
    EXPECT_EQ(readBytes(first / "CARDATA" / "CARDATA.conn"), server + "\r\n");
    EXPECT_FALSE(fs::exists(first / "CARDATA" / "INDATA.db")); // the tables are on the server

    // The second PC joins: its own folder and settings, the same server. Its
    // pointer saved by Notepad (a byte order mark, CR LF) reads the same.
    ASSERT_EQ(run(dir_.path(), {"init", "--join", server, second.string()}), 0) << err_.str();
    EXPECT_TRUE(fs::exists(second / "User.INI"));
    std::ofstream(second / "CARDATA" / "CARDATA.conn") << "\xEF\xBB\xBF" << server << " \r\n";
    ASSERT_EQ(run(first, {"backup", "all.CSV", "--row", "1"}), 0) << err_.str();

    // A restore on the second PC is what the first then backs up.
    const std::string all = readBytes(first / "all.CSV");
    std::ofstream(second / "few.CSV", std::ios::binary) << all.substr(0, all.find("\r\n") + 2);
    ASSERT_EQ(run(second, {"restore", "few.CSV"}), 0) << err_.str();
    ASSERT_EQ(run(first, {"backup", "after.CSV", "--row", "1"}), 0) << err_.str();
    EXPECT_EQ(readBytes(first / "after.CSV"), readBytes(second / "few.CSV"));

    // A password is never written into the folder.
    EXPECT_EQ(run(dir_.path(), {"init", "--server", server + " password=secret",
                                (dir_.path() / "pc4").string()}),
              1);
    EXPECT_NE(err_.str().find("~/.pgpass"), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(dir_.path() / "pc4")); // a refused folder is not left behind
    // Nor is a password shown back when the string cannot be read.
    EXPECT_EQ(run(dir_.path(), {"init", "--server", server + " password secret",
                                (dir_.path() / "pc4").string()}),
              1);
    EXPECT_EQ(err_.str().find("secret"), std::string::npos) << err_.str();
    // Joining a server without the tables, or with an empty pointer, says so.
    EXPECT_EQ(
        run(dir_.path(), {"init", "--join", freshServerSchema(), (dir_.path() / "pc5").string()}),
        1);
    EXPECT_NE(err_.str().find("INDATA"), std::string::npos) << err_.str();
    std::ofstream(second / "CARDATA" / "CARDATA.conn") << "\r\n";
    EXPECT_EQ(run(second, {"backup", "x.CSV", "--row", "1"}), 1);
    EXPECT_NE(err_.str().find("1 行目が空です"), std::string::npos) << err_.str();

    // The server's tables are made once.
    EXPECT_EQ(run(dir_.path(), {"init", "--server", server, (dir_.path() / "pc3").string()}), 1);
    EXPECT_NE(err_.str().find("既にあります"), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(dir_.path() / "pc3" / "CARDATA" / "CARDATA.conn"));
}

TEST_F(ServerCommandsTest, CopyDataMovesAFolderOntoAServerAndReportsTheCounts) {
    SampleProgramFolder sample;
    const fs::path target = dir_.path() / "server";
    useServerFor(target);
    ASSERT_EQ(run(dir_.path(), {"copy-data", sample.tables().string(), target.string()}), 0)
        << err_.str();
    EXPECT_EQ(out_.str().rfind("INDATA: 20 件\n", 0), 0u) << out_.str();

    EXPECT_EQ(run(dir_.path(), {"copy-data", sample.tables().string(), target.string()}), 1);
    EXPECT_NE(err_.str().find("既にあります"), std::string::npos) << err_.str();
}

} // namespace
} // namespace mivora::test
