#include "platform/localtime.h"
#include "storetest.h"

#include "store/safetycopy.h"
#include "text/errors.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <thread>

namespace mivora::test {
namespace {

class SafetyCopyTest : public EngineTest {
  protected:
    SafetyCopyTest() {
        openVehicles(vehicles_);
        addVehicle(vehicles_, "ｶ", "1");
    }
    Table vehicles_{tableFile(vehicleTable())};
};

TEST_P(SafetyCopyTest, TheTenNewestAreKeptNewestFirst) {
    std::vector<std::string> written;
    for (int i = 0; i < 12; ++i) {
        addVehicle(vehicles_, "ｶ", "more");
        written.push_back(writeSafetyCopy(vehicles_).filename().string());
    }
    std::vector<SafetyCopy> copies = listSafetyCopies(vehicles_);
    ASSERT_EQ(copies.size(), 10u);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].name, written[11 - i]);
        EXPECT_EQ(copies[i].records, 13 - static_cast<long long>(i)); // 1 + 12 - i
    }
    EXPECT_EQ(copies[0].time.size(), std::string("2026-12-07 15:30:00").size());
}

// The copies of a table file are files of the folder "safety".
class SafetyCopyFileTest : public SafetyCopyTest {};

TEST_P(SafetyCopyFileTest, ACopyThatCannotBeWrittenIsAnErrorNamingIt) {
    std::ofstream(dir_.path() / "safety") << "a file where the folder should be";
    try {
        writeSafetyCopy(vehicles_);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("safety"), std::string::npos) << error.what();
    }
}

// Another process writing a copy in this second (or the next) holds its name by
// its ".part" file; the part of a copy killed long ago is removed.
TEST_P(SafetyCopyFileTest, ACopyBeingWrittenKeepsItsNameAndAKilledOnesPartGoes) {
    namespace fs = std::filesystem;
    const fs::path safety = dir_.path() / "safety";
    fs::create_directories(safety);
    std::vector<fs::path> others;
    for (std::time_t second : {std::time(nullptr), std::time(nullptr) + 1}) {
        const std::tm local = localTimeOf(second);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        others.push_back(safety / ("INDATA-" + std::string(stamp) + ".db.part"));
        std::ofstream(others.back()) << "being written";
    }
    const fs::path killed = safety / "INDATA-20000101-000000.db.part";
    std::ofstream(killed) << "killed";
    fs::last_write_time(killed, fs::file_time_type::clock::now() - std::chrono::hours(1));

    writeSafetyCopy(vehicles_);
    ASSERT_EQ(listSafetyCopies(vehicles_).size(), 1u);
    EXPECT_EQ(listSafetyCopies(vehicles_).front().records, 1);
    for (const fs::path& other : others)
        EXPECT_TRUE(fs::exists(other)) << other;
    EXPECT_FALSE(fs::exists(killed));
}

TEST_P(SafetyCopyTest, OnlyCopiesOfTheListCanBeRecovered) {
    writeSafetyCopy(vehicles_);
    for (const char* name : {"INDATA-20261207-153000", "../INDATA.db", "INDATA"})
        EXPECT_THROW(recoverSafetyCopy(vehicles_, name), FileError) << name;
    EXPECT_EQ(listSafetyCopies(vehicles_).size(), 1u); // a refused name copies nothing
    addVehicle(vehicles_, "ｷ", "2");
    EXPECT_EQ(recoverSafetyCopy(vehicles_, listSafetyCopies(vehicles_).front().name), 1);
}

// What a restore deletes, of the whole view (on a server the old table itself
// becomes the copy) or of a filtered one, is in the copy, which brings it back;
// the table goes on taking changes after either.
TEST_P(SafetyCopyTest, WhatAReplacementDeletesIsInTheCopyAndComesBack) {
    addVehicle(vehicles_, "ｷ", "2");
    // One that fails halfway deletes nothing.
    EXPECT_THROW(replaceViewAfterSafetyCopy(vehicles_,
                                            [&] {
                                                vehicles_.insertRecord({sj("ｸ"), "3"});
                                                throw std::runtime_error("stopped");
                                            }),
                 std::runtime_error);
    EXPECT_EQ(vehicles_.recordCount(), 2);
    for (const bool filtered : {false, true}) {
        SCOPED_TRACE(filtered ? "filtered" : "whole");
        vehicles_.setFilter("[" + sj("電話番号") + "] = '2'");
        vehicles_.setFiltered(filtered);
        // A text with what a server's bulk load must escape, and long enough to be
        // looked through a word at a time.
        const std::string user = "tab\there, back\\slash\r\nend";
        replaceViewAfterSafetyCopy(vehicles_, [&] {
            vehicles_.insertRecord({sj("ｸ"), "3", user});
        });
        vehicles_.setFiltered(false);
        EXPECT_EQ(vehicles_.recordCount(), filtered ? 2 : 1);
        vehicles_.last();
        EXPECT_EQ(vehicles_.text(sj("使用者")), user);
        const SafetyCopy copy = listSafetyCopies(vehicles_).front();
        EXPECT_EQ(copy.records, 2);
        addVehicle(vehicles_, "ｹ", "4");
        EXPECT_EQ(recoverSafetyCopy(vehicles_, copy.name), 2);
        vehicles_.last();
        EXPECT_EQ(phoneOf(vehicles_), "2");
    }
}

// A copy file in the folder, on a server one that a version before the copies on
// the server wrote, is listed and put back as well.
TEST_P(SafetyCopyTest, ACopyFileInTheFolderIsRecovered) {
    namespace fs = std::filesystem;
    TempDir files;
    createTables(files.path());
    Table elsewhere(tablePath(files.path(), vehicleTable()));
    openVehicles(elsewhere);
    addVehicle(elsewhere, "ｵ", "old");
    fs::create_directories(dir_.path() / "safety");
    fs::copy_file(writeSafetyCopy(elsewhere), dir_.path() / "safety" / "INDATA-20000101-000000.db");

    ASSERT_EQ(listSafetyCopies(vehicles_).size(), 1u);
    EXPECT_EQ(listSafetyCopies(vehicles_).front().records, 1);
    EXPECT_EQ(recoverSafetyCopy(vehicles_, "INDATA-20000101-000000"), 1);
    EXPECT_EQ(phoneOf(vehicles_), "old");
}

// Another PC adds a vehicle while the copy before a deletion is written: the
// vehicle is either in the copy or left standing, never deleted without a copy.
TEST_P(SafetyCopyTest, AVehicleAddedDuringTheCopyIsInItOrKept) {
    std::thread other;
    vehicles_.transactionAfter(
        [&] {
            writeSafetyCopy(vehicles_);
            if (other.joinable())
                return;
            other = std::thread([this] {
                Table table(tableFile(vehicleTable()));
                openVehicles(table);
                addVehicle(table, "ｱ", "0", "割り込み");
            });
            // Long enough for the other to commit, or to wait for the lock on a server.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        },
        [&] { vehicles_.removeAll(); });
    other.join();
    vehicles_.refresh();
    const long long copied = listSafetyCopies(vehicles_).front().records;
    EXPECT_TRUE(copied == 2 || vehicles_.recordCount() == 1)
        << copied << " copied, " << vehicles_.recordCount() << " kept";
}

INSTANTIATE_ON_BOTH_ENGINES(SafetyCopyTest);
INSTANTIATE_TEST_SUITE_P(Files, SafetyCopyFileTest, ::testing::Values(Engine::Sqlite), engineName);

} // namespace
} // namespace mivora::test
