#include "storetest.h"

#include "store/safetycopy.h"
#include "text/errors.h"

#include <chrono>
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

TEST_P(SafetyCopyTest, ACopyThatCannotBeWrittenIsAnErrorNamingIt) {
    std::ofstream(dir_.path() / "safety") << "a file where the folder should be";
    try {
        writeSafetyCopy(vehicles_);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("safety"), std::string::npos) << error.what();
    }
}

TEST_P(SafetyCopyTest, OnlyCopiesOfTheListCanBeRecovered) {
    writeSafetyCopy(vehicles_);
    for (const char* name : {"INDATA-20261207-153000", "../INDATA.db", "INDATA"})
        EXPECT_THROW(recoverSafetyCopy(vehicles_, name), FileError) << name;
    EXPECT_EQ(listSafetyCopies(vehicles_).size(), 1u); // a refused name copies nothing
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

} // namespace
} // namespace mivora::test
