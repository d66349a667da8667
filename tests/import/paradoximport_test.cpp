// Moving in from an old installation: Paradox tables written by the tests' own
// writer (support/paradoxwriter.h), imported, and read back through the program's
// tables.

#include "import/paradoximport.h"
#include "platform/files.h"
#include "session/session.h"
#include "store/datafolder.h"
#include "store/table.h"
#include "support/paradoxwriter.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>

namespace mivora {
namespace {

namespace fs = std::filesystem;
using test::paradoxAlpha;
using test::ParadoxCell;
using test::ParadoxColumn;
using test::paradoxDate;
using test::paradoxLong;
using test::paradoxNumber;
using test::paradoxShort;
using Rows = std::vector<std::vector<std::string>>;

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// Every file under a folder with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = readBytes(entry.path());
    return files;
}

Rows rowsOf(const fs::path& file) {
    Table table(file);
    table.open();
    Rows rows;
    table.forEach([&](const std::vector<std::string>& row) { rows.push_back(row); });
    return rows;
}

// Vehicles as offices key them: readings in half-width kana, names whose second
// bytes are 0x5C (ソ, 表, 能), empty fields, pairs of vehicles that share a reading.
void addVehicles(const fs::path& dataFolder, int count) {
    Table vehicles(tablePath(dataFolder, vehicleTable()));
    vehicles.open();
    const std::string readings[] = {sj("ｿｳﾏ ﾋｮｳ"), sj("ﾉｳﾐ ｿｳ"), sj("ｱｵｷ ﾊﾙｶ")};
    vehicles.transaction([&] {
        for (int i = 0; i < count; ++i) {
            std::vector<std::string> values(vehicleFieldNames().size());
            for (std::size_t f = 0; f < values.size(); ++f)
                values[f] = f % 7 == 3 ? "" : sj("ソ表能") + std::to_string(i * 31 % 97 + f);
            values[0] = readings[i % 3];
            values[1] = "03-" + std::to_string(5000 - i);
            vehicles.insertRecord(values);
        }
    });
}

class ParadoxImportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        createTables(source());
        fillSampleData(source());
        addVehicles(source(), 300);
        test::writeParadoxFolder(source(), oldTables());
        writeBytes(oldFolder() / "User.INI", sj("東京都港区\r\n表示能力\r\n"));
        writeBytes(oldFolder() / "CarNo.INI", sj("品川\r\n足立\r\n"));
        writeBytes(oldFolder() / "Form.BMP", std::string("BM\0\x5c\xff", 5));
        writeBytes(pathOf(oldFolder(), "車検証様式.jpg"), std::string("\xff\xd8\xff\xe0\0\x10", 6));
        writeBytes(oldFolder() / "Mivora.INI", "1\r\n");
        writeBytes(oldFolder() / "Mivora.exe", "MZ");
        writeBytes(oldFolder() / "Tessaly.exe", "MZ\x90");
        writeBytes(oldFolder() / "KEN_ALL.CSV", sj("13101,\"100  \",\"1000000\"\r\n"));
    }

    // The same records in this program's tables: what the import must give.
    fs::path source() const { return dir_.path() / "source"; }
    fs::path oldFolder() const { return dir_.path() / "old"; }
    fs::path oldTables() const { return oldFolder() / "CARDATA"; }
    fs::path newFolder() const { return dir_.path() / "new"; }
    fs::path newTable(const TableDef& def) const { return tablePath(newFolder() / "CARDATA", def); }

    ImportReport import() { return importParadox({oldFolder(), newFolder(), {}}); }

    test::TempDir dir_;
};

