#pragma once
// A data folder with empty tables, made fresh for each test: table files of
// SQLite, or, for the tests that run on both engines, tables on the test server.

#include "store/datafolder.h"
#include "store/table.h"
#include "support/privatepostgres.h"
#include "support/tempdir.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

namespace mivora::test {

enum class Engine { Sqlite, Postgres };

class StoreTest : public ::testing::Test {
  protected:
    explicit StoreTest(Engine engine = Engine::Sqlite) {
        if (engine == Engine::Postgres)
            server_ = useServerFor(dir_.path());
        createTables(dir_.path());
    }

    std::filesystem::path tableFile(const TableDef& def) const {
        return tablePath(dir_.path(), def);
    }

    // A vehicle table in the list order of the main window.
    void openVehicles(Table& table) {
        std::vector<std::string> order;
        for (const std::string& name : vehicleOrderFields())
            order.push_back(sj(name));
        table.setIndexFieldNames(order);
        table.open();
    }

    static void addVehicle(Table& table, const char* reading, const char* phone,
                           const char* user = "") {
        table.append();
        table.setText(sj("使用者ふりがな"), sj(reading));
        table.setText(sj("電話番号"), sj(phone));
        table.setText(sj("使用者"), sj(user));
        table.post();
    }

  public:
    static std::string phoneOf(Table& table) { return table.text(sj("電話番号")); }

    TempDir dir_;
    std::string server_; // the connection string when the tables are on the server
};

// The same test on either engine: TEST_P on a fixture derived from this one, and
// INSTANTIATE_ON_BOTH_ENGINES(Fixture).
class EngineTest : public StoreTest, public ::testing::WithParamInterface<Engine> {
  protected:
    EngineTest() : StoreTest(GetParam()) {}
};

inline std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}

// The private PostgreSQL server runs where the Debian tests run; the Windows
// programs under wine try the files engine alone.
#ifdef _WIN32
#define MIVORA_TEST_ENGINES ::mivora::test::Engine::Sqlite
#else
#define MIVORA_TEST_ENGINES ::mivora::test::Engine::Sqlite, ::mivora::test::Engine::Postgres
#endif
#define INSTANTIATE_ON_BOTH_ENGINES(fixture)                                                       \
    INSTANTIATE_TEST_SUITE_P(Engines, fixture, ::testing::Values(MIVORA_TEST_ENGINES),             \
                             ::mivora::test::engineName)

} // namespace mivora::test
