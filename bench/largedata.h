#pragma once
// A data folder of a large office, made once per benchmark program: sample
// tables with `count` vehicles whose 47 fields are all filled. With `users`, the
// vehicles belong to that many users (a leasing company, a dealer's own fleet):
// each user's vehicles share reading, telephone, name and address, the first
// fields of the list order.

#include "store/datafolder.h"
#include "store/sqlite.h"

#include <filesystem>
#include <string>

namespace mivora::bench {

inline std::filesystem::path largeFolder(const std::string& name, int count, int users = 0) {
    auto dir = std::filesystem::temp_directory_path() / ("mivora-bench-" + name);
    std::filesystem::remove_all(dir);
    createTables(dir / "CARDATA");
    fillSampleData(dir / "CARDATA");
    SqliteDatabase db(tablePath(dir / "CARDATA", vehicleTable()), false);
    db.exec("BEGIN; DELETE FROM records;");
    std::string sql = "INSERT INTO records VALUES (";
    for (std::size_t i = 0; i < vehicleFieldNames().size(); ++i)
        sql += i ? ", ?" : "?";
    Statement insert = db.prepare(sql + ")");
    const char* readings[] = {"ﾔﾏﾀﾞ ﾀﾛｳ", "ｽｽﾞｷ ﾊﾅｺ", "ｻﾄｳ ｹﾝｼﾞ", "ﾀﾅｶ ｲﾁﾛｳ", "ｶﾄｳ ｱｷﾗ"};
    const char* addresses[] = {"東京都千代田区丸の内１丁目", "北海道札幌市中央区大通西１０丁目",
                               "大阪府大阪市中央区大手前２丁目", "名古屋市中区三の丸３丁目",
                               "福岡県福岡市中央区天神１丁目"};
    for (int i = 0; i < count; ++i) {
        insert.reset();
        const int user = users ? i % users : i;
        insert.bindText(1, readings[user % 5]);
        insert.bindText(2, "03-" + std::to_string(1000000 + (user * 7919) % count));
        insert.bindText(3, "山田　太郎");
        insert.bindText(4, std::string(addresses[user % 5]) + std::to_string(user % 30 + 1) + "番");
        insert.bindText(5, "品川５００あ" + std::to_string(i));
        for (int field = 6; field <= static_cast<int>(vehicleFieldNames().size()); ++field)
            insert.bindText(field, "令和０６年０３月" + std::to_string(field));
        insert.step();
    }
    db.exec("COMMIT");
    return dir;
}

} // namespace mivora::bench
