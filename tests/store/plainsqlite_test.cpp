// The table files as other SQLite tools see them: the stock shell checks, counts
// and edits them, and the program shows those edits in its own order.

#include "sqliteshell.h"
#include "storetest.h"

#include "store/sqlite.h"
#include "text/codec.h"

#include <algorithm>

namespace mivora::test {
namespace {

// In Shift-JIS, half-width katakana (0xB1, 0xDD) sort before level-2 kanji (漾,
// 0xE0..); in Unicode, and so in the files' own byte order, they come after it.
constexpr const char* kThreeRecords =
    "INSERT INTO records (使用者ふりがな, 電話番号) VALUES ('漾', 'shell-kanji');\n"
    "INSERT INTO records (使用者ふりがな, 電話番号) VALUES ('ｱ', 'shell-kana');\n"
    "INSERT INTO records (使用者ふりがな, 電話番号) VALUES ('A', 'shell-ascii');\n";

class PlainSqliteTest : public StoreTest {
  protected:
    std::filesystem::path vehicles() const { return tableFile(vehicleTable()); }

    // The records as the program lists them: reading and telephone, UTF-8.
    std::vector<std::pair<std::string, std::string>> listed(Table& table) {
        std::vector<std::pair<std::string, std::string>> rows;
        for (table.first(); !table.eof() && table.recordCount(); table.next())
            rows.emplace_back(toUtf8(table.text(sj("使用者ふりがな"))), toUtf8(phoneOf(table)));
        return rows;
    }

    std::vector<std::string> shellPhonesInProgramOrder() {
        Table table(vehicles());
        openVehicles(table);
        std::vector<std::string> phones;
        for (const auto& [reading, phone] : listed(table))
            if (phone.starts_with("shell-"))
                phones.push_back(phone);
        return phones;
    }

    void expectShell(const std::string& sql, const std::string& output) {
        ShellResult result = runSqliteShell(vehicles(), sql);
        EXPECT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(result.output, output);
    }

    // A vehicle table as the previous version of the program made it: text
    // indexes with the program's own collation, no format version.
    void makePreviousFormat() {
        SqliteDatabase db(vehicles(), false);
        for (const IndexDef& index : vehicleTable().indexes) {
            std::string columns;
            for (const std::string& field : index.fields)
                columns += (columns.empty() ? "" : ", ") + quoteName(field) + " COLLATE CP932";
            db.exec("DROP INDEX " + quoteName(index.name));
            db.exec("CREATE INDEX " + quoteName(index.name) + " ON records (" + columns + ")");
        }
        db.exec("PRAGMA user_version = 0");
        db.exec(kThreeRecords);
    }
};

TEST_F(PlainSqliteTest, ShellChecksAndEditsAFolderTheProgramMade) {
    fillSampleData(dir_.path());
    int sampleCount = 0;
    {
        Table table(vehicles());
        openVehicles(table); // the program has had the file open
        sampleCount = table.recordCount();
    }
    const std::string count = std::to_string(sampleCount);
    expectShell("PRAGMA integrity_check;\nPRAGMA user_version;\nSELECT count(*) FROM records;\n",
                "ok\n1\n" + count + "\n");

    ShellResult deleted = runSqliteShell(
        vehicles(), std::string(kThreeRecords) +
                        "UPDATE records SET 使用者ふりがな = 'ﾝ' WHERE 電話番号 = 'shell-ascii';\n"
                        "SELECT 電話番号 FROM records WHERE rowid = 1;\n"
                        "DELETE FROM records WHERE rowid = 1;\n"
                        "PRAGMA integrity_check;\n");
    ASSERT_EQ(deleted.status, 0) << deleted.output;

    Table table(vehicles());
    openVehicles(table);
    EXPECT_EQ(table.recordCount(), sampleCount + 2);
    auto rows = listed(table);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        int order = compareAsCp932(a.first, b.first);
        return order != 0 ? order < 0 : compareAsCp932(a.second, b.second) < 0;
    }));
    const std::string deletedPhone = deleted.output.substr(0, deleted.output.find('\n'));
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(),
                             [&](const auto& row) { return row.second == deletedPhone; }));
    EXPECT_EQ(shellPhonesInProgramOrder(),
              (std::vector<std::string>{"shell-kana", "shell-ascii", "shell-kanji"}));
}

TEST_F(PlainSqliteTest, RecordsTheProgramWritesAreReadByTheShell) {
    Table table(vehicles());
    openVehicles(table);
    addVehicle(table, "ﾔﾏﾀﾞ", "03-1", "山田　太郎");
    table.setText(sj("使用者"), sj("髙橋"));
    table.post();
    expectShell(".mode list\nSELECT 使用者ふりがな, 使用者 FROM records;\n", "ﾔﾏﾀﾞ|髙橋\n");
}

TEST_F(PlainSqliteTest, PreviousFormatIsConvertedAtTheFirstOpen) {
    makePreviousFormat();
    ShellResult before = runSqliteShell(vehicles(), "PRAGMA integrity_check;\n");
    EXPECT_NE(before.output.find("no such collation sequence: CP932"), std::string::npos)
        << before.output;

    {
        Table table(vehicles());
        openVehicles(table);
        EXPECT_EQ(table.recordCount(), 3);
        EXPECT_EQ(listed(table),
                  (std::vector<std::pair<std::string, std::string>>{
                      {"A", "shell-ascii"}, {"ｱ", "shell-kana"}, {"漾", "shell-kanji"}}));
        table.setIndexName(sj("電話番号順"));
        table.first();
        EXPECT_EQ(phoneOf(table), "shell-ascii");
    }
    expectShell("PRAGMA integrity_check;\nPRAGMA user_version;\n"
                "SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name;\n"
                "SELECT count(*) FROM sqlite_master WHERE sql LIKE '%COLLATE%';\n"
                "UPDATE records SET 電話番号 = 'shell-edited' WHERE 電話番号 = 'shell-kana';\n"
                "SELECT count(*) FROM records;\n",
                "ok\n1\nprimary\n登録番号順\n車台番号順\n電話番号順\n0\n3\n");

    // A dump of the converted file loads into a new file with the stock shell.
    TempDir scratch;
    const std::string dump = pathText(scratch.path() / "dump.sql");
    ASSERT_EQ(runSqliteShell(vehicles(), ".output '" + dump + "'\n.dump\n").status, 0);
    const std::filesystem::path copy = scratch.path() / "INDATA.db";
    ShellResult loaded =
        runSqliteShell(copy, ".read '" + dump + "'\nSELECT count(*) FROM records;\n");
    EXPECT_EQ(loaded.output, "3\n");
    Table reopened(copy);
    openVehicles(reopened);
    EXPECT_EQ(reopened.recordCount(), 3);
}

} // namespace
} // namespace mivora::test
