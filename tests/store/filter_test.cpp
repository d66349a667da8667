#include "store/filter.h"

#include "text/errors.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

bool lookup(std::string_view name, FilterField& field) {
    const std::pair<const char*, FieldType> known[] = {{"電話番号", FieldType::Text},
                                                       {"使用者", FieldType::Text},
                                                       {"Ｘ座標1", FieldType::Integer},
                                                       {"連続印刷", FieldType::Flag},
                                                       {"ソフト", FieldType::Text}};
    for (const auto& [utf8, type] : known)
        if (name == sj(utf8)) {
            field = {utf8, type};
            return true;
        }
    return false;
}

std::string inShiftJisOrder(const std::string& expression) {
    return expression + " COLLATE CP932";
}

SqlFilter parse(const char* utf8) {
    return parseFilter(sj(utf8), lookup, inShiftJisOrder);
}

TEST(Filter, BuildsParameterisedConditions) {
    struct Case {
        const char* filter;
        const char* where;
        std::size_t parameters;
    };
    const Case cases[] = {
        {"電話番号 = '03'", "(COALESCE(\"電話番号\",'') COLLATE CP932 = ? COLLATE CP932)", 1},
        {"[電話番号] <> \"03\"", "(COALESCE(\"電話番号\",'') COLLATE CP932 <> ? COLLATE CP932)", 1},
        {"電話番号='03*'", "(substr(COALESCE(\"電話番号\",''),1,?) = ?)", 2},
        {"Ｘ座標1 >= 10", "(COALESCE(\"Ｘ座標1\",0) >= ?)", 1},
        {"連続印刷 = 'True'", "(COALESCE(CAST(\"連続印刷\" AS INTEGER),0) = ?)", 1},
        {"not (電話番号 < '1' OR 使用者 > 'x') and Ｘ座標1 <= -3",
         "((NOT ((COALESCE(\"電話番号\",'') COLLATE CP932 < ? COLLATE CP932) OR "
         "(COALESCE(\"使用者\",'') COLLATE "
         "CP932 > ? COLLATE CP932))) AND (COALESCE(\"Ｘ座標1\",0) <= ?))",
         3},
        // The second byte of ソ is a backslash and of 表 too; neither is taken apart.
        {"ソフト = '表'", "(COALESCE(\"ソフト\",'') COLLATE CP932 = ? COLLATE CP932)", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        SqlFilter filter = parse(c.filter);
        EXPECT_EQ(filter.where, c.where);
        EXPECT_EQ(filter.parameters.size(), c.parameters);
    }
}

TEST(Filter, ValuesNeverBecomeSql) {
    SqlFilter filter = parse("電話番号 = 'x'' OR 1=1 --'");
    EXPECT_EQ(filter.where, "(COALESCE(\"電話番号\",'') COLLATE CP932 = ? COLLATE CP932)");
    ASSERT_EQ(filter.parameters.size(), 1u);
    EXPECT_EQ(filter.parameters[0].text, "x' OR 1=1 --");
}

TEST(Filter, RefusesWhatDoesNotParse) {
    const char* refused[] = {
        "電話番号 = '03'; DROP TABLE records",
        "電話番号 = '03' OR 1=1",
        "[電話番号\"] = '1'",
        "rowid = 1",
        "電話番号 = 使用者",
        "電話番号 = '03",
        "(電話番号 = '03'",
        "電話番号 LIKE '%'",
        "Ｘ座標1 = 'abc'",
        "電話番号 = '1' AND",
        "] = '1'",
    };
    for (const char* filter : refused)
        EXPECT_THROW(parse(filter), DatabaseError) << filter;
}

} // namespace
} // namespace mivora
