// Two connections on one vehicle file, as two processes have them: one keeps
// its cursor while the other restores or edits.

#include "storetest.h"

#include "text/errors.h"

namespace mivora::test {
namespace {

class TwoConnectionsTest : public EngineTest {
  protected:
    TwoConnectionsTest() {
        openVehicles(first_);
        for (const char* phone : {"1", "2", "3"})
            addVehicle(first_, "ｶ", phone, "元の車両");
        openVehicles(second_);
    }

    // What a restore does in the other process: every record deleted, others
    // appended, which take the freed row ids again.
    void restoreInSecond(const std::vector<const char*>& phones) {
        second_.transaction([&] {
            second_.removeAll();
            for (const char* phone : phones)
                second_.insertRecord({sj("ﾘｽﾄｱ"), phone, sj("戻した車両")});
        });
        second_.refresh();
    }

    std::vector<std::string> storedPhones() {
        Table fresh(tableFile(vehicleTable()));
        openVehicles(fresh);
        std::vector<std::string> phones;
        for (fresh.first(); !fresh.eof() && fresh.recordCount(); fresh.next())
            phones.push_back(phoneOf(fresh) + ":" + fresh.text(sj("使用者")));
        return phones;
    }

    Table first_{tableFile(vehicleTable())};
    Table second_{tableFile(vehicleTable())};
};

TEST_P(TwoConnectionsTest, PostOverARestoredRecordIsRefusedAndTheRecordReadAnew) {
    first_.setRecNo(2); // read before the restore
    restoreInSecond({"R1", "R2", "R3"});

    first_.setText(sj("使用者"), sj("古い編集"));
    EXPECT_THROW(first_.post(), DatabaseError);
    EXPECT_EQ(first_.state(), TableState::Browse);
    EXPECT_EQ(first_.recordCount(), 3);
    EXPECT_EQ(first_.text(sj("使用者")), sj("戻した車両")); // read anew
    EXPECT_EQ(storedPhones(),
              (std::vector<std::string>{"R1:" + sj("戻した車両"), "R2:" + sj("戻した車両"),
                                        "R3:" + sj("戻した車両")}));

    // Read anew, the record takes the edit.
    first_.setText(sj("使用者"), sj("新しい編集"));
    first_.post();
    EXPECT_EQ(storedPhones()[1], "R2:" + sj("新しい編集"));
}

TEST_P(TwoConnectionsTest, DeleteOfAChangedRecordIsRefused) {
    first_.setRecNo(1);
    second_.setRecNo(1);
    second_.setText(sj("使用者"), sj("他方の編集"));
    second_.post();
    EXPECT_THROW(first_.remove(), DatabaseError);
    EXPECT_EQ(storedPhones().size(), 3u);
    first_.remove(); // read anew: now it may go
    EXPECT_EQ(storedPhones().size(), 2u);
}

TEST_P(TwoConnectionsTest, TheNextMoveShowsWhatTheOtherCommitted) {
    first_.setRecNo(2);
    addVehicle(second_, "ｱ", "0"); // sorts first
    second_.setRecNo(4);
    second_.remove(); // phone 3
    first_.next();    // from the same record, now the last
    EXPECT_EQ(first_.recordCount(), 3);
    EXPECT_TRUE(first_.eof());
    EXPECT_EQ(phoneOf(first_), "2");
    first_.first();
    EXPECT_EQ(phoneOf(first_), "0");
}

TEST_P(TwoConnectionsTest, PostOfAnUntouchedRecordGoesThroughAfterOtherCommits) {
    first_.setRecNo(1);
    second_.setRecNo(3);
    second_.setText(sj("電話番号"), "0");
    second_.post(); // now first in the order
    first_.setText(sj("使用者"), sj("編集"));
    first_.post();
    EXPECT_EQ(phoneOf(first_), "1");
    EXPECT_EQ(first_.recNo(), 2); // placed among the other's change
    EXPECT_EQ(storedPhones(), (std::vector<std::string>{"0:" + sj("元の車両"), "1:" + sj("編集"),
                                                        "2:" + sj("元の車両")}));
}

// Catching up places what the other added, moved and took out of the filter as
// reading the whole view anew would, and stays on the same vehicle.
TEST_P(TwoConnectionsTest, CatchingUpPlacesTheOthersChangesAsAFreshReadDoes) {
    const std::string filter = "[" + sj("電話番号") + "] <> 'x'";
    first_.setFilter(filter);
    first_.setFiltered(true);
    addVehicle(first_, "ﾜ", "9"); // its own, not yet seen with a version
    first_.setRecNo(2);
    addVehicle(second_, "ｱ", "0");
    second_.setRecNo(4); // phone 3 (0, 1, 2, 3, 9)
    second_.setText(sj("使用者ふりがな"), sj("ｱ"));
    second_.post();
    second_.setRecNo(3); // phone 1
    second_.setText(sj("電話番号"), "x");
    second_.post();

    EXPECT_TRUE(first_.catchUp());
    auto phones = [](Table& table) {
        std::vector<std::string> phones;
        for (int record = 1; record <= table.recordCount(); ++record)
            phones.push_back(table.peek(record, table.fieldIndex(sj("電話番号"))));
        return phones;
    };
    EXPECT_EQ(phones(first_), (std::vector<std::string>{"0", "3", "2", "9"}));
    EXPECT_EQ(phoneOf(first_), "2");
    Table fresh(tableFile(vehicleTable()));
    openVehicles(fresh);
    fresh.setFilter(filter);
    fresh.setFiltered(true);
    EXPECT_EQ(phones(first_), phones(fresh));
}

INSTANTIATE_ON_BOTH_ENGINES(TwoConnectionsTest);

} // namespace
} // namespace mivora::test
