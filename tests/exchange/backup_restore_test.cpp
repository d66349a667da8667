#include "exchange/backup.h"
#include "exchange/restore.h"
#include "session/session.h"
#include "support/samplefolder.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <fstream>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

class BackupRestoreTest : public ::testing::Test {
  protected:
    // Row 1 of the sample: the standard exchange with all counts non-zero.
    DigitCountRow standardRow() {
        session_.digitCounts.setRecNo(1);
        return readDigitCountRow(session_.digitCounts);
    }
    DigitCountRow addressBookRow() {
        session_.digitCounts.setRecNo(2);
        return readDigitCountRow(session_.digitCounts);
    }

    std::vector<std::vector<std::string>> allRecords() {
        std::vector<std::vector<std::string>> records;
        Table& vehicles = session_.vehicles;
        for (vehicles.first(); !vehicles.eof() && vehicles.recordCount(); vehicles.next()) {
            records.emplace_back();
            for (int i = 0; i < kColumnCount; ++i)
                records.back().push_back(vehicles.textAt(i));
        }
        return records;
    }

    void backup(DigitCountRow& row, const char* name, const PostalFill& postal = {}) {
        writeBackup(session_.vehicles, session_.digitCounts, row, dir() / name, postal, {});
    }

    std::string bytesOf(const char* name) { return readBytes(dir() / name); }

    const fs::path& dir() const { return folder_.dir(); }

    SampleFolder folder_;
    Session& session_ = folder_.session();
};

TEST_F(BackupRestoreTest, CsvRoundTripGivesBackTheRecords) {
    const auto before = allRecords();
    DigitCountRow row = standardRow();
    row.postal = 0;
    backup(row, "all.csv");
    std::string csv = bytesOf("all.CSV");
    std::string firstLine = csv.substr(0, csv.find("\r\n"));
    EXPECT_EQ(std::count(firstLine.begin(), firstLine.end(), ','), 48);
    EXPECT_EQ(firstLine.front(), ',');
    EXPECT_EQ(firstLine.back(), ',');

    EXPECT_EQ(restoreCsv(session_.vehicles, dir() / "all.CSV", {}),
              static_cast<int>(before.size()));
    EXPECT_EQ(allRecords(), before);
}

TEST_F(BackupRestoreTest, CsvLongerThanOneReadComesBackByteForByte) {
    Table& vehicles = session_.vehicles;
    vehicles.transaction([&] {
        for (int i = 0; i < 1500; ++i) // fields that straddle the reads of 64 KiB
            vehicles.insertRecord({sj("ﾃｽﾄ"), std::to_string(i * 7919 % 1500), sj("山田　太郎"),
                                   sj("東京都千代田区丸の内") + std::to_string(i)});
    });
    vehicles.refresh();
    DigitCountRow row = standardRow();
    row.postal = 0;
    backup(row, "first.CSV");
    ASSERT_GT(bytesOf("first.CSV").size(), 2u << 16);
    const auto before = allRecords();

    EXPECT_EQ(restoreCsv(vehicles, dir() / "first.CSV", {}), static_cast<int>(before.size()));
    EXPECT_EQ(allRecords(), before);
    backup(row, "second.CSV");
    EXPECT_EQ(bytesOf("second.CSV"), bytesOf("first.CSV"));
}

TEST_F(BackupRestoreTest, TxtRoundTripStripsBlanksAndRaisesWidthsOnce) {
    Table& vehicles = session_.vehicles;
    vehicles.first();
    vehicles.setText(sj("備考"), "  " + std::string(40, 'x') + "y"); // one byte over its width
    vehicles.post();
    const auto before = allRecords();

    DigitCountRow row = standardRow();
    const int remarks = 41; // 備考
    ASSERT_EQ(row.counts[remarks], 40);
    backup(row, "all.txt");
    EXPECT_EQ(row.counts[remarks], 43);
    EXPECT_EQ(standardRow().counts[remarks], 43); // stored in INDTLEN.db
    auto widths = readWidthFile(dir() / "all.TIF");
    ASSERT_TRUE(widths);
    EXPECT_EQ((*widths)[remarks], 43);
    int recordLength = 0;
    for (int width : *widths)
        recordLength += width;
    EXPECT_EQ(bytesOf("all.TXT").size(), before.size() * recordLength);

    restoreTxt(vehicles, dir() / "all.TXT", *widths, {});
    auto after = allRecords();
    ASSERT_EQ(after.size(), before.size());
    bool found = false;
    for (const auto& record : after)
        found |= record[remarks] == std::string(40, 'x') + "y";
    EXPECT_TRUE(found);
}

