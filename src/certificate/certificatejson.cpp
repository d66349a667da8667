// The JSON form of the certificate file: one object whose members are strings,
// the certificate's own members inside its CertInfo object.

#include "certificate/certificate.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace mivora {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The viewer app writes version 1.0; a later minor version only adds members,
// which are read and not stored like the others without a vehicle field.
bool knownVersion(const QString& version) {
    static const QRegularExpression versionOne(QStringLiteral("^1(\\.[0-9]+)?$"));
    return versionOne.match(version).hasMatch();
}

QJsonObject parseObject(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        bytes.remove_prefix(kByteOrderMark.size());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &error);
    if (error.error != QJsonParseError::NoError)
        throw CertificateError("JSON として読めません (" + std::to_string(error.offset + 1) +
                               " バイト目: " + error.errorString().toStdString() + ")。");
    if (!document.isObject())
        throw CertificateError("JSON のオブジェクトではありません。");
    return document.object();
}

// Every member is a string; the name of the first that is not says which.
void takeStrings(const QJsonObject& object, const QString& skipped, const std::string& where,
                 CertificateMembers& members) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == skipped)
            continue;
        if (!it.value().isString())
            throw CertificateError(where + it.key().toStdString() + " が文字列ではありません。");
        members[it.key().toStdString()] = it.value().toString().toStdString();
    }
}

} // namespace

CertificateMembers readJsonCertificate(std::string_view bytes) {
    const QJsonObject file = parseObject(bytes);
    const QString certInfo = QStringLiteral("CertInfo");
    CertificateMembers top;
    takeStrings(file, certInfo, "", top);
    const auto version = top.find("CertInfoImportFileVersion");
    if (version == top.end())
        throw CertificateError("CertInfoImportFileVersion がありません。");
    if (!knownVersion(QString::fromStdString(version->second)))
        throw CertificateError("CertInfoImportFileVersion「" + version->second +
                               "」は、このプログラムが知らない版です。");
    if (!file.contains(certInfo))
        throw CertificateError("CertInfo がありません。");
    if (!file.value(certInfo).isObject())
        throw CertificateError("CertInfo がオブジェクトではありません。");
    CertificateMembers members;
    takeStrings(file.value(certInfo).toObject(), {}, "CertInfo の ", members);
    return members;
}

} // namespace mivora
