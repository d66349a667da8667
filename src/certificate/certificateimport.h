#pragma once
// Reading certificate files into the vehicle list: each certificate finds its
// vehicle by the chassis number and updates the fields it fills, or adds a new
// vehicle. What each file will do is worked out first, for the clerk to check;
// then every file is written in one transaction, or none.

#include "certificate/certificate.h"
#include "exchange/exchange.h"
#include "store/table.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mivora {

enum class CertificateMatch {
    AddOrUpdate, // a vehicle with the chassis number is updated, else one is added
    UpdateOnly,  // a certificate without its vehicle in the list is refused
    AddOnly,     // a certificate whose vehicle is in the list is refused
};

struct CertificatePlan {
    enum class Action { Add, Update, Unchanged };

    std::filesystem::path file;
    Certificate certificate;
    Action action = Action::Add;
    // The vehicle to update and its record as it was read (field order): another
    // PC's change in between refuses the write.
    std::int64_t rowid = 0;
    Table::Row shown;
    // Several vehicles carry the chassis number: the clerk chooses one
    // (chooseVehicle) before anything is written.
    std::vector<std::int64_t> candidates;
    // The fields (indexes of the vehicle table) whose value the certificate changes.
    std::vector<int> changed;

    bool needsChoice() const { return rowid == 0 && candidates.size() > 1; }
};

struct CertificateFailure {
    std::filesystem::path file;
    std::string message; // UTF-8, names the file
};

struct CertificateBatch {
    std::vector<CertificatePlan> plans;
    std::vector<CertificateFailure> failures;
};

// Reads the files and works out what each would write; nothing is written.
CertificateBatch planCertificates(Table& vehicles, const std::vector<std::filesystem::path>& files,
                                  CertificateMatch match);

// The clerk's choice among the candidates of a plan.
void chooseVehicle(Table& vehicles, CertificatePlan& plan, std::int64_t rowid);

// Writes every plan in one transaction. A vehicle that another PC changed or
// deleted since it was read is refused with a DatabaseError, and nothing is
// written. Cancelled when progress says so. The row id of the vehicle of the
// last plan.
std::int64_t applyCertificates(Table& vehicles, const std::vector<CertificatePlan>& plans,
                               const Progress& progress);

} // namespace mivora
