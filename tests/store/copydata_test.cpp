// An office moving its records from the table files of one PC to a server and
// back: every record of every table arrives, and nothing is half done.

#include "storetest.h"

#include "store/postgres.h"
#include "text/errors.h"

#include <fstream>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

// Every record of every table of a data folder, in the order of entry.
std::vector<std::vector<std::string>> contents(const fs::path& dataFolder) {
    std::vector<std::vector<std::string>> all;
    for (const TableDef* def : allTables()) {
        Table table(tablePath(dataFolder, *def));
        table.open();
        all.push_back({def->file});
        table.forEach([&](const std::vector<std::string>& values) { all.push_back(values); });
    }
    return all;
}

class CopyDataTest : public StoreTest {
  protected:
    CopyDataTest() {
        fillSampleData(dir_.path());
        Table vehicles(tableFile(vehicleTable()));
        vehicles.open();
        vehicles.append(); // bytes that only the program's conversion keeps
        vehicles.setText(sj("備考"), std::string("\xED\x40\x87\x90\x80\xFD", 6));
        vehicles.post();
    }

    TempDir other_;
};

// Over TCP, as from another PC, with the encryption that CARDATA.conn asks for.
TEST_F(CopyDataTest, FilesToServerAndBackKeepEveryRecord) {
    const fs::path server = other_.path() / "server", back = other_.path() / "back";
    const std::string connection = useServerFor(server, tlsServer());
    std::vector<CopiedTable> there = copyDataFolder(dir_.path(), server);
    ASSERT_EQ(there.size(), allTables().size());
    EXPECT_EQ(there[0].name, "INDATA");
    EXPECT_GT(there[0].records, 1);
    EXPECT_EQ(contents(server), contents(dir_.path()));

    copyDataFolder(server, back);
    EXPECT_EQ(contents(back), contents(dir_.path()));
    EXPECT_EQ(std::distance(fs::directory_iterator(other_.path()), {}), 2) << "a folder was left";

    // The copies are working tables: ordered, indexed, editable.
    Table vehicles(tablePath(server, vehicleTable()));
    openVehicles(vehicles);
    vehicles.setIndexName(sj("登録番号順"));
    vehicles.last();
    vehicles.setText(sj("使用者"), sj("サーバーで編集"));
    vehicles.post();

    PostgresDatabase db(connection, "");
    Statement encrypted =
        db.prepare("SELECT count(*) FROM pg_stat_ssl WHERE pid = pg_backend_pid() AND ssl");
    ASSERT_TRUE(encrypted.step());
    EXPECT_EQ(encrypted.columnInt(0), 1) << "the records crossed the network in clear";
}

TEST_F(CopyDataTest, ATargetThatHasTablesIsRefusedAndLeftAsItWas) {
    const fs::path server = other_.path() / "server";
    const std::string connection = useServerFor(server);
    PostgresDatabase db(connection, "");
    db.exec("CREATE TABLE \"PrtData\" (x integer)");
    EXPECT_THROW(copyDataFolder(dir_.path(), server), FileError);
    Statement tables = db.prepare("SELECT count(*) FROM information_schema.tables WHERE "
                                  "table_schema = current_schema()");
    ASSERT_TRUE(tables.step());
    EXPECT_EQ(tables.columnInt(0), 1) << "a half-made copy stayed on the server";

    const auto before = contents(dir_.path());
    EXPECT_THROW(copyDataFolder(server, dir_.path()), FileError); // files are never overwritten
    EXPECT_EQ(contents(dir_.path()), before);
}

// A copy killed while it moved the tables into a folder that holds other files:
// the next copy into that folder moves in the rest and says so; a copy killed
// while it wrote leaves nothing that counts.
TEST_F(CopyDataTest, AKilledCopyIsFinishedByTheNext) {
    const fs::path back = other_.path() / "back", complete = other_.path() / ".back.mivora-copy";
    copyDataFolder(dir_.path(), complete);
    fs::create_directories(back);
    std::ofstream(back / "memo.txt") << "kept";
    for (const TableDef* def : {&vehicleTable(), &digitCountTable()})
        fs::rename(tablePath(complete, *def), tablePath(back, *def));
    fs::create_directories(other_.path() / ".back.mivora-copy-part");

    EXPECT_THROW(copyDataFolder(dir_.path(), back), FileError);
    EXPECT_EQ(contents(back), contents(dir_.path()));
    EXPECT_TRUE(fs::exists(back / "memo.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(other_.path()), {}), 1) << "a folder was left";
}

} // namespace
} // namespace mivora::test