TEST_F(ParadoxImportTest, EveryValueOfEveryTableArrivesAsItWas) {
    ImportReport report = import();

    ASSERT_EQ(report.tables.size(), 6u);
    for (std::size_t i = 0; i < allTables().size(); ++i) {
        const TableDef& def = *allTables()[i];
        Rows expected = rowsOf(tablePath(source(), def));
        EXPECT_EQ(rowsOf(newTable(def)), expected) << def.file;
        EXPECT_EQ(report.tables[i].file, def.file);
        EXPECT_EQ(report.tables[i].read, static_cast<int>(expected.size())) << def.file;
        EXPECT_EQ(report.tables[i].written, static_cast<int>(expected.size())) << def.file;
        EXPECT_TRUE(report.tables[i].skippedFields.empty()) << def.file;
        EXPECT_TRUE(report.tables[i].emptyFields.empty()) << def.file;
    }
    // What the comparison above covers: 0x5C second bytes, half-width kana, empty
    // texts, flags both ways, layouts with all 60 slots.
    Table vehicles(newTable(vehicleTable()));
    vehicles.open();
    EXPECT_EQ(vehicles.text(sj("使用者ふりがな")), sj("ｱｵｷ ﾊﾙｶ"));
    EXPECT_EQ(vehicles.text(sj("車台番号")).substr(0, 6), "\x83\x5c\x95\x5c\x94\x5c");
    EXPECT_EQ(vehicles.text(sj("使用者住所")), "");
    Table layouts(newTable(layoutTable()));
    layouts.open();
    EXPECT_EQ(layouts.text(sj("連続印刷")), "False");
    EXPECT_EQ(layouts.text(sj("印刷フォームの印刷")), "True");
    EXPECT_EQ(layouts.fields().size(), 250u);
}

TEST_F(ParadoxImportTest, SettingsFilesAndFormImagesAreCopiedAsTheyAre) {
    ImportReport report = import();

    EXPECT_EQ(report.copiedFiles,
              (std::vector<std::string>{"CarNo.INI", "Form.BMP", "KEN_ALL.CSV", "Tessaly.exe",
                                        "User.INI", "車検証様式.jpg"}));
    for (const std::string& name : report.copiedFiles)
        EXPECT_EQ(readBytes(pathOf(newFolder(), name)), readBytes(pathOf(oldFolder(), name)));
    // The sibling's one-shot request would print at the first start.
    EXPECT_FALSE(fs::exists(newFolder() / "Mivora.INI"));
    EXPECT_FALSE(fs::exists(newFolder() / "Mivora.exe"));
}

TEST_F(ParadoxImportTest, OldFolderStaysByteForByteTheSame) {
    auto before = snapshot(oldFolder());
    import();
    EXPECT_EQ(snapshot(oldFolder()), before);
}

TEST_F(ParadoxImportTest, ProgramListsImportedVehiclesByReadingThenTelephone) {
    Rows expected = rowsOf(tablePath(source(), vehicleTable()));
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
        return std::lexicographical_compare(a.begin(), a.begin() + 14, b.begin(), b.begin() + 14);
    });
    import();

    Session session(ProgramSettings{}, newFolder() / "CARDATA");
    session.openMainTables();
    Rows listed;
    for (session.vehicles.first(); !session.vehicles.eof(); session.vehicles.next())
        listed.push_back(
            {session.vehicles.text(sj("使用者ふりがな")), session.vehicles.text(sj("電話番号"))});
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_EQ(listed[i], (std::vector<std::string>{expected[i][0], expected[i][1]})) << i;
}

std::vector<ParadoxColumn> numbered(const std::string& prefix, int count, int type, int length) {
    std::vector<ParadoxColumn> columns;
    for (int i = 1; i <= count; ++i)
        columns.push_back({prefix + std::to_string(i), type, length});
    return columns;
}

