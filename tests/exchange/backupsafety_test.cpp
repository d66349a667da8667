// Backups and restores around other processes, odd tables and odd names: a
// restore puts each value into the field of its name, a TXT backup reads one
// snapshot, and a backup that fails changes neither the files nor the counts.

#include "exchange/backup.h"
#include "exchange/backupfiles.h"
#include "exchange/restore.h"
#include "platform/files.h"
#include "store/datafolder.h"
#include "store/sqlite.h"
#include "support/samplefolder.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <unistd.h>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using Records = std::vector<std::vector<std::string>>;

class BackupSafetyTest : public ::testing::Test {
  protected:
    BackupSafetyTest() {
        session_.digitCounts.setRecNo(1); // all 47 counts non-zero
        row_ = readDigitCountRow(session_.digitCounts);
        row_.postal = 0;
    }

    fs::path vehicleFile() const { return tablePath(session_.tableFolder, vehicleTable()); }

    // Every vehicle by field name, in the order of the list.
    static Records recordsOf(Table& vehicles) {
        Records records;
        const auto columns = columnIndexes(vehicles);
        vehicles.forEach([&](const std::vector<std::string>& row) {
            records.emplace_back();
            for (int column : columns)
                records.back().push_back(row[column]);
        });
        return records;
    }

    // Rebuilds the vehicle table of the file by SQL, as another tool might have.
    void rebuildVehicles(const std::string& sql) {
        session_.vehicles.close();
        SqliteDatabase(vehicleFile(), false).exec(sql);
        session_.vehicles.open();
    }

    void backup(const fs::path& file, const Progress& progress = {}) {
        writeBackup(session_.vehicles, session_.digitCounts, row_, file, {}, progress);
    }

    std::vector<std::string> filesIn(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    SampleFolder folder_;
    Session& session_ = folder_.session();
    DigitCountRow row_;
};

TEST_F(BackupSafetyTest, RestoreFillsFieldsByNameWhateverTheirOrder) {
    const Records before = recordsOf(session_.vehicles);
    backup(folder_.dir() / "all.CSV");
    backup(folder_.dir() / "all.TXT");
    std::string reversed;
    for (auto name = vehicleFieldNames().rbegin(); name != vehicleFieldNames().rend(); ++name)
        reversed += (reversed.empty() ? "\"" : ", \"") + *name + "\"";
    rebuildVehicles("CREATE TABLE turned AS SELECT " + reversed +
                    " FROM records; DROP TABLE records; ALTER TABLE turned RENAME TO records;");
    ASSERT_EQ(session_.vehicles.fields().front().column, vehicleFieldNames().back());

    restoreCsv(session_.vehicles, folder_.dir() / "all.CSV", {});
    EXPECT_EQ(recordsOf(session_.vehicles), before);
    restoreTxt(session_.vehicles, folder_.dir() / "all.TXT",
               *readWidthFile(folder_.dir() / "all.TIF"), {});
    EXPECT_EQ(recordsOf(session_.vehicles), before);
}

TEST_F(BackupSafetyTest, AMissingFieldEndsTheRestoreBeforeAnythingIsDeleted) {
    backup(folder_.dir() / "all.CSV");
    rebuildVehicles("ALTER TABLE records DROP COLUMN \"備考\";");
    const int count = session_.vehicles.recordCount();
    ASSERT_GT(count, 0);
    try {
        restoreCsv(session_.vehicles, folder_.dir() / "all.CSV", {});
        ADD_FAILURE() << "restored";
    } catch (const DatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("備考"), std::string::npos) << error.what();
    }
    EXPECT_EQ(session_.vehicles.recordCount(), count);
}

