#include "storetest.h"

#include "text/codec.h"
#include "text/errors.h"

#include <csignal>
#include <fstream>
#include <functional>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace mivora::test {
namespace {

class TableTest : public EngineTest {};
class TableFileTest : public StoreTest {};

std::vector<std::string> phonesInOrder(Table& table) {
    std::vector<std::string> phones;
    for (table.first(); !table.eof(); table.next())
        phones.push_back(StoreTest::phoneOf(table));
    return phones;
}

// What a clerk reads when a table cannot be used: a Japanese sentence naming the
// file, the engine's own words in parentheses.
TEST_F(TableFileTest, FailuresNameTheTableFileInJapanese) {
    struct FailureCase {
        const char* what;
        std::function<void(const std::filesystem::path&)> spoil;
        const char* sentence;
    };
    const FailureCase cases[] = {
        {"damaged",
         [](const std::filesystem::path& file) {
             std::ofstream(file, std::ios::binary) << std::string(4096, 'x');
         },
         " のファイルが壊れています ("},
        {"missing", [](const std::filesystem::path& file) { std::filesystem::remove(file); },
         " が見つかりません。"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path file = tableFile(digitCountTable());
        c.spoil(file);
        Table table(file);
        try {
            table.open();
            ADD_FAILURE() << "opened";
        } catch (const DatabaseError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("INDTLEN.db" + std::string(c.sentence)), std::string::npos)
                << message;
        }
    }
}

TEST_P(TableTest, SameReadingIsOrderedByTelephone) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ﾔﾏﾀﾞ", "03-2");
    addVehicle(table, "ﾔﾏﾀﾞ", "03-1");
    addVehicle(table, "ｱｵｷ", "09-9");
    EXPECT_EQ(phonesInOrder(table), (std::vector<std::string>{"09-9", "03-1", "03-2"}));
}

TEST_P(TableTest, OrderFollowsShiftJisBytes) {
    // In Shift-JIS, half-width katakana (0xA1-0xDF) sort after level-1 kanji (0x88-0x9F)
    // and before level-2 kanji (0xE0-); Unicode order would put them last.
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ｱ", "kana");
    addVehicle(table, "亜", "kanji1"); // 0x889F
    addVehicle(table, "弌", "kanji2"); // 0x9840: still below 0xA1
    addVehicle(table, "漾", "kanji3"); // 0xE0xx
    addVehicle(table, "A", "ascii");
    EXPECT_EQ(phonesInOrder(table),
              (std::vector<std::string>{"ascii", "kanji1", "kanji2", "kana", "kanji3"}));
}

TEST_P(TableTest, PostKeepsTheCursorOnTheMovedRecord) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    for (const char* phone : {"1", "2", "3", "4", "5"})
        addVehicle(table, "ｶ", phone);
    table.setRecNo(2);
    table.setText(sj("電話番号"), "9");
    EXPECT_EQ(table.state(), TableState::Edit);
    table.post();
    EXPECT_EQ(table.state(), TableState::Browse);
    EXPECT_EQ(table.recNo(), 5);
    EXPECT_EQ(phoneOf(table), "9");
    EXPECT_EQ(phonesInOrder(table), (std::vector<std::string>{"1", "3", "4", "5", "9"}));
}

TEST_P(TableTest, CancelRestoresAndInsertPlacesByOrder) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ｶ", "1");
    addVehicle(table, "ｶ", "3");
    table.first();
    table.setText(sj("電話番号"), "7");
    table.cancel();
    EXPECT_EQ(phoneOf(table), "1");

    table.insert();
    EXPECT_EQ(table.state(), TableState::Insert);
    table.setText(sj("使用者ふりがな"), sj("ｶ"));
    table.setText(sj("電話番号"), "2");
    table.post();
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(table.recordCount(), 3);
}

TEST_P(TableTest, MovingPostsAPendingEdit) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ｱ", "1");
    addVehicle(table, "ｲ", "2");
    table.first();
    table.setText(sj("使用者"), sj("青木"));
    table.next();
    table.first();
    EXPECT_EQ(toUtf8(table.text(sj("使用者"))), "青木");
}

TEST_P(TableTest, RecordNumbersAndEnds) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.recNo(), 0);
    for (const char* phone : {"1", "2", "3"})
        addVehicle(table, "ｶ", phone);
    table.setRecNo(99);
    EXPECT_EQ(table.recNo(), 3);
    table.next();
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.recNo(), 3);
    table.setRecNo(-4);
    EXPECT_EQ(table.recNo(), 1);
    table.remove();
    EXPECT_EQ(table.recordCount(), 2);
    EXPECT_EQ(phoneOf(table), "2");
}

TEST_P(TableTest, IntegerFieldsRefuseTextAndReadEmptyAsZero) {
    Table table(tableFile(layoutTable()));
    table.open();
    table.append();
    EXPECT_EQ(table.integer(sj("Ｘ座標1")), 0);
    EXPECT_THROW(table.setText(sj("Ｘ座標1"), "12a"), ConversionError);
    EXPECT_EQ(table.state(), TableState::Insert);
    table.setText(sj("Ｘ座標1"), " 120 ");
    table.setFlag(sj("連続印刷"), true);
    table.post();
    EXPECT_EQ(table.integer(sj("Ｘ座標1")), 120);
    EXPECT_EQ(table.text(sj("連続印刷")), "True");
    EXPECT_EQ(table.text(sj("印刷フォームの印刷")), "False");

    table.edit();
    EXPECT_THROW(table.setText(sj("Ｙ座標1"), sj("１２")), ConversionError);
    EXPECT_EQ(table.state(), TableState::Edit);
}

