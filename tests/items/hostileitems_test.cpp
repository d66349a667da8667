// Item texts that no layout holds but a damaged table may: numbers beyond any
// width, bytes that are no character. Each resolves to some text, never a fault.

#include "resolvertest.h"

namespace mivora::test {
namespace {

class HostileItemTest : public ResolverTest {};

TEST_F(HostileItemTest, WidthsBeyondAnyIntegerResolve) {
    setVehicle({{"使用者", "山田"}});
    const std::string items[] = {
        "!\x8a/$-2222222222222", // a lone lead byte and a width below any int
        "$-2147483648" + sj("使用者"),
        "$2147483647" + sj("使用者"),
    };
    for (const std::string& item : items)
        for (ResolveMode mode : {ResolveMode::Preview, ResolveMode::Print}) {
            const ResolvedItem resolved = resolver_.MenuTextCheck(item, 1, mode);
            EXPECT_LE(resolved.text.size(), 1024u) << item;
        }
}

} // namespace
} // namespace mivora::test