TEST_F(ParadoxImportTest, ReportNamesFieldsSkippedAndFieldsLeftEmpty) {
    std::vector<ParadoxColumn> freeColumns = numbered("項目", kSlotCount, paradoxAlpha, 40);
    freeColumns.push_back({"旧メモ", paradoxAlpha, 20});
    {
        test::ParadoxWriter freeData(oldTables() / "PrtFreeData.DB", freeColumns);
        std::vector<ParadoxCell> row(freeColumns.size());
        row[0] = sj("?車名");
        row[60] = sj("取り込まない");
        freeData.add(row);
        std::vector<ParadoxColumn> countColumns = {{"データ用途", paradoxAlpha, 20}};
        for (const std::string& name : vehicleFieldNames())
            countColumns.push_back({name, paradoxShort, 2});
        test::ParadoxWriter counts(oldTables() / "INDTLEN.db", countColumns);
        std::vector<ParadoxCell> counted(countColumns.size(), ParadoxCell(12L));
        counted[0] = sj("住所録");
        counts.add(counted);
        test::ParadoxWriter expense(oldTables() / "Expense.DB", {{"仮ナンバー", paradoxLong, 4}});
    }

    std::vector<std::string> lines = reportLines(import());

    EXPECT_EQ(lines[1], "INDTLEN.db: 1 件を読み込み、1 件を書き込みました。");
    EXPECT_EQ(lines[2], "  元のテーブルにない項目 (空のままです): 郵便番号");
    EXPECT_EQ(lines[4], "PrtFreeData.DB: 1 件を読み込み、1 件を書き込みました。");
    EXPECT_EQ(lines[5], "  このプログラムにない項目 (取り込みません): 旧メモ");
    EXPECT_EQ(lines[6], "Expense.DB: 0 件を読み込み、0 件を書き込みました。");
    EXPECT_EQ(lines.back(),
              "コピーしたファイル (6 件): CarNo.INI、Form.BMP、KEN_ALL.CSV、Tessaly.exe、"
              "User.INI、車検証様式.jpg");
    Table counts(newTable(digitCountTable()));
    counts.open();
    EXPECT_EQ(counts.text(sj("データ用途")), sj("住所録"));
    EXPECT_EQ(counts.text(sj("自賠責期間至")), "12");
    EXPECT_EQ(counts.text(sj("郵便番号")), "");
    Table freeData(newTable(freeDataTable()));
    freeData.open();
    EXPECT_EQ(freeData.text(sj("項目1")), sj("?車名"));
    EXPECT_EQ(rowsOf(newTable(expenseTable())).size(), 0u);
}

// A paper width kept in fields of other types, as older tables may hold it.
TEST_F(ParadoxImportTest, NumbersOfEveryKindBecomeIntegers) {
    struct Case {
        const char* what;
        int type;
        int length;
        ParadoxCell stored;
        std::string imported;
    };
    const Case cases[] = {
        {"short", paradoxShort, 2, 210L, "210"},
        {"negative short", paradoxShort, 2, -3L, "-3"},
        {"long", paradoxLong, 4, 100000L, "100000"},
        {"negative long", paradoxLong, 4, -100000L, "-100000"},
        {"number, half rounds to even", paradoxNumber, 8, 210.5, "210"},
        {"number, other half", paradoxNumber, 8, 211.5, "212"},
        {"negative number", paradoxNumber, 8, -211.5, "-212"},
        {"alpha digits", paradoxAlpha, 10, std::string(" 297"), "297"},
        {"empty", paradoxLong, 4, ParadoxCell(), ""},
    };
    int run = 0;
    for (const Case& c : cases) {
        {
            test::ParadoxWriter layouts(
                oldTables() / "PrtData.DB",
                {{"印刷名", paradoxAlpha, 20}, {"印刷サイズＸ", c.type, c.length}});
            layouts.add({sj("車検証"), c.stored});
        }
        fs::path target = dir_.path() / ("new" + std::to_string(++run));
        importParadox({oldFolder(), target, {}});
        Table layouts(tablePath(target / "CARDATA", layoutTable()));
        layouts.open();
        EXPECT_EQ(layouts.text(sj("印刷サイズＸ")), c.imported) << c.what;
        EXPECT_EQ(layouts.text(sj("印刷名")), sj("車検証")) << c.what;
    }
}

std::string messageOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const FileError& error) {
        return error.what();
    }
    return "(no FileError)";
}

void patch(const fs::path& file, std::size_t at, const std::string& bytes) {
    std::string content = readBytes(file);
    content.replace(at, bytes.size(), bytes);
    writeBytes(file, content);
}

unsigned headerSize(const fs::path& file) {
    std::string content = readBytes(file);
    return static_cast<unsigned char>(content[2]) | static_cast<unsigned char>(content[3]) << 8;
}