// Another process lengthens a name while the backup is between its two readings.
TEST_F(BackupSafetyTest, TxtBackupReadsOneSnapshot) {
    Table& vehicles = session_.vehicles;
    for (int i = 0; i < 700; ++i) // enough records for the progress to be told
        vehicles.insertRecord({sj("ﾃｽﾄ"), std::to_string(i)});
    vehicles.refresh();
    const Records before = recordsOf(vehicles);
    const int user = 2; // 使用者, 30 bytes wide
    const std::string longName(56, 'N');
    ASSERT_LT(row_.counts[user], static_cast<int>(longName.size()));

    bool changed = false;
    backup(folder_.dir() / "snap.TXT", [&](int, int) {
        if (!changed) {
            Table other(vehicleFile());
            other.open();
            other.setText(sj("使用者"), longName);
            other.post();
            changed = true;
        }
        return true;
    });
    ASSERT_TRUE(changed);
    const Widths widths = *readWidthFile(folder_.dir() / "snap.TIF");
    restoreTxt(vehicles, folder_.dir() / "snap.TXT", widths, {});
    EXPECT_EQ(recordsOf(vehicles), before); // the records as they were when the backup began
}

TEST_F(BackupSafetyTest, AFailedTxtBackupChangesNeitherFilesNorCounts) {
    Table& vehicles = session_.vehicles;
    vehicles.first();
    vehicles.setText(sj("備考"), std::string(55, 'r')); // wider than its count of 40
    vehicles.post();
    const DigitCountRow stored = readDigitCountRow(session_.digitCounts);

    auto expectRefused = [&](const fs::path& file) {
        try {
            backup(file);
            ADD_FAILURE() << "written";
        } catch (const FileError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("x.TXT"), std::string::npos) << message;
            EXPECT_NE(message.find("x.TIF"), std::string::npos) << message;
        }
        EXPECT_EQ(readDigitCountRow(session_.digitCounts).counts, stored.counts);
    };
    expectRefused(folder_.dir() / "missing" / "x.TXT");
    const fs::path locked = folder_.dir() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (!writable(locked)) // root writes anyway
        expectRefused(locked / "x.TXT");
    fs::permissions(locked, fs::perms::owner_all);

    backup(folder_.dir() / "x.TXT");
    EXPECT_EQ(readDigitCountRow(session_.digitCounts).counts[41], 55);
}

TEST_F(BackupSafetyTest, NamesUpTo255BytesAreWritten) {
    const fs::path folder = folder_.dir() / "long";
    fs::create_directory(folder);
    for (std::size_t length : {250u, 253u, 255u})
        for (const char* extension : {".CSV", ".TXT"}) {
            SCOPED_TRACE(std::to_string(length) + extension);
            const std::string base(length - 4, 'b');
            backup(folder / (base + extension));
            EXPECT_TRUE(fs::exists(folder / (base + extension)));
        }
    EXPECT_TRUE(fs::exists(folder / (std::string(251, 'b') + ".TIF")));
}

TEST_F(BackupSafetyTest, LeftoversOfAStoppedBackupAreTidiedOrCompleted) {
    const fs::path folder = folder_.dir() / "out";
    fs::create_directory(folder);
    backup(folder / "pair.TXT");
    const std::string oldData = readBytes(folder / "pair.TXT");
    auto put = [&](const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    };
    // A backup stopped before its journal was complete: its files are dropped.
    put(".mv00aa11", "mivora-backup\0"s + "2");
    put(".mv00aa11.0", "garbage");
    put(".mv00aa11.1", "1\r\n");
    // One stopped with nothing but a temporary file.
    put(".mv00bb22.0", "garbage");
    // One stopped after its journal was complete, with one of two renames done.
    put(".mv00cc33", "mivora-backup\0"s + "2\0"s + "pair.TXT\0"s + "pair.TIF\0"s);
    put(".mv00cc33.1", "7\r\n");
    put("pair.TXT", "new data");
    finishStoppedBackups(folder);
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"pair.TIF", "pair.TXT"}));
    EXPECT_EQ(readBytes(folder / "pair.TIF"), "7\r\n");

    put(".mv00dd44", "mivora-backup\0"s);
    put(".mv00dd44.0", "garbage");
    backup(folder / "pair.TXT");
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"pair.TIF", "pair.TXT"}));
    EXPECT_EQ(readBytes(folder / "pair.TXT"), oldData);
}

} // namespace
} // namespace mivora::test