// Backups made on Windows may have any case in their names: a backup over "x.csv"
// replaces it, and files named in lower case are restored.
TEST_F(BackupRestoreTest, BackupFileNamesAreFoundWhateverTheirCase) {
    const auto before = allRecords();
    writeLines(dir() / "x.csv", {"old"});
    DigitCountRow row = standardRow();
    row.postal = 0;
    backup(row, "x.csv");
    EXPECT_FALSE(spelledOnDisk(dir() / "x.CSV"));
    EXPECT_NE(bytesOf("x.csv"), "old\r\n");
    const FileName csv = splitFileName(dir() / "x.csv");
    EXPECT_EQ(csv.with(".CSV"), dir() / "x.csv");
    session_.vehicles.removeAll();
    EXPECT_EQ(restoreCsv(session_.vehicles, csv.with(".CSV"), {}), static_cast<int>(before.size()));
    EXPECT_EQ(allRecords(), before);

    backup(row, "y.TXT");
    fs::rename(dir() / "y.TXT", dir() / "y.txt");
    fs::rename(dir() / "y.TIF", dir() / "y.tif");
    const FileName txt = splitFileName(dir() / "y.txt");
    const auto widths = readWidthFile(txt.with(".TIF"));
    ASSERT_TRUE(widths);
    session_.vehicles.removeAll();
    restoreTxt(session_.vehicles, txt.with(".TXT"), *widths, {});
    EXPECT_EQ(allRecords().size(), before.size());
    EXPECT_FALSE(spelledOnDisk(dir() / "y.TXT"));
}

TEST_F(BackupRestoreTest, ZeroCountsLeaveColumnsOut) {
    DigitCountRow row = standardRow();
    row.counts.fill(0);
    row.counts[2] = 10; // 使用者 only
    row.postal = 0;
    backup(row, "some.CSV");
    std::string csv = bytesOf("some.CSV");
    // The first vehicle in the list order is the one read ｲｼｶﾜ.
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "," + sj("石川　美穂") + ",");
}

TEST_F(BackupRestoreTest, AddressBookCsvSkipsRepeatedReadingsAndAddsPostalCodes) {
    DigitCountRow row = addressBookRow();
    ASSERT_TRUE(row.addressBook());
    int looked = 0;
    backup(row, "book.CSV", [&](RecordValues& values, int mode) {
        EXPECT_EQ(mode, 1);
        values[48] = "100-0005";
        ++looked;
    });
    std::string csv = bytesOf("book.CSV");
    int lines = static_cast<int>(std::count(csv.begin(), csv.end(), '\n'));
    // The sample holds 山田 twice with the same reading, one after the other.
    EXPECT_EQ(lines, session_.vehicles.recordCount() - 1);
    EXPECT_EQ(looked, lines);
    std::string first = csv.substr(0, csv.find("\r\n"));
    EXPECT_NE(first.front(), ',');
    EXPECT_EQ(first.substr(first.size() - 9), ",100-0005");
}

TEST_F(BackupRestoreTest, AddressBookTxtCutsAndEndsRecordsWithCrFormFeed) {
    DigitCountRow row = addressBookRow();
    row.counts[3] = 5; // 使用者住所 cut inside a double-byte character
    backup(row, "book.txt");
    std::string txt = bytesOf("book.TXT");
    std::size_t recordLength = row.counts[0] + row.counts[1] + row.counts[2] + 5 + 2;
    EXPECT_EQ(txt.size() % recordLength, 0u);
    EXPECT_EQ(txt.substr(recordLength - 2, 2), "\r\f");
    EXPECT_EQ(addressBookRow().counts[3], 60); // never raised
}

