// Records handed over in the order a file keeps them come out in list order,
// whole, however many there are.

#include "store/placesorter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace mivora {
namespace {

constexpr std::size_t kFields = 3;

// The fields of the record at a place: some empty, some long enough that their
// length takes two or three bytes to write down, bytes of any value.
std::vector<std::string> recordAt(std::size_t place) {
    std::string bytes;
    for (std::size_t i = 0; i < place % 300; ++i)
        bytes += static_cast<char>((place + i) & 0xFF);
    return {place % 7 ? std::to_string(place) : "",
            std::string(place % 97 ? place % 200 : 20000, 'x'), bytes};
}

void add(PlaceSorter& sorter, std::size_t place, std::vector<std::string> fields) {
    std::string packed;
    PlaceSorter::pack(place, fields, packed);
    sorter.add(place, fields, packed);
}

TEST(PlaceSorter, HandsRecordsOnInTheOrderOfTheirPlaces) {
    struct Case {
        const char* what;
        std::size_t places;
        bool shuffled;
        std::function<bool(std::size_t)> added;
    };
    const auto all = [](std::size_t) { return true; };
    const Case cases[] = {
        {"none", 0, true, all},
        {"one", 1, true, all},
        {"a few", 10, true, all},
        // Megabytes: most of it goes to the scratch file and back.
        {"many, in several buckets", 20000, true, all},
        {"with places left empty", 9000, true, [](std::size_t place) { return place % 5 != 3; }},
        {"already in order", 9000, false, all},
        {"in order up to a place left empty", 9000, false,
         [](std::size_t place) { return place != 4500; }},
    };
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::size_t> arrival(c.places);
        std::iota(arrival.begin(), arrival.end(), 0);
        if (c.shuffled)
            std::shuffle(arrival.begin(), arrival.end(), random);

        std::vector<std::vector<std::string>> visited;
        PlaceSorter sorter(c.places, kFields,
                           [&](std::vector<std::string>& fields) { visited.push_back(fields); });
        for (std::size_t place : arrival) {
            if (!c.added(place))
                continue;
            add(sorter, place, recordAt(place));
        }
        sorter.finish();

        std::vector<std::vector<std::string>> expected;
        for (std::size_t place = 0; place < c.places; ++place)
            if (c.added(place))
                expected.push_back(recordAt(place));
        ASSERT_EQ(visited.size(), expected.size());
        EXPECT_TRUE(visited == expected);
    }
}

TEST(PlaceSorter, TheVisitorMayTakeTheValues) {
    std::vector<std::vector<std::string>> taken;
    PlaceSorter sorter(3, kFields, [&](std::vector<std::string>& fields) {
        std::vector<std::string> mine(kFields);
        for (std::size_t i = 0; i < kFields; ++i)
            mine[i].swap(fields[i]);
        taken.push_back(std::move(mine));
    });
    for (std::size_t place : {2, 0, 1})
        add(sorter, place, recordAt(place + 100));
    sorter.finish();
    EXPECT_TRUE(taken == std::vector<std::vector<std::string>>(
                             {recordAt(100), recordAt(101), recordAt(102)}));
}

} // namespace
} // namespace mivora
