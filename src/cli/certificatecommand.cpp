// `mivora import-certificate FILE... [--update | --add-only] [--skip-bad]`: the
// electronic certificate files of the viewer app into the vehicle list, all of
// them in one step or none.

#include "certificate/certificateimport.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "platform/paths.h"
#include "store/onethread.h"
#include "text/codec.h"
#include "text/errors.h"

#include <ostream>

namespace mivora {

namespace {

constexpr const char* kUsage =
    "import-certificate FILE... [--update | --add-only] [--skip-bad] [--cardata DIR]";

CertificateMatch matchOption(Arguments& args) {
    const bool updateOnly = takeFlag(args, "--update");
    const bool addOnly = takeFlag(args, "--add-only");
    if (updateOnly && addOnly)
        throw Error("--update と --add-only は一緒に指定できません。");
    return updateOnly ? CertificateMatch::UpdateOnly
           : addOnly  ? CertificateMatch::AddOnly
                      : CertificateMatch::AddOrUpdate;
}

// A command cannot ask which of several vehicles is meant: such a file is refused.
void refuseChoices(CertificateBatch& batch) {
    std::vector<CertificatePlan> plans;
    for (CertificatePlan& plan : batch.plans) {
        if (plan.needsChoice())
            batch.failures.push_back(
                {plan.file, pathText(plan.file) + ": 車台番号「" +
                                toUtf8(plan.certificate.chassisNumber()) + "」の車両が " +
                                std::to_string(plan.candidates.size()) +
                                " 台あるため、どれを更新するか決められません。"});
        else
            plans.push_back(std::move(plan));
    }
    batch.plans = std::move(plans);
}

std::string outcome(const CertificatePlan& plan, const Table& vehicles) {
    const std::string chassis = "車台番号「" + toUtf8(plan.certificate.chassisNumber()) + "」";
    switch (plan.action) {
    case CertificatePlan::Action::Add:
        return chassis + "の車両を追加しました。";
    case CertificatePlan::Action::Unchanged:
        return chassis + "の車両は車検証と同じです。変更はありません。";
    case CertificatePlan::Action::Update:
        break;
    }
    std::string fields;
    for (int index : plan.changed)
        fields += (fields.empty() ? "" : "、") + toUtf8(vehicles.fields()[index].name);
    return chassis + "の車両を更新しました (" + fields + ")。";
}

} // namespace

int commandImportCertificate(const Arguments& args, std::ostream& out, std::ostream& err) {
    useTablesFromOneThread();
    Arguments rest = args;
    const CertificateMatch match = matchOption(rest);
    const bool skipBad = takeFlag(rest, "--skip-bad");
    CommandLine line = parseCommandLine(rest, {"--cardata"});
    if (line.words.empty())
        throw Error(std::string("使い方: mivora ") + kUsage);
    std::vector<std::filesystem::path> files;
    for (const std::string& word : line.words)
        files.push_back(std::filesystem::absolute(pathOf({}, word)));
    auto session = openCommandSession(line, SettingsFiles::None);
    CertificateBatch batch = planCertificates(session->vehicles, files, match);
    refuseChoices(batch);
    for (const CertificateFailure& failure : batch.failures)
        err << "mivora import-certificate: " << failure.message << "\n";
    if (!batch.failures.empty() && !skipBad) {
        err << "mivora import-certificate: 読めないファイルがあるため、何も書き込みませんでした "
               "(--skip-bad で読めたファイルだけを書き込みます)。\n";
        return 1;
    }
    applyCertificates(session->vehicles, batch.plans, {});
    for (const CertificatePlan& plan : batch.plans) {
        out << pathText(plan.file) << ": " << outcome(plan, session->vehicles) << "\n";
        for (const std::string& note : plan.certificate.notes)
            out << "  " << note << "\n";
    }
    return batch.failures.empty() ? 0 : 1;
}

} // namespace mivora
