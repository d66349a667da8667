// Filters that another program's request file may carry: deeply nested, very long,
// or chaining thousands of terms. Each is either applied or refused with a message;
// none may take the process down.

#include "storetest.h"

#include "store/filter.h"
#include "text/errors.h"

namespace mivora::test {
namespace {

std::string repeated(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

class HostileFilterTest : public EngineTest {
  protected:
    HostileFilterTest() : vehicles_(tableFile(vehicleTable())) {
        openVehicles(vehicles_);
        addVehicle(vehicles_, "ｱ", "03-1");
        addVehicle(vehicles_, "ｲ", "06-2");
        addVehicle(vehicles_, "ｳ", "011-3");
    }

    Table vehicles_;
};

TEST_P(HostileFilterTest, DeepOrLongFiltersAreRefusedWithAMessage) {
    const std::string phone = "[" + sj("電話番号") + "] = '03-1'";
    struct Case {
        const char* what;
        std::string filter;
        const char* reason;
    };
    const Case cases[] = {
        {"20,000 parentheses", repeated("(", 20000) + phone + repeated(")", 20000), "長すぎ"},
        {"200,000 nots", repeated("not ", 200000) + phone, "長すぎ"},
        {"4,000 nots", repeated("not ", 4000) + phone, "入れ子"},
        {"33 parentheses", repeated("(", 33) + phone + repeated(")", 33), "入れ子"},
        {"a 40 KB chain", phone + repeated(" or " + phone, 1500), "長すぎ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vehicles_.setFiltered(true);
        try {
            vehicles_.setFilter(c.filter);
            ADD_FAILURE() << "accepted";
        } catch (const DatabaseError& error) {
            const std::string message = error.what();
            ASSERT_LT(message.size(), 400u) << "the message repeats the whole filter";
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
        EXPECT_FALSE(vehicles_.filtered());
        EXPECT_EQ(vehicles_.recordCount(), 3);
    }
}

TEST_P(HostileFilterTest, NestingWithinTheBoundStillFilters) {
    const std::string phone = "[" + sj("電話番号") + "] = '06-2'";
    for (const std::string& filter :
         {repeated("(", 32) + phone + repeated(")", 32), repeated("not not ", 16) + phone}) {
        vehicles_.setFilter(filter);
        vehicles_.setFiltered(true);
        ASSERT_EQ(vehicles_.recordCount(), 1);
        EXPECT_EQ(phoneOf(vehicles_), "06-2");
    }
}

// Groups within the bounds that still nest deeper than SQLite's parser goes: the
// filter is refused by SQLite, and the table stays usable, unfiltered.
TEST_P(HostileFilterTest, WhatSqliteRefusesLeavesTheTableUnfiltered) {
    const std::string phone = "[" + sj("電話番号") + "] = '03-1'";
    std::string nested = phone;
    for (int i = 0; i < 31; ++i)
        nested = "not (" + phone + " or " + nested + ")";
    vehicles_.setFiltered(true);
    try {
        vehicles_.setFilter(nested);
    } catch (const DatabaseError&) {
        EXPECT_FALSE(vehicles_.filtered());
    }
    vehicles_.setFilter("");
    EXPECT_EQ(vehicles_.recordCount(), 3);
    vehicles_.last();
    EXPECT_EQ(phoneOf(vehicles_), "011-3");
}

// A chain far longer than SQLite's expression depth still runs as one query.
TEST_P(HostileFilterTest, LongChainsOfOrAndAndRunOnTheTable) {
    const std::string field = "[" + sj("電話番号") + "]";
    std::string anyOf = field + " = '011-3'";
    std::string allOf = field + " <> '011-3'";
    for (int i = 0; i < 1200; ++i) {
        anyOf += " or " + field + " = 'x" + std::to_string(i) + "'";
        allOf += " and " + field + " <> 'y" + std::to_string(i) + "'";
    }
    ASSERT_GT(anyOf.size(), 20000u);
    vehicles_.setFilter(anyOf);
    vehicles_.setFiltered(true);
    ASSERT_EQ(vehicles_.recordCount(), 1);
    EXPECT_EQ(phoneOf(vehicles_), "011-3");
    vehicles_.setFilter(allOf);
    EXPECT_EQ(vehicles_.recordCount(), 2);
}

INSTANTIATE_ON_BOTH_ENGINES(HostileFilterTest);

} // namespace
} // namespace mivora::test
