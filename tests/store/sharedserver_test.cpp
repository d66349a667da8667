// Two clerks on one set of records: two processes with their tables on the same
// server, and a server that goes away in the middle of a post.

#include "storetest.h"

#include "store/postgres.h"
#include "store/safetycopy.h"
#include "text/errors.h"

#include <sys/wait.h>
#include <unistd.h>

namespace mivora::test {
namespace {

// The other PC: a child process that runs its part between two signals of the
// test, over pipes.
class OtherProcess {
  public:
    template <typename Work> explicit OtherProcess(Work work) {
        if (pipe(toChild_) != 0 || pipe(toParent_) != 0)
            throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            int code = 0;
            try {
                work(*this);
            } catch (...) {
                code = 1;
            }
            _exit(code);
        }
    }
    ~OtherProcess() { finish(); }

    // In the child: tells the test and waits for its answer.
    void handOver() {
        char byte = 1;
        if (write(toParent_[1], &byte, 1) != 1 || read(toChild_[0], &byte, 1) != 1)
            _exit(2);
    }
    // In the test: waits until the child hands over, and lets it go on afterwards.
    void waitForHandOver() {
        char byte = 0;
        ASSERT_EQ(read(toParent_[0], &byte, 1), 1);
    }
    void goOn() {
        char byte = 1;
        ASSERT_EQ(write(toChild_[1], &byte, 1), 1);
    }
    // The child's exit code.
    int finish() {
        if (pid_ > 0) {
            waitpid(pid_, &status_, 0);
            pid_ = 0;
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

  private:
    int toChild_[2]{};
    int toParent_[2]{};
    pid_t pid_ = 0;
    int status_ = 0;
};

class SharedServerTest : public StoreTest {
  protected:
    SharedServerTest() : StoreTest(Engine::Postgres) {
        openVehicles(clerk_);
        for (const char* phone : {"1", "2", "3"})
            addVehicle(clerk_, "ｶ", phone, "元の車両");
    }

    std::string storedUser(int record) {
        Table fresh(tableFile(vehicleTable()));
        openVehicles(fresh);
        fresh.setRecNo(record);
        return fresh.text(sj("使用者"));
    }

    Table clerk_{tableFile(vehicleTable())};
};

TEST_F(SharedServerTest, APostOverAnotherPcsChangeIsRefusedAndTheRecordReadAnew) {
    clerk_.setRecNo(2);
    clerk_.setText(sj("使用者"), sj("こちらの編集"));
    OtherProcess other([&](OtherProcess&) {
        Table table(tableFile(vehicleTable()));
        openVehicles(table);
        table.setRecNo(2);
        table.setText(sj("使用者"), sj("あちらの編集"));
        table.post();
    });
    ASSERT_EQ(other.finish(), 0);

    try {
        clerk_.post();
        ADD_FAILURE() << "posted over the other PC's change";
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "他の端末で変更されました。最新の内容を読み込みます。");
    }
    EXPECT_EQ(clerk_.state(), TableState::Browse);
    EXPECT_EQ(clerk_.recNo(), 2);
    EXPECT_EQ(clerk_.text(sj("使用者")), sj("あちらの編集"));
    EXPECT_EQ(storedUser(2), sj("あちらの編集"));
}

// A restore writes the records anew in place, or, of the whole table, into a
// new table that takes the old one's place.
TEST_F(SharedServerTest, ARestoreOnAnotherPcIsSeenWholeOrNotAtAll) {
    for (const bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "new table" : "in place");
        OtherProcess other([&](OtherProcess& self) {
            Table table(tableFile(vehicleTable()));
            openVehicles(table);
            const auto load = [&] {
                table.insertRecord({sj("ﾘｽﾄｱ"), "R1", sj("戻した車両")});
                self.handOver(); // halfway through the restore
                table.insertRecord({sj("ﾘｽﾄｱ"), "R2", sj("戻した車両")});
            };
            if (whole) {
                replaceViewAfterSafetyCopy(table, load);
                return;
            }
            table.transaction([&] {
                table.removeAll();
                load();
            });
        });
        other.waitForHandOver();
        clerk_.first();
        EXPECT_EQ(clerk_.recordCount(), 3) << "saw a half-made restore";
        EXPECT_EQ(clerk_.text(sj("使用者")), sj("元の車両"));
        other.goOn();
        ASSERT_EQ(other.finish(), 0);

        clerk_.next(); // the next move shows the restore, whole
        EXPECT_EQ(clerk_.recordCount(), 2);
        clerk_.first();
        EXPECT_EQ(phoneOf(clerk_), "R1");
        clerk_.last();
        EXPECT_EQ(phoneOf(clerk_), "R2");
        addVehicle(clerk_, "ｶ", "3", "元の車両"); // the restored table takes posts
    }
}

TEST_F(SharedServerTest, RecordsAddedOnAnotherPcAppearInTheirPlace) {
    clerk_.setRecNo(3);
    OtherProcess other([&](OtherProcess&) {
        Table table(tableFile(vehicleTable()));
        openVehicles(table);
        addVehicle(table, "ｱ", "0", "新しい車両");
    });
    ASSERT_EQ(other.finish(), 0);
    clerk_.refresh();
    EXPECT_EQ(clerk_.recordCount(), 4);
    EXPECT_EQ(phoneOf(clerk_), "3"); // the cursor stays on its record
    clerk_.first();
    EXPECT_EQ(clerk_.text(sj("使用者")), sj("新しい車両"));
}

// An office at work: the other PC restores the same vehicles again and again
// while this one reads a record for a page and backs the table up. Every record
// read is a whole vehicle, and every backup holds them all, on the server (where a
// restore gives the records new row ids in a new table) as on files.
class SharedOfficeTest : public EngineTest {};

TEST_P(SharedOfficeTest, ReadsDuringRestoresSeeOneStateOfTheRecords) {
    constexpr int kRestores = 40, kReads = 200;
    const std::vector<std::string> phones = {"1", "2", "3", "4", "5", "6"};
    Table clerk(tableFile(vehicleTable()));
    openVehicles(clerk);
    for (const std::string& phone : phones)
        addVehicle(clerk, "ｶ", phone.c_str(), "元の車両");
    OtherProcess other([&](OtherProcess&) {
        Table table(tableFile(vehicleTable()));
        openVehicles(table);
        for (int round = 0; round < kRestores; ++round)
            replaceViewAfterSafetyCopy(table, [&] {
                for (const std::string& phone : phones)
                    table.insertRecord({sj("ｶ"), phone, sj("元の車両")});
            });
    });
    int blankRecords = 0, shortBackups = 0;
    for (int read = 0; read < kReads; ++read) {
        const int record = 1 + read % static_cast<int>(phones.size());
        clerk.setRecNo(record);
        if (clerk.text(sj("使用者")) != sj("元の車両") || phoneOf(clerk) != phones[record - 1])
            ++blankRecords;
        std::size_t backedUp = 0;
        clerk.forEach([&](std::vector<std::string>&) { ++backedUp; });
        if (backedUp != phones.size())
            ++shortBackups;
    }
    EXPECT_EQ(other.finish(), 0);
    EXPECT_EQ(blankRecords, 0);
    EXPECT_EQ(shortBackups, 0);
}

INSTANTIATE_ON_BOTH_ENGINES(SharedOfficeTest);

class LostServerTest : public ::testing::Test {
  protected:
    LostServerTest() {
        useServerFor(dir_.path(), server_.connection());
        createTables(dir_.path());
        std::vector<std::string> order;
        for (const std::string& name : vehicleOrderFields())
            order.push_back(sj(name));
        table_.setIndexFieldNames(order);
        table_.open();
        table_.append();
        table_.setText(sj("電話番号"), "1");
        table_.setText(sj("使用者"), sj("元の車両"));
        table_.post();
    }

