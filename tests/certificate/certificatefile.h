#pragma once
// Certificate files as the viewer app writes them, made by the tests: a
// registered car and a kei car, and any member changed or taken away.

#include "certificate/certificate.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace mivora::test {

inline CertificateMembers registeredCar() {
    return {
        {"ElectCertMgNo", "123456789012"},
        {"CarId", "0001"},
        {"EntryNoCarNo", "品川　５００　あ　１２３４"},
        {"ReggrantdateE", "令和"},
        {"ReggrantdateY", "05"},
        {"ReggrantdateM", "04"},
        {"ReggrantdateD", "10"},
        {"FirstregistdateE", "平成"},
        {"FirstregistdateY", "30"},
        {"FirstregistdateM", " 3"},
        {"Model", "DBA-NZE161"},
        {"CarNo", "NZE161-3012345"},
        {"EngineModel", "1NZ"},
        {"ModelSpecifyNo", "15432"},
        {"ClassifyAroundNo", "0012"},
        {"ValidPeriodExpirdateE", "令　和"},
        {"ValidPeriodExpirdateY", " 8"},
        {"ValidPeriodExpirdateM", "04"},
        {"ValidPeriodExpirdateD", "09"},
        {"OwnernameLowLevelChar", "トヨタファイナンス株式会社"},
        {"OwnernameHighLevelChar", "トヨタファイナンス株式会社"},
        {"OwnerAddressChar", "東京都江東区東雲一丁目"},
        {"OwnerAddressNumValue", "１２番１号"},
        {"OwnerAddressCode", "13108"},
        {"UsernameLowLevelChar", "山田　太郎"},
        {"UsernameHighLevelChar", "山田　太郎"},
        {"UserAddressChar", "東京都品川区大崎一丁目"},
        {"UserAddressNumValue", "２番３号"},
        {"UseheadqrterChar", "＊＊＊"},
        {"UseheadqrterNumValue", ""},
        {"CarKind", "普通"},
        {"Use", "乗用"},
        {"PrivateBusiness", "自家用"},
        {"CarShape", "箱型"},
        {"CarName", "トヨタ"},
        {"CarNameCode", "101"},
        {"Cap", "5"},
        {"Maxloadage", "－"},
        {"CarWgt", "1130"},
        {"CarTotalWgt", "1405"},
        {"Length", "440"},
        {"Width", "169"},
        {"Height", "146"},
        {"Displacement", "1.49"},
        {"FuelClass", "ガソリン"},
        {"FfAxWgt", "680"},
        {"FrAxWgt", "－"},
        {"RfAxWgt", "450"},
        {"RrAxWgt", "－"},
        {"NoteInfo", ""},
        {"TwodimensionCodeInfoCarNo", "NZE161-3012345"},
    };
}

// A kei car: no registration date, the user the same as the owner.
inline CertificateMembers keiCar() {
    CertificateMembers car = registeredCar();
    car["EntryNoCarNo"] = "練馬　５８０　あ　５６７８";
    car["CarNo"] = "MK53S-912345";
    car["ReggrantdateE"] = car["ReggrantdateY"] = car["ReggrantdateM"] = car["ReggrantdateD"] = "";
    car["CarKind"] = "軽自動車";
    car["UsernameLowLevelChar"] = car["UsernameHighLevelChar"] = "＊＊＊";
    car["UserAddressChar"] = "＊＊＊";
    car["UserAddressNumValue"] = "";
    return car;
}

inline std::string certificateJson(const CertificateMembers& members,
                                   std::optional<std::string> version = "1.0") {
    QJsonObject info;
    for (const auto& [name, value] : members)
        info.insert(QString::fromStdString(name), QString::fromStdString(value));
    QJsonObject file{{"Acceptoutputno", "0001"}, {"FormType", "1"}, {"CertInfo", info}};
    if (version)
        file.insert("CertInfoImportFileVersion", QString::fromStdString(*version));
    return QJsonDocument(file).toJson().toStdString();
}

inline std::filesystem::path writeCertificate(const std::filesystem::path& file,
                                              const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

} // namespace mivora::test