TEST_F(ParadoxImportTest, DamagedTableEndsWithMessageNamingItAndWritesNothing) {
    struct Case {
        const char* what;
        const char* file;
        std::function<void(const fs::path&)> damage;
        const char* reason;
    };
    const Case cases[] = {
        {"truncated in a block", "INDATA.db",
         [](const fs::path& f) { fs::resize_file(f, fs::file_size(f) - 1000); }, "ブロック"},
        {"truncated in the header", "PrtData.DB", [](const fs::path& f) { fs::resize_file(f, 40); },
         "ヘッダーの途中"},
        {"a table of this program under the old name", "INDATA.db",
         [this](const fs::path& f) {
             EXPECT_TRUE(copyFile(tablePath(source(), vehicleTable()), f));
         },
         "Paradox のテーブルではありません"},
        {"protected by a password", "PrtData.DB",
         [](const fs::path& f) { patch(f, 0x5C, "\x5a\x17\x3c\x91"); }, "パスワードで保護"},
        {"protected by a password in a header before version 5", "PrtData.DB",
         [](const fs::path& f) {
             patch(f, 0x39, "\x04");
             patch(f, 0x25, "\x5a\x17\x3c\x91");
         },
         "パスワードで保護"},
        {"an SQLite table never written, which is empty", "INDATA.db",
         [](const fs::path& f) { fs::resize_file(f, 0); }, "Paradox のテーブルではありません"},
        {"a table of this program cut short within a header's length", "INDATA.db",
         [this](const fs::path& f) {
             writeBytes(f, readBytes(tablePath(source(), vehicleTable())).substr(0, 60));
         },
         "Paradox のテーブルではありません"},
        {"not a number in a number field", "Expense.DB",
         [](const fs::path& f) {
             test::ParadoxWriter(f, {{"諸費用乗用1", paradoxNumber, 8}}).add({1.0});
             // A quiet NaN as the file keeps it.
             patch(f, headerSize(f) + 6, std::string("\xff\xf8\0\0\0\0\0\0", 8));
         },
         "レコード 1 の項目「諸費用乗用1」の値は数ではありません"},
        {"record count beyond the file", "INDATA.db",
         [](const fs::path& f) { patch(f, 6, std::string("\x10\x27\0\0", 4)); }, "レコード数"},
        {"unknown field type", "PrtFreeData.DB", [](const fs::path& f) { patch(f, 0x78, "\x30"); },
         "型 48"},
        {"block chain in a ring", "INDATA.db",
         [](const fs::path& f) { patch(f, headerSize(f), std::string("\x01\0", 2)); }, "輪"},
        {"table missing", "WeightTax.DB", [](const fs::path& f) { fs::remove(f); },
         "ファイルまたはフォルダがありません"},
        {"date where a number belongs", "Expense.DB",
         [](const fs::path& f) {
             test::ParadoxWriter(f, {{"仮ナンバー", paradoxDate, 4}});
         },
         "項目「仮ナンバー」の型 (日付)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::path damaged = oldTables() / c.file;
        fs::path saved = dir_.path() / "saved";
        ASSERT_TRUE(copyFile(damaged, saved));
        c.damage(damaged);
        auto before = snapshot(oldFolder());

        std::string message = messageOf([&] { import(); });

        EXPECT_NE(message.find(pathText(damaged)), std::string::npos) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_FALSE(fs::exists(newFolder()));
        EXPECT_EQ(snapshot(oldFolder()), before);
        for (const auto& entry : fs::directory_iterator(dir_.path()))
            EXPECT_EQ(entry.path().filename().string().find("import"), std::string::npos);
        ASSERT_TRUE(copyFile(saved, damaged));
    }
}

TEST_F(ParadoxImportTest, RefusesTargetThatHoldsTablesOrLiesInTheOldFolder) {
    fs::create_directories(newFolder() / "CARDATA");
    writeBytes(newFolder() / "CARDATA" / "indata.DB", "keep");

    EXPECT_NE(messageOf([&] { import(); }).find("既にあります"), std::string::npos);
    EXPECT_EQ(readBytes(newFolder() / "CARDATA" / "indata.DB"), "keep");

    auto before = snapshot(oldFolder());
    EXPECT_NE(messageOf([&] {
                  importParadox({oldFolder(), oldFolder() / "new", {}});
              }).find("元のフォルダの中"),
              std::string::npos);
    EXPECT_EQ(snapshot(oldFolder()), before);

    const fs::path file = dir_.path() / "file";
    writeBytes(file, "keep");
    EXPECT_EQ(messageOf([&] {
                  importParadox({oldFolder(), file, {}});
              }),
              "取り込み先 " + pathText(file) +
                  " には書き込みません。(フォルダではなくファイルです)");
    EXPECT_EQ(readBytes(file), "keep");
}

// A run killed while it wrote its work folder, or while it moved the work into an
// existing target, is tidied or finished by the next run into the same folder.
TEST_F(ParadoxImportTest, NextRunRemovesOrFinishesWhatAKilledRunLeft) {
    // What a complete run gives, moved into a work folder as a killed run left it
    // halfway through its moves into the empty folder newFolder().
    const fs::path complete = dir_.path() / "complete";
    importParadox({oldFolder(), complete, {}});
    const auto expected = snapshot(complete);
    const fs::path finishing = dir_.path() / ".mivora-import-0000dead";
    fs::create_directories(finishing);
    writeBytes(finishing / "lock", "");
    writeBytes(finishing / "journal", pathText(newFolder()));
    fs::rename(complete, finishing / "new");
    fs::create_directories(newFolder() / "CARDATA");
    for (const char* moved : {"INDATA.db", "INDTLEN.db", "PrtData.DB", "PrtFreeData.DB"})
        fs::rename(finishing / "new" / "CARDATA" / moved, newFolder() / "CARDATA" / moved);
    // A run killed before it moved anything, one of an earlier version, and one
    // still going on (holding its lock).
    const fs::path killed = dir_.path() / ".mivora-import-0000beef";
    fs::create_directories(killed / "new" / "CARDATA");
    writeBytes(killed / "lock", "");
    const fs::path earlier = dir_.path() / ".new.import-1234567";
    fs::create_directories(earlier);
#ifndef _WIN32 // Windows' C library sets no time on a folder
    fs::last_write_time(earlier, fs::file_time_type::clock::now() - std::chrono::hours(1));
#endif
    const fs::path running = dir_.path() / ".mivora-import-0000cafe";
    fs::create_directories(running);
    writeBytes(running / "lock", "");
    OpenFile lock(running / "lock", OpenFile::Mode::Keep);
    ASSERT_TRUE(lock.tryLock());

    EXPECT_NE(messageOf([&] { import(); }).find("その続きを済ませました"), std::string::npos);
#ifndef _WIN32 // a name near 255 bytes; Windows limits the whole path to 260 characters
    // A name near the limit: the work folder's name does not grow with it.
    const fs::path longName = dir_.path() / std::string(242, 'n');
    importParadox({oldFolder(), longName, {}});
    EXPECT_EQ(snapshot(longName), expected);
#endif

    EXPECT_EQ(snapshot(newFolder()), expected);
    EXPECT_FALSE(fs::exists(finishing));
    EXPECT_FALSE(fs::exists(killed));
#ifndef _WIN32
    EXPECT_FALSE(fs::exists(earlier));
#endif
    EXPECT_TRUE(fs::exists(running / "lock"));
    lock.close();
}

TEST_F(ParadoxImportTest, IntoFolderThatHoldsOtherFilesKeepsThem) {
    fs::create_directories(newFolder());
    writeBytes(newFolder() / "ken_all.csv", "postal");

    import();

    EXPECT_EQ(readBytes(newFolder() / "ken_all.csv"), "postal");
    EXPECT_FALSE(test::spelledOnDisk(newFolder() / "KEN_ALL.CSV"));
    EXPECT_EQ(rowsOf(newTable(vehicleTable())), rowsOf(tablePath(source(), vehicleTable())));
}

TEST_F(ParadoxImportTest, CancelledImportLeavesNothing) {
    int reports = 0;
    EXPECT_THROW(
        importParadox({oldFolder(), newFolder(), {}}, [&](int, int) { return ++reports < 2; }),
        Cancelled);
    EXPECT_FALSE(fs::exists(newFolder()));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 2);
}

TEST_F(ParadoxImportTest, OldTablesAreRecognisedByTheirHeaderWhateverTheirName) {
    EXPECT_TRUE(holdsParadoxTables(oldTables()));
    fs::rename(oldTables() / "INDATA.db", oldTables() / "indata.DB");
    EXPECT_TRUE(holdsParadoxTables(oldTables()));
    EXPECT_FALSE(holdsParadoxTables(source())); // this program's own tables
    EXPECT_FALSE(holdsParadoxTables(dir_.path() / "nowhere"));

    // The data folder as Windows lets it be spelled.
    fs::rename(oldTables(), oldFolder() / "CarData");
    import();
    EXPECT_EQ(rowsOf(newTable(vehicleTable())), rowsOf(tablePath(source(), vehicleTable())));
}

} // namespace
} // namespace mivora
