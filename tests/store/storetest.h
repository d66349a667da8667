#pragma once
// A data folder with empty tables, made fresh for each test.

#include "store/datafolder.h"
#include "store/table.h"
#include "support/tempdir.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

namespace mivora::test {

class StoreTest : public ::testing::Test {
  protected:
    StoreTest() { createTables(dir_.path()); }

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
};

} // namespace mivora::test
