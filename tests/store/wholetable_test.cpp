// A whole vehicle table at once, as backup reads it and restore writes it:
// hundreds of records whose list order is not the order they were entered in.

#include "sqliteshell.h"
#include "storetest.h"

#include "text/errors.h"

#include <cstdio>

namespace mivora::test {
namespace {

constexpr int kVehicles = 2600; // forEach reads and converts them in several batches

class WholeTable : public StoreTest {
  protected:
    explicit WholeTable(Engine engine) : StoreTest(engine) {
        openVehicles(table_);
        // Entered from the end of the list order to its start, so that the row ids
        // run against the order; every third an Osaka number, for a filter.
        table_.transaction([&] {
            for (int i = kVehicles; i > 0; --i)
                table_.insertRecord({sj("ﾃｽﾄ"), phone(i)});
        });
        table_.refresh();
    }

    static std::string phone(int i) {
        char text[16];
        std::snprintf(text, sizeof text, "%s-%04d", i % 3 ? "03" : "06", i);
        return text;
    }

    std::vector<std::string> walked() {
        std::vector<std::string> phones;
        for (table_.first(); !table_.eof() && table_.recordCount(); table_.next())
            phones.push_back(phoneOf(table_));
        return phones;
    }

    std::vector<std::string> visited() {
        std::vector<std::string> phones;
        const int field = table_.fieldIndex(sj("電話番号"));
        table_.forEach([&](const std::vector<std::string>& row) { phones.push_back(row[field]); });
        return phones;
    }

    std::string shell(const std::string& sql) {
        ShellResult result = runSqliteShell(tableFile(vehicleTable()), sql);
        EXPECT_EQ(result.status, 0) << result.output;
        return result.output;
    }

    std::string schema() {
        return shell("SELECT type, name, sql FROM sqlite_master ORDER BY name;");
    }

    Table table_{tableFile(vehicleTable())};
};

class WholeTableTest : public WholeTable, public ::testing::WithParamInterface<Engine> {
  protected:
    WholeTableTest() : WholeTable(GetParam()) {}
};

class WholeTableFileTest : public WholeTable {
  protected:
    WholeTableFileTest() : WholeTable(Engine::Sqlite) {}
};

TEST_P(WholeTableTest, ForEachVisitsTheViewInItsOwnOrder) {
    struct View {
        const char* what;
        std::function<void(Table&)> choose;
        std::size_t count;
    };
    const View views[] = {
        {"list order", [](Table&) {}, kVehicles},
        {"order of entry", [](Table& t) { t.setIndexName(""); }, kVehicles},
        // Every third record: far apart in the file.
        {"filtered to Osaka",
         [](Table& t) {
             t.setFilter("[" + sj("電話番号") + "] = '06*'");
             t.setFiltered(true);
         },
         kVehicles / 3},
        // Two of three: close together, with records of other views between them.
        {"filtered to Tokyo",
         [](Table& t) {
             t.setFilter("[" + sj("電話番号") + "] = '03*'");
             t.setFiltered(true);
         },
         kVehicles - kVehicles / 3},
    };
    for (const View& view : views) {
        SCOPED_TRACE(view.what);
        view.choose(table_);
        const auto phones = walked();
        EXPECT_EQ(phones.size(), view.count);
        EXPECT_EQ(visited(), phones);
    }
}

TEST_P(WholeTableTest, ForEachShowsTheTableAsItWasWhenTheVisitsBegan) {
    Table other(tableFile(vehicleTable()));
    openVehicles(other);
    // Visited after the reading (the list runs against the order of entry), and
    // while reading (in the order of entry).
    for (bool inOrderOfEntry : {false, true}) {
        SCOPED_TRACE(inOrderOfEntry);
        if (inOrderOfEntry)
            table_.setIndexFieldNames({});
        other.setRecNo(kVehicles - 10); // visited long after the first
        const std::string deleted = phoneOf(other);
        const std::vector<std::string> expected = walked();

        std::vector<std::string> phones;
        const int field = table_.fieldIndex(sj("電話番号"));
        table_.forEach([&](const std::vector<std::string>& row) {
            if (phones.empty())
                other.remove();
            phones.push_back(row[field]);
        });
        EXPECT_EQ(phones, expected);

        std::vector<std::string> after = expected;
        std::erase(after, deleted);
        EXPECT_EQ(visited(), after);
    }
}

TEST_F(WholeTableFileTest, LoadingKeepsTheSchemaAndIndexesOrRollsBackWhole) {
    const std::string before = schema();
    const auto listed = walked();

    EXPECT_THROW(table_.loadTransaction([&] {
        table_.removeAll();
        table_.insertRecord({sj("ﾃｽﾄ"), "half"});
        throw FileError("disk full");
    }),
                 FileError);
    EXPECT_EQ(schema(), before);
    EXPECT_EQ(walked(), listed);

    table_.loadTransaction([&] {
        table_.removeAll();
        for (int i = 1; i <= kVehicles; ++i)
            table_.insertRecord({sj("ﾘｽﾄｱ"), phone(i)});
    });
    table_.refresh();
    EXPECT_EQ(schema(), before);
    EXPECT_EQ(
        shell("PRAGMA integrity_check;\nSELECT count(*) FROM records WHERE 電話番号 >= '06';"),
        "ok\n" + std::to_string(kVehicles / 3) + "\n");
    EXPECT_EQ(walked(), listed); // the same numbers, in the same order
    table_.setIndexName(sj("電話番号順"));
    EXPECT_EQ(walked(), listed);
}

// Another tool can store a character that Shift-JIS lacks. A whole read stops
// with the error (the texts are converted on a second thread), and the table is
// read again once the record is mended.
TEST_F(WholeTableFileTest, ATextShiftJisCannotHoldStopsTheReadAndNothingElse) {
    const auto listed = visited();
    shell("UPDATE records SET 電話番号 = '😀' WHERE rowid = 300;");
    EXPECT_THROW(visited(), ConversionError);
    shell("UPDATE records SET 電話番号 = '" + phone(kVehicles + 1 - 300) + "' WHERE rowid = 300;");
    EXPECT_EQ(visited(), listed);
}

INSTANTIATE_ON_BOTH_ENGINES(WholeTableTest);

} // namespace
} // namespace mivora::test