TEST_P(TableTest, TextsKeepEveryByte) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    std::string odd = std::string("\xED\x40\x87\x90\x80\xFD\0", 7) + "\x82";
    std::string address; // longer than any index of the server takes
    for (int i = 0; i < 1500; ++i)
        address += sj("東");
    table.append();
    table.setText(sj("備考"), odd);
    table.setText(sj("使用者住所"), address);
    table.post();
    table.close();
    openVehicles(table);
    EXPECT_EQ(table.text(sj("備考")), odd);
    EXPECT_EQ(table.text(sj("使用者住所")), address);
}

TEST_P(TableTest, MissingTablesAndFieldsAreClearErrors) {
    Table missing(dir_.path() / "NOTHERE.db");
    EXPECT_THROW(missing.open(), DatabaseError);
    Table table(tableFile(freeDataTable()));
    table.open();
    EXPECT_THROW(table.text(sj("項目61")), DatabaseError);
    EXPECT_THROW(table.setText(sj("ない"), "x"), DatabaseError);
}

TEST_P(TableTest, NamedIndexesAndAnUnknownName) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    auto add = [&](const char* reading, const char* chassis) {
        table.append();
        table.setText(sj("使用者ふりがな"), sj(reading));
        table.setText(sj("車台番号"), chassis);
        table.post();
    };
    add("ｱ", "Z-1");
    add("ｲ", "A-1");
    table.setIndexName(sj("車台番号順"));
    table.first();
    EXPECT_EQ(table.text(sj("車台番号")), "A-1");
    EXPECT_THROW(table.setIndexName(sj("ない索引")), DatabaseError);
    table.first();
    EXPECT_EQ(table.text(sj("車台番号")), "Z-1"); // the primary order again
}

TEST_P(TableTest, TransactionRollsBackEverything) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ｱ", "1");
    EXPECT_THROW(table.transaction([&] {
        table.removeAll();
        addVehicle(table, "ｲ", "2");
        throw FileError("disk full");
    }),
                 FileError);
    EXPECT_EQ(phonesInOrder(table), (std::vector<std::string>{"1"}));
}

// The file cannot grow (as on a full disk) while a restore writes: the engine ends
// the transaction itself, and the clerk reads of the failed write, not that
// rolling back failed.
#ifndef _WIN32 // a full disk is made by the file size limit, which Windows lacks
TEST_F(TableFileTest, AFullDiskInATransactionIsTheErrorReported) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ｱ", "1");
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto signalBefore = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 256 * 1024; // bytes a file may grow to: the disk is full
    std::string message;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
        table.loadTransaction([&] {
            // More than the engine keeps in memory before it writes to the file.
            for (int i = 0; i < 2000; ++i)
                addVehicle(table, "ｲ", std::string(200, 'x').c_str(),
                           std::string(800, 'y').c_str());
        });
    } catch (const DatabaseError& error) {
        message = error.what();
    }
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, signalBefore);
    EXPECT_NE(message.find("INDATA.db の読み書きに失敗しました"), std::string::npos) << message;
    table.refresh();
    EXPECT_EQ(phonesInOrder(table), (std::vector<std::string>{"1"}));
}
#endif

TEST_P(TableTest, FilterLimitsTheViewAndDeletion) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ｱ", "03-1", "東京");
    addVehicle(table, "ｲ", "06-1", "大阪");
    addVehicle(table, "ｳ", "03-2", "東京");
    table.setFilter("[" + sj("電話番号") + "] = '03*'");
    table.setFiltered(true);
    EXPECT_EQ(table.recordCount(), 2);

    table.first();
    table.setText(sj("電話番号"), "06-9"); // leaves the filter
    table.post();
    EXPECT_EQ(table.recordCount(), 1);

    table.removeAll();
    table.setFiltered(false);
    EXPECT_EQ(phonesInOrder(table), (std::vector<std::string>{"06-9", "06-1"}));
}

TEST_P(TableTest, FilterComparesTextsAsShiftJisBytes) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ｱ", "kana");    // 0xB1, but U+FF71 in Unicode
    addVehicle(table, "漾", "kanji3"); // 0xE0xx, but U+6F3E
    // Bytes without a character and the user-defined area: stored all the same.
    for (auto [reading, phone] : {std::pair{"\x80\x41", "byte"}, std::pair{"\xF0\x40", "user"},
                                  std::pair{"\xFD", "undefined"}}) {
        table.append();
        table.setText(sj("使用者ふりがな"), reading);
        table.setText(sj("電話番号"), phone);
        table.post();
    }
    table.setFilter("[" + sj("使用者ふりがな") + "] < '" + sj("漾") + "'");
    table.setFiltered(true);
    EXPECT_EQ(phonesInOrder(table), (std::vector<std::string>{"byte", "kana"}));
    table.setFilter("[" + sj("使用者ふりがな") + "] > '" + sj("漾") + "'");
    EXPECT_EQ(phonesInOrder(table), (std::vector<std::string>{"user", "undefined"}));
}

TEST_P(TableTest, FilterThatDoesNotParseLeavesTheTableUnfiltered) {
    Table table(tableFile(vehicleTable()));
    openVehicles(table);
    addVehicle(table, "ｱ", "1");
    addVehicle(table, "ｲ", "2");
    table.setFiltered(true);
    EXPECT_THROW(table.setFilter(sj("電話番号") + " = '1' ; DROP TABLE records"), DatabaseError);
    EXPECT_FALSE(table.filtered());
    EXPECT_EQ(table.recordCount(), 2);
}

INSTANTIATE_ON_BOTH_ENGINES(TableTest);

} // namespace
} // namespace mivora::test
