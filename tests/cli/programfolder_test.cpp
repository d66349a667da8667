// Where the desktop program starts: the folder named, the current one, the one
// remembered, or a new one offered on the first start and answered in its box.

#include "cli/programfolder.h"
#include "print/formimage.h"
#include "store/datafolder.h"
#include "support/tempdir.h"
#include "text/errors.h"
#include "text/lines.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

class ProgramFolderTest : public ::testing::Test {
  protected:
    ProgramFolderTest() {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mivora")).clear();
        fs::create_directories(home());
        options_.current = home();
        // The documents folder of a Japanese desktop.
        options_.proposed = pathOf(home(), "ドキュメント") / "Mivora";
    }

    fs::path home() const { return dir_.path() / "home"; }

    // The folder found; offers are counted and declined.
    std::optional<fs::path> find() {
        return findProgramFolder(options_, [this](const fs::path&) {
            ++offers_;
            return std::optional<FolderContent>();
        });
    }

    // The folder found when the person clicks the button of that text in the offer.
    std::optional<fs::path> findClicking(const QString& button) {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            offerText_ = box->text();
            for (QAbstractButton* candidate : box->buttons())
                if (candidate->text() == button)
                    candidate->click();
        });
        return findProgramFolder(
            options_, [](const fs::path& proposed) { return offerProgramFolder(proposed); });
    }

    TempDir dir_;
    StartFolderOptions options_;
    int offers_ = 0;
    QString offerText_;
};

TEST_F(ProgramFolderTest, AProgramFolderAtHandIsTakenWithoutAsking) {
    const fs::path tables = dir_.path() / "tables";
    const fs::path shared = dir_.path() / "shared";
    fs::create_directories(shared / "CARDATA");
    std::ofstream(shared / "CARDATA" / "cardata.CONN") << "host=server\n";
    const fs::path named = dir_.path() / "named";
    fs::create_directories(named);
    createTables(tables / "CARDATA");
    const fs::path upper = dir_.path() / "upper";
    createTables(upper / "CARDATA");
    fs::rename(upper / "CARDATA" / "INDATA.db", upper / "CARDATA" / "INDATA.DB");

    struct Case {
        const char* what;
        fs::path current;
        fs::path folder;
        bool elsewhere;
        fs::path expected;
    };
    const Case cases[] = {
        {"started in a folder with tables", tables, {}, false, tables},
        {"tables named as Windows lets them be", upper, {}, false, upper},
        {"started in a folder of a shared database", shared, {}, false, shared},
        {"tables named by --cardata or CARDATA", home(), {}, true, home()},
        {"--folder names any existing folder", tables, named, false, named},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        options_.current = c.current;
        options_.folder = c.folder;
        options_.tablesNamedElsewhere = c.elsewhere;
        EXPECT_EQ(find(), c.expected);
    }
    EXPECT_EQ(offers_, 0);
    EXPECT_FALSE(fs::exists(options_.proposed));

    options_.folder = dir_.path() / "missing";
    EXPECT_THROW(find(), FileError);
}

TEST_F(ProgramFolderTest, FirstStartCreatesTheSampleFolderAndRemembersIt) {
    EXPECT_EQ(findClicking(QStringLiteral("サンプルデータ入りで作成")), options_.proposed);
    EXPECT_TRUE(offerText_.contains(QString::fromStdString(pathText(options_.proposed))));
    EXPECT_TRUE(isProgramFolder(options_.proposed));
    EXPECT_TRUE(fs::exists(options_.proposed / "白地.jpg"));
    EXPECT_TRUE(fs::exists(options_.proposed / "User.INI"));

    // Started from the menu again, in the home folder: no question.
    EXPECT_EQ(find(), options_.proposed);
    EXPECT_EQ(offers_, 0);
}

TEST_F(ProgramFolderTest, SampleDataKeepsTheSettingsOfAFolderWithoutTables) {
    fs::create_directories(options_.proposed);
    writeLines(options_.proposed / "User.INI", {"own company"});
    findClicking(QStringLiteral("サンプルデータ入りで作成"));
    EXPECT_TRUE(isProgramFolder(options_.proposed));
    EXPECT_EQ(readLines(options_.proposed / "User.INI"), std::vector<std::string>{"own company"});
}

TEST_F(ProgramFolderTest, FirstStartWithEmptyTables) {
    EXPECT_EQ(findClicking(QStringLiteral("空の表で作成")), options_.proposed);
    EXPECT_TRUE(isProgramFolder(options_.proposed));
    // The blank page that layouts without a form of their own are drawn over:
    // without it every start showed a message.
    const FormImage blank = loadFormImage(options_.proposed, "", {});
    EXPECT_FALSE(blank.image.isNull());
    EXPECT_EQ(blank.blankProblem, "");
    EXPECT_FALSE(fs::exists(options_.proposed / "User.INI")); // no sample company
    EXPECT_EQ(find(), options_.proposed);
}

TEST_F(ProgramFolderTest, QuittingCreatesAndRemembersNothing) {
    EXPECT_EQ(findClicking(QStringLiteral("終了")), std::nullopt);
    EXPECT_FALSE(fs::exists(options_.proposed));
    EXPECT_EQ(find(), std::nullopt);
    EXPECT_EQ(offers_, 1); // asked again
}

TEST_F(ProgramFolderTest, ARememberedFolderThatIsGoneIsOfferedAgain) {
    findClicking(QStringLiteral("空の表で作成"));
    fs::remove_all(options_.proposed);
    EXPECT_EQ(find(), std::nullopt);
    EXPECT_EQ(offers_, 1);
}

TEST_F(ProgramFolderTest, AFolderThatCannotBeMadeIsReported) {
    std::ofstream(dir_.path() / "file") << "x";
    options_.proposed = dir_.path() / "file" / "Mivora";
    EXPECT_THROW(findClicking(QStringLiteral("空の表で作成")), Error);
    EXPECT_EQ(find(), std::nullopt); // nothing remembered
}

} // namespace
} // namespace mivora::test
