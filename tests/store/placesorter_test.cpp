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

TEST(PlaceSorter, HandsRecordsOnInTheOrderOfTheirPlaces) {
    struct Case {
        const char* what;
        std::size_t places;
        std::function<bool(std::size_t)> added;
    };
    const Case cases[] = {
        {"none", 0, [](std::size_t) { return true; }},
        {"one", 1, [](std::size_t) { return true; }},
        {"a few", 10, [](std::size_t) { return true; }},
        // Megabytes: most of it goes to the scratch file and back.
        {"many, in several buckets", 20000, [](std::size_t) { return true; }},
        {"with places left empty", 9000, [](std::size_t place) { return place % 5 != 3; }},
    };
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::size_t> arrival(c.places);
        std::iota(arrival.begin(), arrival.end(), 0);
        std::shuffle(arrival.begin(), arrival.end(), random);

        PlaceSorter sorter(c.places, kFields);
        for (std::size_t place : arrival)
            if (c.added(place))
                sorter.add(place, recordAt(place));

        std::vector<std::vector<std::string>> expected, visited;
        for (std::size_t place = 0; place < c.places; ++place)
            if (c.added(place))
                expected.push_back(recordAt(place));
        sorter.visitInOrder([&](std::vector<std::string>& fields) { visited.push_back(fields); });
        ASSERT_EQ(visited.size(), expected.size());
        EXPECT_TRUE(visited == expected);
    }
}

TEST(PlaceSorter, TheVisitorMayTakeTheValues) {
    PlaceSorter sorter(3, kFields);
    for (std::size_t place : {2, 0, 1})
        sorter.add(place, recordAt(place + 100));
    std::vector<std::vector<std::string>> taken;
    sorter.visitInOrder([&](std::vector<std::string>& fields) {
        std::vector<std::string> mine(kFields);
        for (std::size_t i = 0; i < kFields; ++i)
            mine[i].swap(fields[i]);
        taken.push_back(std::move(mine));
    });
    EXPECT_TRUE(taken == std::vector<std::vector<std::string>>(
                             {recordAt(100), recordAt(101), recordAt(102)}));
}

} // namespace
} // namespace mivora
