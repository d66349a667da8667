#include "certificate/certificate.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <cerrno>
#include <system_error>

namespace mivora {

namespace {

// The first character of the content after a byte order mark and blanks, which
// tells the form apart.
char firstSign(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const auto first = bytes.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? '\0' : bytes[first];
}

} // namespace

Certificate readCertificate(std::string_view bytes) {
    switch (firstSign(bytes)) {
    case '{':
        return vehicleFieldsOf(readJsonCertificate(bytes));
    case '<':
        throw CertificateError(
            "XML 形式の車検証ファイルにはまだ対応していません。車検証閲覧アプリで "
            "JSON 形式を選んで出力してください。");
    default:
        throw CertificateError("車検証情報取込みファイル (JSON 形式) ではありません。");
    }
}

Certificate readCertificateFile(const std::filesystem::path& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error)
        throw fileFailure(file, FileAction::Read, error.value());
    const std::string named = pathText(file) + ": ";
    if (size > kCertificateFileLimit)
        throw CertificateError(named +
                               "1 MiB を超えるファイルは車検証情報取込みファイルではありません。");
    OpenFile opened(file, OpenFile::Mode::Read);
    if (!opened.isOpen())
        throw fileFailure(file, FileAction::Read, errno);
    try {
        return readCertificate(opened.readAll());
    } catch (const CertificateError& refused) {
        throw CertificateError(named + refused.what());
    }
}

} // namespace mivora
