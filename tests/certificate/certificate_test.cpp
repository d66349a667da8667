// Reading the viewer app's certificate file into vehicle fields.

#include "certificate/certificatefile.h"

#include "support/tempdir.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

namespace mivora::test {
namespace {

std::string fieldOf(const Certificate& certificate, const char* field) {
    const std::string* value = certificate.valueOf(sj(field));
    return value ? toUtf8(*value) : "(なし)";
}

std::string notesOf(const Certificate& certificate) {
    std::string all;
    for (const std::string& note : certificate.notes)
        all += note + "\n";
    return all;
}

Certificate readChanged(const CertificateMembers& changes) {
    CertificateMembers members = registeredCar();
    for (const auto& [name, value] : changes)
        members[name] = value;
    return readCertificate(certificateJson(members));
}

TEST(CertificateTest, ARegisteredCarFillsItsFieldsAsTheListKeepsThem) {
    const Certificate car = readCertificate("\xEF\xBB\xBF" + certificateJson(registeredCar()));
    EXPECT_EQ(fieldOf(car, "自動車登録番号"), "品川　５００　あ　１２３４");
    EXPECT_EQ(fieldOf(car, "登録年月日"), "令和０５年０４月１０日");
    EXPECT_EQ(fieldOf(car, "初度登録年月"), "平成３０年０３月");
    EXPECT_EQ(fieldOf(car, "有効期間の満了する日"), "令和０８年０４月０９日");
    EXPECT_EQ(fieldOf(car, "所有者住所"), "東京都江東区東雲一丁目１２番１号");
    EXPECT_EQ(fieldOf(car, "使用者住所"), "東京都品川区大崎一丁目２番３号");
    EXPECT_EQ(fieldOf(car, "使用の本拠の位置"), "東京都品川区大崎一丁目２番３号");
    EXPECT_EQ(fieldOf(car, "車両総重量"), "1405");
    EXPECT_EQ(fieldOf(car, "備考"), "");
    // Not on the certificate: left as the vehicle has them.
    EXPECT_EQ(fieldOf(car, "電話番号"), "(なし)");
    EXPECT_EQ(fieldOf(car, "自賠責保険機関"), "(なし)");
    EXPECT_EQ(car.fields.size(), 33u);
    EXPECT_EQ(car.fields.front().name, sj("使用者"));
}

TEST(CertificateTest, AKeiCarTakesTheOwnerForTheUserMarkedWithAsterisks) {
    const Certificate car = readCertificate(certificateJson(keiCar()));
    EXPECT_EQ(fieldOf(car, "登録年月日"), "");
    EXPECT_EQ(fieldOf(car, "使用者"), "トヨタファイナンス株式会社");
    EXPECT_EQ(fieldOf(car, "使用者住所"), "東京都江東区東雲一丁目１２番１号");
    EXPECT_EQ(fieldOf(car, "使用の本拠の位置"), "東京都江東区東雲一丁目１２番１号");
    EXPECT_NE(notesOf(car).find("使用者: 「＊＊＊」は所有者と同じ"), std::string::npos);
}

struct DateCase {
    const char* era;
    const char* year;
    const char* month;
    const char* day;
    const char* stored; // nullptr: not stored, with a note
};

TEST(CertificateTest, DatesAreStoredInEraNotationOrLeftOutWithANote) {
    const DateCase cases[] = {
        {"令和", " 5", "4", "1", "令和０５年０４月０１日"},
        {"令　和", "元", "05", "01", "令和０１年０５月０１日"},
        {"平成", "３１", "４", "３０", "平成３１年０４月３０日"},
        {"昭和", "64", "1", "7", "昭和６４年０１月０７日"},
        {"", "", "", "", ""},
        {"令和", "5", "2", "29", nullptr},  // no such day
        {"令和", "6", "13", "1", nullptr},  // no such month
        {"令和", "元", "4", "30", nullptr}, // before the era began
        {"平成", "31", "5", "1", nullptr},  // after it ended
        {"大化", "1", "1", "1", nullptr},   // no era of a vehicle
        {"R", "5", "1", "1", nullptr},
        {"令和", "5", "", "1", nullptr},
        {"令和", "5x", "1", "1", nullptr},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(std::string(c.era) + c.year + "/" + c.month + "/" + c.day);
        const Certificate car = readChanged({{"ReggrantdateE", c.era},
                                             {"ReggrantdateY", c.year},
                                             {"ReggrantdateM", c.month},
                                             {"ReggrantdateD", c.day}});
        EXPECT_EQ(fieldOf(car, "登録年月日"), c.stored ? c.stored : "(なし)");
        EXPECT_EQ(notesOf(car).find("ReggrantdateE/Y/M/D") != std::string::npos, !c.stored);
    }
    EXPECT_EQ(fieldOf(readChanged({{"FirstregistdateE", "令和"},
                                   {"FirstregistdateY", "1"},
                                   {"FirstregistdateM", "4"}}),
                      "初度登録年月"),
              "(なし)"); // 令和 began in May
}

TEST(CertificateTest, TheNameFormTheTablesCanHoldIsChosenAndToldWhenTheyDiffer) {
    const Certificate outside = readChanged(
        {{"OwnernameHighLevelChar", "𠮷田　一郎"}, {"OwnernameLowLevelChar", "吉田　一郎"}});
    EXPECT_EQ(fieldOf(outside, "所有者"), "吉田　一郎");
    EXPECT_NE(notesOf(outside).find("「𠮷田　一郎」には Shift-JIS で表せない文字"),
              std::string::npos);

    const Certificate inside = readChanged(
        {{"OwnernameHighLevelChar", "髙橋　花子"}, {"OwnernameLowLevelChar", "高橋　花子"}});
    EXPECT_EQ(fieldOf(inside, "所有者"), "髙橋　花子");
    EXPECT_NE(notesOf(inside).find("OwnernameLowLevelChar の表記は「高橋　花子」"),
              std::string::npos);
}

TEST(CertificateTest, TextsAreTrimmedAndATextOutsideShiftJisIsLeftOutWithANote) {
    const Certificate car =
        readChanged({{"EntryNoCarNo", "　品川　５００　あ　１２３４　 "}, {"CarName", "トヨタ🚗"}});
    EXPECT_EQ(fieldOf(car, "自動車登録番号"), "品川　５００　あ　１２３４");
    EXPECT_EQ(fieldOf(car, "車名"), "(なし)");
    EXPECT_NE(notesOf(car).find("車名: 4 文字目の「🚗」"), std::string::npos);
    // The user-defined area of the code page is stored.
    EXPECT_EQ(fieldOf(readChanged({{"CarName", "\xEE\x80\x80"}}), "車名"), "\xEE\x80\x80");
}

TEST(CertificateTest, WhatIsNoCertificateIsRefusedWithTheReason) {
    CertificateMembers withoutChassis = registeredCar();
    withoutChassis.erase("CarNo");
    const std::pair<std::string, const char*> refused[] = {
        {"", "車検証情報取込みファイル (JSON 形式) ではありません"},
        {"車検証", "車検証情報取込みファイル (JSON 形式) ではありません"},
        {"<CertInfo/>", "XML 形式"},
        {"[1, 2]", "車検証情報取込みファイル (JSON 形式) ではありません"},
        {"{\"CertInfoImportFileVersion\": \"1.0\"", "JSON として読めません"},
        {"{\"CertInfoImportFileVersion\": \"1.0\", \"CertInfo\": \"\xff\"}",
         "JSON として読めません"},
        {"{\"CertInfoImportFileVersion\": \"1.0\"}", "CertInfo がありません"},
        {"{\"CertInfoImportFileVersion\": \"1.0\", \"CertInfo\": []}",
         "オブジェクトではありません"},
        {"{\"CertInfoImportFileVersion\": \"1.0\", \"CertInfo\": {\"Cap\": 5}}",
         "CertInfo の Cap が文字列ではありません"},
        {"{\"CertInfoImportFileVersion\": 1, \"CertInfo\": {}}",
         "CertInfoImportFileVersion が文字列ではありません"},
        {certificateJson(registeredCar(), std::nullopt), "CertInfoImportFileVersion がありません"},
        {certificateJson(registeredCar(), "2.0"), "「2.0」は、このプログラムが知らない版です"},
        {certificateJson(withoutChassis), "車台番号 (CarNo) がありません"},
    };
    for (const auto& [bytes, reason] : refused) {
        SCOPED_TRACE(bytes.substr(0, 60));
        try {
            readCertificate(bytes);
            ADD_FAILURE() << "read";
        } catch (const CertificateError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
}

TEST(CertificateTest, AFileOverOneMebibyteIsRefusedWithItsName) {
    TempDir dir;
    const std::string padding(kCertificateFileLimit, ' ');
    const auto file =
        writeCertificate(dir.path() / "big.json", certificateJson(registeredCar()) + padding);
    try {
        readCertificateFile(file);
        ADD_FAILURE() << "read";
    } catch (const CertificateError& error) {
        EXPECT_NE(std::string(error.what()).find("big.json: 1 MiB"), std::string::npos);
    }
}

} // namespace
} // namespace mivora::test
