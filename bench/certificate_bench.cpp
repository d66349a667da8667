// A dealer's fleet read in at once: 1,000 certificate files, half of them for
// vehicles already in a list of 100,000 and half new, through the headless
// command as a clerk runs it (the list opened, the files read, one transaction).

#include "cli/commands.h"
#include "largedata.h"
#include "platform/paths.h"
#include "store/sqlite.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

namespace mivora {
namespace {

constexpr int kVehicles = 100000;
constexpr int kFiles = 1000;

void writeCertificate(const std::filesystem::path& file, const std::string& chassis, int i) {
    const QJsonObject info{
        {"CarNo", QString::fromStdString(chassis)},
        {"EntryNoCarNo", QStringLiteral("品川　５００　あ　%1").arg(i)},
        {"ReggrantdateE", "令和"},
        {"ReggrantdateY", "5"},
        {"ReggrantdateM", "4"},
        {"ReggrantdateD", "10"},
        {"OwnernameLowLevelChar", "山田　太郎"},
        {"OwnernameHighLevelChar", "山田　太郎"},
        {"OwnerAddressChar", "東京都品川区大崎一丁目"},
        {"OwnerAddressNumValue", "２番３号"},
        {"UsernameLowLevelChar", "＊＊＊"},
        {"UsernameHighLevelChar", "＊＊＊"},
        {"UserAddressChar", "＊＊＊"},
        {"UseheadqrterChar", "＊＊＊"},
        {"CarKind", "普通"},
        {"Use", "乗用"},
        {"CarWgt", QString::number(1000 + i)},
    };
    const QJsonObject document{{"CertInfoImportFileVersion", "1.0"}, {"CertInfo", info}};
    std::ofstream(file, std::ios::binary) << QJsonDocument(document).toJson().toStdString();
}

void BM_ThousandCertificatesIntoALargeList(benchmark::State& state) {
    const auto dir = bench::largeFolder("certificate", kVehicles);
    const auto table = tablePath(dir / "CARDATA", vehicleTable());
    {
        SqliteDatabase db(table, false);
        db.exec("UPDATE records SET \"車台番号\" = 'CH-' || rowid");
    }
    std::filesystem::copy_file(table, dir / "pristine.db");
    Arguments args{"import-certificate", "--cardata", pathText(dir / "CARDATA")};
    std::filesystem::create_directories(dir / "certificates");
    for (int i = 0; i < kFiles; ++i) {
        const auto file = dir / "certificates" / ("c" + std::to_string(i) + ".json");
        const std::string known = "CH-" + std::to_string(1 + i * (kVehicles / kFiles));
        writeCertificate(file, i % 2 ? known : "NEW-" + std::to_string(i), i);
        args.push_back(pathText(file));
    }
    std::filesystem::current_path(dir);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(dir / "pristine.db", table,
                                   std::filesystem::copy_options::overwrite_existing);
        state.ResumeTiming();
        std::ostringstream out, err;
        if (runCommand(args, out, err) != 0)
            state.SkipWithError(err.str().c_str());
    }
}
BENCHMARK(BM_ThousandCertificatesIntoALargeList)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace mivora

BENCHMARK_MAIN();
