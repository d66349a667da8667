#pragma once
// Real tables in a fresh data folder, with fee figures that tell every use, column,
// bracket and amount set apart, and a person who answers from a script.

#include "items/charconv.h"
#include "session/session.h"
#include "store/datafolder.h"
#include "store/storetest.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mivora::test {

using VehicleFields = std::vector<std::pair<const char*, std::string>>; // UTF-8 names and values

inline constexpr const char* kTestUses[] = {"乗用", "貨物", "特種", "乗合", "特殊"};

// Use u (1-5) and column c (1-8) read off every figure.
inline long long premiumOf(int u, int c) {
    return 10000 + 1000 * u + 10 * c;
}
inline long long stampOf(int u, int c) {
    return 1000 + 100 * u + c;
}
inline long long otherCostsOf(int u, int c) {
    return 20000 + 1000 * u + 10 * c;
}
// Bound i (1-12) of use u: a thousand kilograms per bracket, the use in the units.
inline long long boundOf(int u, int i) {
    return 1000 * i + u;
}
// Amount i (1-13) of amount set s (0 private, 1 commercial, 2 and 3 with a load).
inline long long taxOf(int u, int s, int i) {
    return 10000 * u + 1000 * s + 10 * i;
}
inline constexpr long long kTemporaryPlate = 750;
inline constexpr long long kLightTax = 6600;
inline constexpr long long kLightCommercialTax = 5200;
inline constexpr long long kTwoWheeledTax = 3800;
inline constexpr long long kTwoWheeledCommercialTax = 2600;

class FeeTest : public ::testing::Test {
  protected:
    explicit FeeTest(Engine engine = Engine::Sqlite) {
        ProgramSettings settings;
        settings.programDir = dir_.path();
        settings.siblingPresent = true;
        if (engine == Engine::Postgres)
            useServerFor(dir_.path() / "CARDATA");
        createTables(dir_.path() / "CARDATA");
        fillFeeTables();
        session_ = std::make_unique<Session>(settings, dir_.path() / "CARDATA");
        session_->openMainTables();
        session_->openDesignerTables();
    }

    Session& session() { return *session_; }
    PreparationState& state() { return session_->preparation; }

    // A vehicle with the given fields over a private normal passenger car.
    void addVehicle(const VehicleFields& fields) {
        VehicleFields all = {{"使用者", "山田　太郎"},
                             {"自動車登録番号", "品川５００あ１２３４"},
                             {"使用者住所", "北海道札幌市中央区旭ケ丘５丁目"},
                             {"自動車の種別", "普通"},
                             {"用途", "乗用"},
                             {"自家用事業用の別", "自家用"},
                             {"車両重量", "1500"},
                             {"車両総重量", "1775"}};
        all.insert(all.end(), fields.begin(), fields.end());
        Table& vehicles = session_->vehicles;
        vehicles.append();
        for (const auto& [name, value] : all)
            vehicles.setText(sj(name), fromUtf8(value));
        vehicles.post();
    }

    // Changes one figure of a fee table (fields by UTF-8 name).
    void setFigure(Table& table, const std::string& field, long long value) {
        table.open();
        table.setInteger(sj(field), static_cast<int>(value));
        table.post();
    }

    // The value an amount text stands for, or -1 when it holds anything else.
    static long long valueOf(std::string cell) {
        CharCheck(cell, 1);
        long long value = -1;
        return parseInteger(cell, value) ? value : -1;
    }
    long long cellValue(AmountCell which) { return valueOf(state().cell(which)); }
    std::string mark(ClassMark which) {
        return toUtf8(state().classMarks[static_cast<std::size_t>(which)]);
    }

    TempDir dir_;
    std::unique_ptr<Session> session_;
    ScriptedPrompter person_;

  private:
    void fillFeeTables() {
        Table expense(tablePath(dir_.path() / "CARDATA", expenseTable()));
        expense.open();
        expense.append();
        Table weightTax(tablePath(dir_.path() / "CARDATA", weightTaxTable()));
        weightTax.open();
        weightTax.append();
        for (int u = 1; u <= 5; ++u) {
            const std::string use = kTestUses[u - 1];
            for (int c = 1; c <= 8; ++c) {
                const std::string n = std::to_string(c);
                expense.setInteger(sj("自賠責" + use) + n, static_cast<int>(premiumOf(u, c)));
                expense.setInteger(sj("検査印紙" + use) + n, static_cast<int>(stampOf(u, c)));
                expense.setInteger(sj("諸費用" + use) + n, static_cast<int>(otherCostsOf(u, c)));
            }
            for (int i = 1; i <= 13; ++i)
                weightTax.setInteger(sj("重量税" + use + "数値") + std::to_string(i),
                                     i < 13 ? static_cast<int>(boundOf(u, i)) : 0);
            const int sets = u == 3 ? 4 : 2;
            for (int s = 0; s < sets; ++s)
                for (int i = 1; i <= 13; ++i)
                    weightTax.setInteger(sj("重量税" + use) + std::to_string(s * 13 + i),
                                         static_cast<int>(taxOf(u, s, i)));
        }
        expense.setInteger(sj("仮ナンバー"), kTemporaryPlate);
        weightTax.setInteger(sj("重量税軽"), kLightTax);
        weightTax.setInteger(sj("重量税軽貨物"), kLightCommercialTax);
        weightTax.setInteger(sj("重量税二輪"), kTwoWheeledTax);
        weightTax.setInteger(sj("重量税二輪事業用"), kTwoWheeledCommercialTax);
        expense.post();
        weightTax.post();
    }
};

} // namespace mivora::test
