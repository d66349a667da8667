#include "text/filenames.h"

#include "support/tempdir.h"
#include "text/errors.h"
#include "text/lines.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace mivora {
namespace {

namespace fs = std::filesystem;

// A fresh folder holding empty files of the given names.
class Folder : public mivora::test::TempDir {
  public:
    explicit Folder(std::initializer_list<const char*> names) {
        for (const char* name : names)
            std::ofstream(pathOf(path(), name)).put('x');
    }
};

TEST(FindFile, FindsANameWhateverTheCaseOfItsLettersAndPrefersTheExactOne) {
    struct Case {
        std::initializer_list<const char*> present;
        const char* asked;
        const char* found;
    };
    const Case cases[] = {
        {{"FORM.JPG"}, "FORM.jpg", "FORM.JPG"},
        {{"x.csv"}, "x.CSV", "x.csv"},
        {{"tooledit.ini"}, "ToolEdit.INI", "tooledit.ini"},
        {{"白地.JPG"}, "白地.jpg", "白地.JPG"},
        {{"x.csv", "x.CSV"}, "x.CSV", "x.CSV"},             // the exact name wins
        {{"x.Csv", "x.csv"}, "x.CSV", "x.Csv"},             // else the first in order
        {{"ＦＯＲＭ.jpg"}, "ｆｏｒｍ.jpg", "ｆｏｒｍ.jpg"}, // only ASCII letters have a case
        {{}, "KEN_ALL.CSV", "KEN_ALL.CSV"},                 // the name to create
        {{"x.csv"}, "y.CSV", "y.CSV"},
    };
    for (const Case& c : cases) {
        Folder folder(c.present);
        SCOPED_TRACE(c.asked);
        // Windows opens a file by any case of its name: the name found is as good.
        const fs::path found = findFile(folder.path(), c.asked);
        const fs::path expected = pathOf(folder.path(), c.found);
        EXPECT_TRUE(found == expected ||
                    (fs::exists(found) && fs::exists(expected) && fs::equivalent(found, expected)))
            << pathText(found);
    }
}

TEST(FindFile, AFolderThatDoesNotExistGivesTheNameToCreate) {
    const fs::path missing = "/tmp/mivora-no-such-folder/inner";
    EXPECT_EQ(findFile(missing, "a.TXT"), missing / "a.TXT");
}

TEST(FileFailure, SaysInJapaneseWhatFailedAndWhy) {
    Folder folder({});
    const fs::path missing = folder.path() / "MsgFlg.INI";
    try {
        readBytes(missing);
        ADD_FAILURE() << "read";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "ファイル " + pathText(missing) +
                      " が見つかりません (ファイルまたはフォルダがありません)。");
    }
    try {
        writeLines(folder.path() / "no-folder" / "x.INI", {"1"});
        ADD_FAILURE() << "written";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("のフォルダが見つかりません ("), std::string::npos)
            << error.what();
    }
    try {
        readLines(folder.path());
        ADD_FAILURE() << "read";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(" はフォルダです。"), std::string::npos)
            << error.what();
    }
    // Failures that no folder of a test brings about.
    const fs::path list = "/prog/KEN_ALL.CSV";
    const std::string file = "ファイル " + pathText(list);
    // The common reasons are Japanese; a rare one keeps the system's own text.
    const struct {
        int errorNumber;
        std::string sentence;
        std::string reason;
    } failures[] = {
        {ENOSPC,
         "ディスクがいっぱいのため、フォルダ " + pathText(list.parent_path()) +
             " にファイル KEN_ALL.CSV を書き込めません",
         "ディスクに空きがありません"},
        {EIO, file + " に書き込めません。ディスクか接続先の装置が読み書きに失敗しました",
         "ディスクの読み書きに失敗しました"},
        {EROFS, file + " に書き込めません。アクセスする権限がありません",
         "読み取り専用のディスクです"},
        {EBUSY, file + " に書き込めません", "他のプログラムが使用中です"},
        {ENAMETOOLONG, file + " に書き込めません", "名前が長すぎます"},
        {EFBIG, file + " はこれ以上大きくできないため、書き込めません", std::strerror(EFBIG)},
    };
    for (const auto& failure : failures)
        EXPECT_EQ(std::string(fileFailure(list, FileAction::Write, failure.errorNumber).what()),
                  failure.sentence + " (" + failure.reason + ")。");
    EXPECT_EQ(systemReason(std::make_error_code(std::errc::permission_denied)),
              "アクセスが拒否されました");
}

} // namespace
} // namespace mivora
