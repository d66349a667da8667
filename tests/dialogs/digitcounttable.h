#pragma once
// A data folder whose digit-count table holds a given number of rows.

#include "store/datafolder.h"
#include "store/table.h"
#include "support/tempdir.h"
#include "text/sjis.h"

#include <string>

namespace mivora::test {

class DigitCountTable {
  public:
    explicit DigitCountTable(int rows) : table(tablePath(dir_.path(), digitCountTable())) {
        createTables(dir_.path());
        table.open();
        for (int i = 1; i <= rows; ++i) {
            table.append();
            table.setText(sj("データ用途"), "row" + std::to_string(i));
            table.post();
        }
        table.first();
    }

    std::string currentUse() const { return table.text(sj("データ用途")); }

  private:
    TempDir dir_;

  public:
    Table table;
};

} // namespace mivora::test
