#include "session/settings.h"

#include "support/tempdir.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

TEST(StartupRequest, ReadsTheFiveLines) {
    StartupRequest request =
        parseStartupRequest({sj("車台番号順"), sj("使用者 = '山田'"), "12", "3", sj("印刷")});
    EXPECT_EQ(request.indexName, sj("車台番号順"));
    EXPECT_TRUE(request.filtered);
    EXPECT_EQ(request.filter, sj("使用者 = '山田'"));
    EXPECT_EQ(request.recordNumber, 12);
    EXPECT_EQ(request.layout, 3);
    EXPECT_EQ(request.mode, StartupRequest::Print);
}

TEST(StartupRequest, EmptyFilterAndOddNumbers) {
    struct Case {
        std::vector<std::string> lines;
        int layout;
        int mode;
    };
    const Case cases[] = {
        {{"", "", "1", "0", sj("設定")}, 1, StartupRequest::Settings},
        {{"", "", "1", "abc", sj("印刷")}, 1, StartupRequest::Print},
        {{"", "", "1", " 2x", "print"}, 2, StartupRequest::Designer},
        {{}, 1, StartupRequest::Designer},
    };
    for (const Case& c : cases) {
        StartupRequest request = parseStartupRequest(c.lines);
        EXPECT_FALSE(request.filtered);
        EXPECT_EQ(request.filter, "");
        EXPECT_EQ(request.layout, c.layout);
        EXPECT_EQ(request.mode, c.mode);
    }
}

// As the program writes the names, and as a folder brought from Windows may
// spell them.
TEST(SettingsFiles, ReadsEachFileIntoWhateverTheCaseOfItsName) {
    struct Spelling {
        const char* msgFlg;
        const char* user;
        const char* iniDir;
        const char* sibling;
        const char* request;
    };
    const Spelling spellings[] = {
        {"MsgFlg.INI", "User.INI", "INIDIR.INI", "Tessaly.exe", "Mivora.INI"},
        {"msgflg.ini", "USER.INI", "IniDir.ini", "TESSALY.EXE", "mivora.ini"},
    };
    for (const Spelling& names : spellings) {
        SCOPED_TRACE(names.user);
        test::TempDir dir;
        writeLines(dir.path() / names.msgFlg, {"1"});
        writeLines(dir.path() / names.user, {sj("住所"), sj("社名")});
        writeLines(dir.path() / names.iniDir, {"/data/backup"});
        writeLines(dir.path() / names.sibling, {});
        writeLines(dir.path() / names.request, {"", "", "1", "1", sj("印刷")});
        ProgramSettings settings;
        settings.programDir = dir.path();
        readSettingsFiles(settings);
        EXPECT_EQ(settings.messageFlag, 1);
        EXPECT_TRUE(settings.siblingPresent);
        EXPECT_EQ(settings.companyTexts[1], sj("社名"));
        EXPECT_EQ(settings.companyTexts[2], "");
        EXPECT_EQ(settings.dataFolder, "/data/backup");
        EXPECT_EQ(settings.request.mode, StartupRequest::Print);
        EXPECT_EQ(requestFile(dir.path()), dir.path() / names.request); // deleted once served
    }
}

TEST(SettingsFiles, WithoutARequestFileThereIsNoRequest) {
    test::TempDir dir;
    ProgramSettings settings;
    settings.programDir = dir.path();
    readSettingsFiles(settings);
    EXPECT_EQ(settings.request.mode, StartupRequest::None);
    EXPECT_FALSE(settings.siblingPresent);
}

TEST(SettingsFiles, UnreadableFileStopsTheLaterSteps) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "User.INI"); // exists, cannot be read
    writeLines(dir.path() / "INIDIR.INI", {"/data/backup"});
    writeLines(dir.path() / "MsgFlg.INI", {"2"});
    ProgramSettings settings;
    settings.programDir = dir.path();
    EXPECT_THROW(readSettingsFiles(settings), FileError);
    EXPECT_EQ(settings.messageFlag, 2);
    EXPECT_EQ(settings.dataFolder, "");
}

} // namespace
} // namespace mivora
