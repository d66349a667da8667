// The offered item list against the rules: every listed item must mean something.

#include "items/vocabulary.h"
#include "resolvertest.h"
#include "store/schema.h"

#include <algorithm>

namespace mivora::test {
namespace {

// A vehicle whose every field holds something each piece can be cut from.
const Fields kFullVehicle = {
    {"使用者住所", "東京都千代田区霞が関二丁目１番３号中央合同庁舎第２号館"},
    {"所有者住所", "東京都千代田区霞が関二丁目１番３号中央合同庁舎第２号館"},
    {"使用の本拠の位置", "東京都千代田区霞が関二丁目１番３号中央合同庁舎第２号館"},
    {"自動車登録番号", "品川５００あ１２３１"},
    {"初度登録年月", "平成２７年０３月"},
    {"車台番号", "ＡＢＣ１２３－４５６７８９１"},
    {"有効期間の満了する日", "令和０８年０３月３０日"},
    {"用途", "乗用"},
    {"自家用事業用の別", "事業用"},
    {"車名", "トヨタ　カローラ"},
};

TEST_F(ResolverTest, EveryOfferedItemHasItsRule) {
    setVehicle(kFullVehicle);
    const auto& fields = vehicleFieldNames();
    int modes = 0;
    for (const VocabularyEntry& entry : itemVocabulary()) {
        const std::string text(entry.text);
        switch (entry.kind) {
        case ItemKind::Field:
            EXPECT_NE(std::find(fields.begin(), fields.end(), text), fields.end()) << text;
            break;
        case ItemKind::Prepared:
        case ItemKind::NoRule:
            EXPECT_EQ(resolve(text), text);
            break;
        case ItemKind::Mode:
            ++modes;
            break;
        default:
            EXPECT_NE(resolve(text), text);
            EXPECT_NE(resolve(text), "") << text;
        }
    }
    EXPECT_EQ(modes, 9);
    EXPECT_EQ(itemVocabulary().front().text, "使用者ふりがな");
}

} // namespace
} // namespace mivora::test
