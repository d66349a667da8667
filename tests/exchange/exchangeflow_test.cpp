#include "exchange/exchangeflow.h"

#include "support/samplefolder.h"
#include "support/scriptedprompter.h"
#include "text/errors.h"
#include "text/lines.h"

#include <gtest/gtest.h>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

class ExchangeFlowTest : public ::testing::Test {
  protected:
    const fs::path& dir() const { return folder_.dir(); }
    std::string file(const char* name) { return pathText(pathOf(dir(), name)); }

    SampleFolder folder_;
    Session& session_ = folder_.session();
    ScriptedPrompter person_;
};

TEST_F(ExchangeFlowTest, CancelAtEitherQuestionWritesNothing) {
    EXPECT_FALSE(backupWithQuestions(session_, person_, {}));
    EXPECT_TRUE(person_.fileQuestions.empty());

    person_.digitCountAnswers = {true};
    EXPECT_FALSE(backupWithQuestions(session_, person_, {}));
    ASSERT_EQ(person_.fileQuestions.size(), 1u);
    EXPECT_EQ(person_.fileQuestions[0].title, "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙの指定");
    EXPECT_EQ(fs::directory_iterator(dir())->path().filename(), "CARDATA");
}

TEST_F(ExchangeFlowTest, TxtRestoreAsksForTheRowOnlyWithoutAWidthFile) {
    person_.digitCountAnswers = {true};
    person_.files = {file("b.txt")};
    ASSERT_TRUE(backupWithQuestions(session_, person_, {}));
    const int count = session_.vehicles.recordCount();

    person_.files = {file("b.txt")};
    EXPECT_TRUE(restoreWithQuestions(session_, person_, {}));
    EXPECT_EQ(person_.digitCountPrompts.size(), 1u); // only the backup's
    EXPECT_EQ(session_.vehicles.recordCount(), count);

    fs::remove(dir() / "b.TIF");
    person_.files = {file("b.TXT")};
    EXPECT_FALSE(restoreWithQuestions(session_, person_, {})); // the row question cancelled
    ASSERT_EQ(person_.digitCountPrompts.size(), 2u);
    EXPECT_EQ(person_.digitCountPrompts[1], "リストア方法を指定してください。");
    EXPECT_EQ(session_.vehicles.recordCount(), count);
}

TEST_F(ExchangeFlowTest, AddressBookIsRefusedBeforeAnythingIsDeleted) {
    person_.files = {file("住所録.CSV")};
    try {
        restoreWithQuestions(session_, person_, {});
        FAIL() << "the address book was read";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "住所録はリストアできません！");
    }
    EXPECT_EQ(session_.vehicles.recordCount(), 20);
}

} // namespace
} // namespace mivora::test
