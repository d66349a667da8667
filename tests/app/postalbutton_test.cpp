// The main window's button that brings the postal list up to date from a zip file
// chosen in the file dialog.

#include "app/mivoraptnform.h"
#include "items/postalzip.h"
#include "store/datafolder.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"
#include "text/lines.h"

#include <QMessageBox>
#include <QToolButton>
#include <gtest/gtest.h>

#include <fstream>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

class PostalButtonTest : public ::testing::Test {
  protected:
    PostalButtonTest() {
        createTables(dir_.path() / "CARDATA");
        forms_.prompter = &prompter_;
        ProgramSettings settings;
        settings.programDir = dir_.path();
        session_ = std::make_unique<Session>(settings, dir_.path() / "CARDATA");
        form_ = std::make_unique<TMivoraPtnForm>(*session_, forms_);
    }

    QMessageBox* shownBox() const {
        for (QMessageBox* box : form_->findChildren<QMessageBox*>())
            if (box->isVisible())
                return box;
        return nullptr;
    }

    TempDir dir_;
    ScriptedPrompter prompter_;
    Forms forms_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TMivoraPtnForm> form_;
};

TEST_F(PostalButtonTest, InstallsTheChosenZipAndSaysSo) {
    const fs::path zip = dir_.path() / "ken_all.zip";
    writePublishedZip(zip, countryList());
    prompter_.files = {zip.string()};
    EXPECT_EQ(form_->PostalSpeed->toolTip(), QStringLiteral("郵便番号簿の更新"));

    form_->PostalSpeed->click();
    ASSERT_EQ(prompter_.fileQuestions.size(), 1u);
    EXPECT_FALSE(prompter_.fileQuestions[0].save);
    EXPECT_NE(prompter_.fileQuestions[0].filter.find("*.zip"), std::string::npos);
    EXPECT_TRUE(prompter_.errors.empty());
    EXPECT_EQ(readBytes(dir_.path() / "KEN_ALL.CSV"), countryList());
    QMessageBox* box = shownBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains(QStringLiteral("81 行の新しいもの")))
        << box->text().toStdString();
    box->button(QMessageBox::Ok)->click();
}

TEST_F(PostalButtonTest, CancelOrAWrongZipLeavesTheList) {
    std::ofstream(dir_.path() / "KEN_ALL.CSV", std::ios::binary) << excerptList();
    form_->PostalSpeed->click(); // the dialog cancelled
    EXPECT_TRUE(prompter_.errors.empty());

    const fs::path zip = dir_.path() / "half.zip";
    writePublishedZip(zip, excerptList());
    fs::resize_file(zip, fs::file_size(zip) / 2);
    prompter_.files = {zip.string()};
    form_->PostalSpeed->click();
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors[0].find("half.zip を zip ファイルとして開けません"),
              std::string::npos)
        << prompter_.errors[0];
    EXPECT_EQ(shownBox(), nullptr);
    EXPECT_EQ(readBytes(dir_.path() / "KEN_ALL.CSV"), excerptList());
    EXPECT_FALSE(fs::exists(dir_.path() / "KEN_ALL.CSV.bak"));
}

} // namespace
} // namespace mivora::test