    PrivateServer server_;
    TempDir dir_;
    Table table_{tablePath(dir_.path(), vehicleTable())};
};

TEST_F(LostServerTest, APostWithoutTheServerKeepsTheEditAndGoesThroughOnceItIsBack) {
    table_.setText(sj("使用者"), sj("新しい編集"));
    server_.halt();
    try {
        table_.post();
        ADD_FAILURE() << "posted without a server";
    } catch (const DatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("接続"), std::string::npos) << error.what();
    }
    EXPECT_EQ(table_.state(), TableState::Edit);
    EXPECT_EQ(table_.text(sj("使用者")), sj("新しい編集"));

    server_.resume();
    table_.post(); // the same program, without a restart
    table_.close();
    table_.open();
    EXPECT_EQ(table_.recordCount(), 1);
    EXPECT_EQ(table_.text(sj("使用者")), sj("新しい編集"));
}

// A connection that asks for encryption never falls back to clear text.
TEST(UnencryptedServerTest, RefusesAConnectionThatAsksForEncryption) {
    PrivateServer server;
    PostgresDatabase(server.connection(), "").exec("ALTER SYSTEM SET ssl = off");
    server.halt();
    server.resume();
    try {
        PostgresDatabase connected(server.tlsConnection(), "");
        ADD_FAILURE() << "connected in clear";
    } catch (const ConnectionError& error) {
        EXPECT_NE(std::string(error.what()).find("SSL"), std::string::npos) << error.what();
    }
}

} // namespace
} // namespace mivora::test
