#pragma once
// A data folder with one vehicle, two layouts and the free contents, a session on it,
// and a resolver whose today is fixed, for the tests of item resolution. Names, values
// and results are UTF-8 here.

#include "items/menutextcheck.h"
#include "session/session.h"
#include "store/datafolder.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace mivora::test {

using Fields = std::vector<std::pair<const char*, const char*>>;

class ResolverTest : public ::testing::Test {
  protected:
    ResolverTest() {
        createTables(dir_.path());
        session_.openMainTables();
        session_.openDesignerTables();
        session_.vehicles.append();
        session_.vehicles.post();
        for (int layout = 1; layout <= 2; ++layout) {
            session_.layouts.append();
            session_.layouts.post();
            session_.freeData.append();
            session_.freeData.post();
        }
        session_.layouts.first();
        session_.freeData.first();
        setLayout({{"日付の表示", "True"},
                   {"日付の幅", "0"},
                   {"用途○印", "0"},
                   {"自家用事業用の別○印", "0"}});
    }

    static void write(Table& table, Fields fields) {
        for (const auto& [name, value] : fields)
            table.setText(sj(name), sj(value));
        table.post();
    }

    void setVehicle(Fields fields) { write(session_.vehicles, fields); }
    void setLayout(Fields fields) { write(session_.layouts, fields); }
    void useLayout(int number) { session_.layouts.setRecNo(number); }

    // Slot N of the input record.
    void setTyped(int slot, const char* text) {
        write(session_.freeData, {{("項目" + std::to_string(slot)).c_str(), text}});
    }

    // Slot N of the preset free contents of layout `layout`; the free contents go back
    // to the input record.
    void setPreset(int layout, int slot, const char* text) {
        session_.freeData.setRecNo(layout);
        setTyped(slot, text);
        session_.freeData.setRecNo(1);
    }

    ResolvedItem resolveItem(const std::string& itemText, int slot = 1,
                             ResolveMode mode = ResolveMode::Preview) {
        ResolvedItem item = resolver_.MenuTextCheck(sj(itemText), slot, mode);
        item.text = toUtf8(item.text);
        return item;
    }

    std::string resolve(const std::string& itemText, int slot = 1,
                        ResolveMode mode = ResolveMode::Preview) {
        return resolveItem(itemText, slot, mode).text;
    }

    // Each case on the vehicle as the case's fields leave it.
    void expectItems(const std::vector<struct ItemCase>& cases, int slot = 1);

    CivilDate today_{2026, 12, 7};
    TempDir dir_;
    Session session_{ProgramSettings{}, dir_.path()}; // the tables are made before they open
    ScriptedPrompter prompter_;
    ItemResolver resolver_{session_, &prompter_, [this] { return today_; }};
};

// One item text, the vehicle fields it reads, and what it prints.
struct ItemCase {
    const char* itemText;
    Fields vehicle;
    const char* expected;
};

inline void ResolverTest::expectItems(const std::vector<ItemCase>& cases, int slot) {
    for (const ItemCase& c : cases) {
        setVehicle(c.vehicle);
        EXPECT_EQ(resolve(c.itemText, slot), c.expected) << c.itemText;
    }
}

} // namespace mivora::test
