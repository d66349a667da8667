// A postal list whose continued area never closes its parenthesis.

#include "items/postal.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <string>

namespace mivora {
namespace {

std::string line(const char* code, const char* area) {
    return sj(std::string("1,\"1\",\"") + code + "\",\"\",\"\",\"\",\"北海道\",\"甲市\",\"" + area +
              "\",0,0,0,0,0,0\r\n");
}

TEST(PostalBounds, AnAreaThatNeverClosesEndsAfterAFewLines) {
    std::string bytes = line("0000001", "乙町（１、２");
    for (int i = 0; i < 5000; ++i)
        bytes += line("0000001", "、３、４");
    bytes += line("0000002", "丙町");
    const PostalList list(bytes);
    // The open group takes the first lines; the rest stand on their own.
    EXPECT_GT(list.areaCount(), 4900u);
    EXPECT_LT(list.areaCount(), 5002u);
    EXPECT_EQ(list.lookup(sj("北海道甲市乙町２"), 1).code, "0000001");
    EXPECT_EQ(list.lookup(sj("北海道甲市丙町"), 1).code, "0000002");
}

TEST(PostalBounds, AGroupClosedOnItsTenthLineIsJoinedWhole) {
    std::string bytes = line("0000001", "乙町（１");
    for (int i = 2; i < 10; ++i)
        bytes += line("0000001", ("、" + std::to_string(i)).c_str());
    bytes += line("0000001", "、９９番地）");
    bytes += line("0000002", "乙町（その他）");
    const PostalList list(bytes);
    EXPECT_EQ(list.areaCount(), 2u);
    EXPECT_EQ(list.lookup(sj("北海道甲市乙町９９"), 1).code, "0000001");
    EXPECT_EQ(list.lookup(sj("北海道甲市乙町５０"), 1).code, "0000002");
}

} // namespace
} // namespace mivora
