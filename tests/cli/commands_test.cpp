// The headless commands as a shell runs them: help, what they report, and what
// they leave alone.

#include "certificate/certificatefile.h"
#include "sampleprogramfolder.h"
#include "text/errors.h"
#include "text/lines.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <fstream>
#include <functional>
#include <new>
#include <unistd.h>

namespace mivora::test {
namespace {

const char* const kCommandNames[] = {"init",   "backup", "restore",           "resolve",
                                     "postal", "print",  "import-certificate"};

class CommandsTest : public ::testing::Test {
  protected:
    // `mivora ARGS` in the program folder, in this process.
    int run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        const auto before = std::filesystem::current_path();
        std::filesystem::current_path(sample_.folder());
        const int code = runCommand(args, out_, err_);
        std::filesystem::current_path(before);
        return code;
    }

    static int lineCount(const std::filesystem::path& file) {
        const std::string bytes = readBytes(file);
        int lines = 0;
        for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
             at = bytes.find("\r\n", at + 2))
            ++lines;
        return lines;
    }

    SampleProgramFolder sample_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(CommandsTest, EveryCommandAnswersHelpAndDoesNothingElse) {
    for (const char* name : kCommandNames) {
        SCOPED_TRACE(name);
        EXPECT_EQ(run({name, "--help"}), 0);
        EXPECT_EQ(out_.str().rfind(std::string("使い方: mivora ") + name, 0), 0u) << out_.str();
        EXPECT_EQ(err_.str(), "");
    }
    EXPECT_EQ(run({"postal", "東京都", "--help"}), 0);
    EXPECT_FALSE(std::filesystem::exists(sample_.folder() / "--help"));
}

TEST_F(CommandsTest, BackupReportsTheLinesItWrote) {
    ASSERT_EQ(run({"backup", "all.CSV", "--row", "1"}), 0) << err_.str();
    EXPECT_EQ(lineCount(sample_.folder() / "all.CSV"), 20);
    EXPECT_EQ(out_.str().rfind("20 行をバックアップしました: ", 0), 0u) << out_.str();

    // An address book has one line per reading: two vehicles of 山田 make one.
    ASSERT_EQ(run({"backup", "book.CSV", "--row", "2"}), 0) << err_.str();
    const int lines = lineCount(sample_.folder() / "book.CSV");
    EXPECT_LT(lines, 20);
    EXPECT_EQ(out_.str().rfind(std::to_string(lines) + " 行をバックアップしました: ", 0), 0u)
        << out_.str();
}

// The sample's kei car and its certificate: one bad file stops the run unless the
// clerk says to skip it; read again, nothing changes.
TEST_F(CommandsTest, CertificatesAreReadWholeOrNotAtAll) {
    writeCertificate(sample_.folder() / "kei.json", certificateJson(keiCar()));
    writeCertificate(sample_.folder() / "bad.json", "{");
    EXPECT_EQ(run({"import-certificate", "kei.json", "bad.json", "--add-only"}), 1);
    EXPECT_NE(err_.str().find("既に一覧にあります"), std::string::npos) << err_.str();
    EXPECT_NE(err_.str().find("bad.json: JSON として読めません"), std::string::npos) << err_.str();
    EXPECT_NE(err_.str().find("何も書き込みませんでした"), std::string::npos) << err_.str();

    EXPECT_EQ(run({"import-certificate", "kei.json", "bad.json", "--skip-bad"}), 1);
    EXPECT_NE(out_.str().find("kei.json: 車台番号「MK53S-912345」の車両を更新しました (使用者、"),
              std::string::npos)
        << out_.str();
    EXPECT_NE(out_.str().find("\n  使用者: 「＊＊＊」は所有者と同じ"), std::string::npos);

    EXPECT_EQ(run({"import-certificate", "kei.json"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("変更はありません"), std::string::npos) << out_.str();
    ASSERT_EQ(run({"backup", "all.CSV", "--row", "1"}), 0) << err_.str();
    EXPECT_EQ(lineCount(sample_.folder() / "all.CSV"), 20);
}

// Without its width file a TXT backup is read by the widths of the row given.
TEST_F(CommandsTest, ATxtBackupWithoutItsWidthFileIsRestoredByTheRowGiven) {
    ASSERT_EQ(run({"backup", "all.TXT", "--row", "1"}), 0) << err_.str();
    std::filesystem::remove(sample_.folder() / "all.TIF");
    EXPECT_EQ(run({"restore", "all.TXT"}), 1);
    ASSERT_EQ(run({"restore", "all.TXT", "--row", "1"}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "20 件の車両をリストアしました。\n");
}

// Whatever a command throws ends as a message and a failing exit code, never as
// an exception that aborts the process.
TEST(CommandFailures, EveryExceptionEndsAsAMessage) {
    struct Case {
        const char* what;
        std::function<void()> fail;
        const char* told;
    };
    const Case cases[] = {
        {"the program's own", [] { throw FileError("ファイル x を読み込めません。"); },
         "ファイル x を読み込めません。"},
        {"the file system",
         [] {
             throw std::filesystem::filesystem_error(
                 "rename", "from", "to", std::make_error_code(std::errc::permission_denied));
         },
         "ファイル from と to を操作できません ("},
        {"memory", [] { throw std::bad_alloc(); }, "メモリが足りないため"},
        {"another standard one", [] { throw std::out_of_range("at"); },
         "予期しないエラーのため、処理を中止しました (at)"},
        {"anything", [] { throw 42; }, "予期しないエラーのため"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ostringstream err;
        EXPECT_EQ(runReportingFailures(
                      "copy-data", [&] { return c.fail(), 0; }, err),
                  1);
        EXPECT_EQ(err.str().rfind(std::string("mivora copy-data: ") + c.told, 0), 0u) << err.str();
    }
}

// A settings file that cannot be read (here a folder in its place) stops only the
// commands that use it.
TEST_F(CommandsTest, ASettingsFileACommandDoesNotUseCannotStopIt) {
    auto unreadable = [this](const char* name) {
        std::filesystem::remove(sample_.folder() / name);
        std::filesystem::create_directory(sample_.folder() / name);
    };
    unreadable("INIDIR.INI");
    unreadable("Mivora.INI");
    EXPECT_EQ(run({"print", "--pdf", "out.pdf"}), 0) << err_.str();
    unreadable("User.INI");
    unreadable("MsgFlg.INI");
    EXPECT_EQ(run({"backup", "all.CSV", "--row", "1"}), 0) << err_.str();
    EXPECT_EQ(run({"restore", "all.CSV"}), 0) << err_.str();
    // Printing uses the company texts of User.INI: it says what it cannot read.
    EXPECT_EQ(run({"print", "--pdf", "out.pdf"}), 1);
    EXPECT_NE(err_.str().find("MsgFlg.INI"), std::string::npos) << err_.str();
}

// The program itself, run in the program folder without a desktop session. As a
// clerk, a test run by root runs it as an ordinary user, for whom permissions count.
struct ProgramRun {
    int exitCode = -1;
    std::string err;
};

enum class As { ThisUser, Clerk };

ProgramRun runProgram(const std::filesystem::path& folder, const QStringList& args,
                      As who = As::Clerk) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(pathText(folder)));
    if (who == As::Clerk && geteuid() == 0)
        process.setChildProcessModifier([] {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(125);
        });
    process.start(QStringLiteral(MIVORA_EXECUTABLE), args);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitCode(), process.readAllStandardError().toStdString()};
}

// Root runs the program as a clerk only where others may reach it (not from a
// clone under a private home folder).
bool clerkCanRun() {
    namespace fs = std::filesystem;
    if (geteuid() != 0)
        return true;
    for (fs::path at = MIVORA_EXECUTABLE; at.has_relative_path(); at = at.parent_path())
        if ((fs::status(at).permissions() & fs::perms::others_exec) == fs::perms::none)
            return false;
    return true;
}

// Everyone may work in the folder, as the clerk's own folder lets them.
void openToEveryone(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    for (fs::path at = folder; at.has_relative_path() && at != fs::temp_directory_path();
         at = at.parent_path())
        fs::permissions(at, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(folder, fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        fs::permissions(entry.path(), fs::perms::all);
}

TEST_F(CommandsTest, CommandsPrintNoFrameworkNoticesWithoutADesktop) {
    const std::vector<QStringList> commands = {
        {QStringLiteral("init"), QStringLiteral("fresh")},
        {QStringLiteral("print"), QStringLiteral("--pdf"), QStringLiteral("out.pdf")},
        {QStringLiteral("resolve")},
    };
    for (const QStringList& args : commands) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = runProgram(sample_.folder(), args, As::ThisUser);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
    }
}

// Tables on read-only storage (a CD, a write-protected share) are read as they
// stand, with nothing written beside them.
TEST_F(CommandsTest, AReadOnlyDataFolderCanStillBeBackedUpAndPrintedFrom) {
    if (!clerkCanRun())
        GTEST_SKIP() << "the program cannot be run as another user from here";
    namespace fs = std::filesystem;
    openToEveryone(sample_.folder());
    const fs::path tables = sample_.folder() / "CARDATA";
    for (const auto& entry : fs::directory_iterator(tables))
        fs::permissions(entry.path(),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(tables, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    ProgramRun run =
        runProgram(sample_.folder(), {QStringLiteral("backup"), QStringLiteral("all.CSV"),
                                      QStringLiteral("--row"), QStringLiteral("1")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(lineCount(sample_.folder() / "all.CSV"), 20);
    run = runProgram(sample_.folder(),
                     {QStringLiteral("print"), QStringLiteral("--pdf"), QStringLiteral("out.pdf")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(sample_.folder() / "out.pdf"));
    EXPECT_EQ(std::distance(fs::directory_iterator(tables), fs::directory_iterator()), 6);
    fs::permissions(tables, fs::perms::all);
}

// A shared-memory file left behind by another user is no reason to refuse the
// tables: the restore writes them all the same.
TEST_F(CommandsTest, ALeftoverSharedMemoryFileDoesNotStopLaterOpens) {
    if (!clerkCanRun())
        GTEST_SKIP() << "the program cannot be run as another user from here";
    namespace fs = std::filesystem;
    ASSERT_EQ(run({"backup", "all.CSV", "--row", "1"}), 0) << err_.str();
    openToEveryone(sample_.folder());
    const fs::path shm = sample_.folder() / "CARDATA" / "INDATA.db-shm";
    std::ofstream(shm).put('\0');
    fs::permissions(shm, fs::perms::owner_read | fs::perms::others_read);
    const ProgramRun restored =
        runProgram(sample_.folder(), {QStringLiteral("restore"), QStringLiteral("all.CSV")});
    EXPECT_EQ(restored.exitCode, 0) << restored.err;
    const ProgramRun again =
        runProgram(sample_.folder(), {QStringLiteral("backup"), QStringLiteral("again.CSV"),
                                      QStringLiteral("--row"), QStringLiteral("1")});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(readBytes(sample_.folder() / "again.CSV"), readBytes(sample_.folder() / "all.CSV"));
}

} // namespace
} // namespace mivora::test
