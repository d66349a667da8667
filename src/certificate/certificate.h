#pragma once
// The electronic vehicle inspection certificate as the government's viewer app
// writes it to a file (車検証情報取込みファイル): the vehicle fields it fills, and
// what the clerk should know about how they were read.
//
// Reading has two steps so that every form of the file reads the same way: a
// reader per form (JSON today; XML, CSV and the two-dimensional codes later) gives
// the certificate's members by their names, and one mapping turns members into
// vehicle fields.

#include "text/errors.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

// A file that is no certificate the program can read; the message names the reason.
class CertificateError : public Error {
  public:
    using Error::Error;
};

// The members of a certificate by name, as the file gives them (UTF-8).
using CertificateMembers = std::map<std::string, std::string>;

struct CertificateField {
    std::string name;  // the vehicle field, CP932
    std::string value; // CP932
};

struct Certificate {
    // Only the fields the certificate fills, in the vehicle's field order. A field
    // whose value could not be stored (a date that does not exist, a character
    // without a Shift-JIS code) is left out, and a note says why.
    std::vector<CertificateField> fields;
    std::vector<std::string> notes; // UTF-8, one sentence each

    // The chassis number (CP932) that finds the vehicle.
    const std::string& chassisNumber() const;
    // The value of a field (CP932 name), nullptr when the certificate leaves it alone.
    const std::string* valueOf(const std::string& field) const;
};

// The largest certificate file read; the viewer app writes a few kilobytes.
constexpr std::size_t kCertificateFileLimit = 1024 * 1024;

// The members of the JSON form. Throws CertificateError for text that is not
// UTF-8 JSON, not an object, without CertInfo, with a member that is not a string,
// or of a file version this program does not know.
CertificateMembers readJsonCertificate(std::string_view bytes);

// Vehicle fields from members of any form. Throws CertificateError when there is
// no chassis number to find the vehicle by.
Certificate vehicleFieldsOf(const CertificateMembers& members);

// A certificate file of any form the program reads; the form is told by its content.
Certificate readCertificate(std::string_view bytes);

// Reads the file; CertificateError (or FileError) with a message naming the file.
Certificate readCertificateFile(const std::filesystem::path& file);

} // namespace mivora
