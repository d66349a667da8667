// Certificates into the vehicle list: found by the chassis number, updated in
// the certificate's fields alone or added, all files in one step or none.

#include "certificate/certificatefile.h"
#include "certificate/certificateimport.h"
#include "store/storetest.h"

#include "text/codec.h"

namespace mivora::test {
namespace {

class CertificateImportTest : public EngineTest {
  protected:
    CertificateImportTest() {
        openVehicles(vehicles_);
        addVehicle(vehicles_, "ﾔﾏﾀﾞ", "03-1111-2222", "山田　太郎");
        vehicles_.setText(sj("車台番号"), sj("NZE161-3012345"));
        vehicles_.setText(sj("自賠責保険機関"), sj("東京海上"));
        vehicles_.post();
        addVehicle(vehicles_, "ｽｽﾞｷ", "03-3333-4444", "鈴木　一郎");
    }

    std::filesystem::path file(const std::string& name, const CertificateMembers& members) {
        return writeCertificate(dir_.path() / name, certificateJson(members));
    }

    CertificateBatch read(const std::vector<std::filesystem::path>& files,
                          CertificateMatch match = CertificateMatch::AddOrUpdate) {
        return planCertificates(vehicles_, files, match);
    }

    std::int64_t readAndWrite(const std::vector<std::filesystem::path>& files) {
        CertificateBatch batch = read(files);
        EXPECT_TRUE(batch.failures.empty());
        return applyCertificates(vehicles_, batch.plans, {});
    }

    std::string stored(std::int64_t rowid, const char* field) {
        return toUtf8(vehicles_.recordOf(rowid)[vehicles_.fieldIndex(sj(field))]);
    }

    Table vehicles_{tableFile(vehicleTable())};
};

TEST_P(CertificateImportTest, AKnownChassisNumberUpdatesOnlyTheCertificatesFields) {
    const auto updated = readAndWrite({file("car.json", registeredCar())});
    EXPECT_EQ(vehicles_.recordCount(), 2);
    EXPECT_EQ(vehicles_.currentRowid(), updated); // the list stands on it
    EXPECT_EQ(stored(updated, "使用者住所"), "東京都品川区大崎一丁目２番３号");
    EXPECT_EQ(stored(updated, "電話番号"), "03-1111-2222");
    EXPECT_EQ(stored(updated, "自賠責保険機関"), "東京海上");

    // The same file again changes nothing and says so.
    const CertificateBatch again = read({file("car.json", registeredCar())});
    ASSERT_EQ(again.plans.size(), 1u);
    EXPECT_EQ(again.plans[0].action, CertificatePlan::Action::Unchanged);
}

TEST_P(CertificateImportTest, AnUnknownChassisNumberAddsAVehicle) {
    const auto added = readAndWrite({file("kei.json", keiCar())});
    EXPECT_EQ(vehicles_.recordCount(), 3);
    EXPECT_EQ(stored(added, "車台番号"), "MK53S-912345");
    EXPECT_EQ(stored(added, "電話番号"), "");
}

TEST_P(CertificateImportTest, ModesAndSeveralVehiclesRefuseOrAskBeforeWriting) {
    EXPECT_EQ(read({file("kei.json", keiCar())}, CertificateMatch::UpdateOnly).failures.size(), 1u);
    EXPECT_EQ(read({file("car.json", registeredCar())}, CertificateMatch::AddOnly).failures.size(),
              1u);

    vehicles_.first(); // ｽｽﾞｷ, without a chassis number
    vehicles_.setText(sj("車台番号"), sj("NZE161-3012345　")); // the same, with a blank
    vehicles_.post();
    CertificateBatch batch = read({file("car.json", registeredCar())});
    ASSERT_TRUE(batch.plans.at(0).needsChoice());
    EXPECT_THROW(applyCertificates(vehicles_, batch.plans, {}), CertificateError);
    chooseVehicle(vehicles_, batch.plans[0], batch.plans[0].candidates[1]);
    const auto chosen = applyCertificates(vehicles_, batch.plans, {});
    EXPECT_EQ(chosen, batch.plans[0].candidates[1]);
    EXPECT_EQ(stored(chosen, "使用者住所"), "東京都品川区大崎一丁目２番３号");
}

TEST_P(CertificateImportTest, AnotherPcsChangeInBetweenRefusesTheWholeRun) {
    CertificateBatch batch = read({file("kei.json", keiCar()), file("car.json", registeredCar())});
    ASSERT_EQ(batch.plans.size(), 2u);

    Table other(tableFile(vehicleTable()));
    openVehicles(other);
    ASSERT_TRUE(other.moveTo(batch.plans[1].rowid));
    other.setText(sj("使用者"), sj("別の端末"));
    other.post();

    EXPECT_THROW(applyCertificates(vehicles_, batch.plans, {}), DatabaseError);
    vehicles_.refresh();
    EXPECT_EQ(vehicles_.recordCount(), 2); // the kei car was not added either
    EXPECT_EQ(stored(batch.plans[1].rowid, "使用者"), "別の端末");
}

INSTANTIATE_ON_BOTH_ENGINES(CertificateImportTest);

} // namespace
} // namespace mivora::test
