#include "certificate/certificateimport.h"

#include "platform/paths.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace mivora {

namespace {

// Blanks around a stored chassis number (half- or full-width) do not make it
// another; the text is walked by characters, so no trail byte is taken for a blank.
std::string withoutOuterBlanks(std::string_view text) {
    std::size_t first = text.size();
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = charLength(text, pos);
        const std::string_view character = text.substr(pos, length);
        if (character != " " && character != "\x81\x40") {
            first = std::min(first, pos);
            end = pos + length;
        }
        pos += length;
    }
    return first < end ? std::string(text.substr(first, end - first)) : std::string();
}

// The vehicles of the list by their chassis number.
class ChassisIndex {
  public:
    explicit ChassisIndex(Table& vehicles) : vehicles_(vehicles) {
        column_ = vehicles.fieldIndex(sj("車台番号"));
        vehicles.catchUp();
        const std::vector<std::int64_t> rowids = vehicles.viewRowids();
        std::size_t place = 0;
        vehicles.forEach([&](Table::Row& row) {
            if (place < rowids.size())
                byChassis_[withoutOuterBlanks(row[column_])].push_back(rowids[place]);
            ++place;
        });
    }

    // The vehicles with the number, as they are now.
    std::vector<std::int64_t> find(const std::string& chassis) const {
        std::vector<std::int64_t> found;
        const auto listed = byChassis_.find(withoutOuterBlanks(chassis));
        if (listed == byChassis_.end())
            return found;
        for (std::int64_t rowid : listed->second)
            if (withoutOuterBlanks(vehicles_.recordOf(rowid)[column_]) == listed->first)
                found.push_back(rowid);
        return found;
    }

  private:
    Table& vehicles_;
    int column_ = 0;
    std::unordered_map<std::string, std::vector<std::int64_t>> byChassis_;
};

std::string chassisShown(const Certificate& certificate) {
    return "車台番号「" + toUtf8(certificate.chassisNumber()) + "」";
}

CertificatePlan planOne(const ChassisIndex& index, Table& vehicles, std::filesystem::path file,
                        Certificate certificate, CertificateMatch match) {
    CertificatePlan plan;
    plan.file = std::move(file);
    plan.certificate = std::move(certificate);
    plan.candidates = index.find(plan.certificate.chassisNumber());
    if (plan.candidates.empty() && match == CertificateMatch::UpdateOnly)
        throw CertificateError(chassisShown(plan.certificate) + "の車両が一覧にありません。");
    if (!plan.candidates.empty() && match == CertificateMatch::AddOnly)
        throw CertificateError(chassisShown(plan.certificate) + "の車両は既に一覧にあります。");
    if (plan.candidates.size() == 1)
        chooseVehicle(vehicles, plan, plan.candidates.front());
    return plan;
}

void writeFields(Table& vehicles, const Certificate& certificate) {
    for (const CertificateField& field : certificate.fields)
        vehicles.setText(field.name, field.value);
    vehicles.post();
}

} // namespace

CertificateBatch planCertificates(Table& vehicles, const std::vector<std::filesystem::path>& files,
                                  CertificateMatch match) {
    CertificateBatch batch;
    const ChassisIndex index(vehicles);
    for (const std::filesystem::path& file : files) {
        try {
            batch.plans.push_back(planOne(index, vehicles, file, readCertificateFile(file), match));
        } catch (const CertificateError& error) {
            batch.failures.push_back({file, error.what()});
        } catch (const FileError& error) {
            batch.failures.push_back({file, error.what()});
        }
    }
    return batch;
}

void chooseVehicle(Table& vehicles, CertificatePlan& plan, std::int64_t rowid) {
    plan.rowid = rowid;
    plan.shown = vehicles.recordOf(rowid);
    plan.changed.clear();
    for (const CertificateField& field : plan.certificate.fields) {
        const int index = vehicles.fieldIndex(field.name);
        if (plan.shown.at(index) != field.value)
            plan.changed.push_back(index);
    }
    plan.action =
        plan.changed.empty() ? CertificatePlan::Action::Unchanged : CertificatePlan::Action::Update;
}

std::int64_t applyCertificates(Table& vehicles, const std::vector<CertificatePlan>& plans,
                               const Progress& progress) {
    std::int64_t last = 0;
    vehicles.transaction([&] {
        // A vehicle that an earlier file of the same run wrote is written again,
        // not added twice nor refused as changed by another PC.
        std::map<std::string, std::int64_t> written;
        for (std::size_t i = 0; i < plans.size(); ++i) {
            const CertificatePlan& plan = plans[i];
            if (plan.needsChoice())
                throw CertificateError(pathText(plan.file) + ": " + chassisShown(plan.certificate) +
                                       "の車両が複数あります。どの車両か選んでください。");
            const auto earlier = written.find(withoutOuterBlanks(plan.certificate.chassisNumber()));
            if (earlier != written.end()) {
                vehicles.moveTo(earlier->second);
                writeFields(vehicles, plan.certificate);
            } else if (plan.action == CertificatePlan::Action::Add) {
                vehicles.insert();
                writeFields(vehicles, plan.certificate);
            } else if (plan.action == CertificatePlan::Action::Update) {
                vehicles.holdAsShown(plan.rowid, plan.shown);
                writeFields(vehicles, plan.certificate);
            } else {
                vehicles.moveTo(plan.rowid); // nothing to write: the list stands on it
            }
            last = vehicles.currentRowid();
            written[withoutOuterBlanks(plan.certificate.chassisNumber())] = last;
            if (progress && !progress(static_cast<int>(i + 1), static_cast<int>(plans.size())))
                throw Cancelled();
        }
    });
    return last;
}

} // namespace mivora