TEST_F(BackupRestoreTest, ExtensionDecidesTheFormat) {
    const std::pair<const char*, const char*> cases[] = {{"a.txt", "a.TXT"},
                                                         {"b.Csv", "b.TXT"},
                                                         {"c", "c.TXT"},
                                                         {"d.csv", "d.CSV"},
                                                         {"e.CSV", "e.CSV"}};
    for (const auto& [typed, written] : cases) {
        DigitCountRow row = standardRow();
        row.postal = 0;
        backup(row, typed);
        EXPECT_TRUE(fs::exists(dir() / written)) << typed;
    }
    EXPECT_TRUE(fs::exists(dir() / "c.TIF"));
}

TEST_F(BackupRestoreTest, ProposedNames) {
    DigitCountRow row = standardRow();
    EXPECT_EQ(proposedBackupName(sj("/data/"), row, {2026, 12, 7}),
              sj("/data/令和8年12月07日.CSV"));
    EXPECT_EQ(proposedBackupName("", addressBookRow(), {2026, 12, 7}), sj("住所録.CSV"));
}

TEST_F(BackupRestoreTest, AddressBookFilesAreRefusedBeforeAnythingChanges) {
    for (const char* name : {"住所録.CSV", "2001住所録.TXT"})
        EXPECT_THROW(refuseAddressBook(splitFileName(pathOf(dir(), name))), Error);
    EXPECT_NO_THROW(refuseAddressBook(splitFileName(pathOf(dir(), "住所.CSV"))));
}

TEST_F(BackupRestoreTest, CsvLastLineWithoutItsCommaIsLost) {
    std::string line = "";
    for (int i = 1; i <= kColumnCount; ++i)
        line += ",v" + std::to_string(i);
    writeLines(dir() / "two.CSV", {line + ",", line});
    EXPECT_EQ(restoreCsv(session_.vehicles, dir() / "two.CSV", {}), 1);
    EXPECT_EQ(session_.vehicles.recordCount(), 1);
    EXPECT_EQ(session_.vehicles.textAt(46), "v47");
}

TEST_F(BackupRestoreTest, TxtWhoseLastWidthsAreZeroKeepsItsLastRecord) {
    Widths widths{};
    widths[0] = 3;
    widths[2] = 2;
    std::ofstream(dir() / "w.TXT", std::ios::binary)
        << "ab 12xyz34q"; // two records and a byte left over
    EXPECT_EQ(restoreTxt(session_.vehicles, dir() / "w.TXT", widths, {}), 2);
    session_.vehicles.last();
    EXPECT_EQ(session_.vehicles.textAt(0), "xyz");
    EXPECT_EQ(session_.vehicles.textAt(2), "34");
}

TEST_F(BackupRestoreTest, FailedOrCancelledRunsLeaveEverythingAsItWas) {
    const auto before = allRecords();
    EXPECT_THROW(restoreCsv(session_.vehicles, dir() / "missing.CSV", {}), FileError);
    EXPECT_EQ(allRecords(), before);

    DigitCountRow row = standardRow();
    row.postal = 0;
    backup(row, "good.CSV");
    const std::string good = bytesOf("good.CSV");
    for (int i = 0; i < 600; ++i) { // enough records for the progress to be asked
        session_.vehicles.insertRecord({sj("ﾃｽﾄ"), std::to_string(i)});
    }
    session_.vehicles.refresh();
    auto cancel = [](int, int) { return false; };
    EXPECT_THROW(
        writeBackup(session_.vehicles, session_.digitCounts, row, dir() / "good.CSV", {}, cancel),
        Cancelled);
    EXPECT_EQ(bytesOf("good.CSV"), good); // the older backup stays whole

    const auto many = allRecords();
    backup(row, "many.CSV");
    session_.vehicles.first();
    EXPECT_THROW(restoreCsv(session_.vehicles, dir() / "many.CSV", cancel), Cancelled);
    EXPECT_EQ(allRecords(), many);
}

} // namespace
} // namespace mivora::test
