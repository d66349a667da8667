// `mivora print` on the sample program folder: pages, groups, unattended answers
// and refusals, read back from the PDF it writes.

#include "print/pdftools.h"
#include "sampleprogramfolder.h"
#include "session/printeradjustment.h"
#include "store/datafolder.h"
#include "store/table.h"
#include "text/sjis.h"

#include <filesystem>
#include <unistd.h>

namespace mivora::test {
namespace {

class PrintCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveTool(QStringLiteral("pdftotext")) || !haveTool(QStringLiteral("pdfinfo")))
            GTEST_SKIP() << "poppler-utils are not installed";
    }

    std::string pdf(const char* name = "out.pdf") { return pathText(sample_.file(name)); }

    // The first word of the page that reads the text, or nullptr.
    static const PdfWord* word(const std::vector<PdfWord>& words, const QString& text) {
        for (const PdfWord& w : words)
            if (w.text == text)
                return &w;
        return nullptr;
    }

    void setSlotOfLayoutOne(int n, const char* item) {
        Table layouts(tablePath(sample_.tables(), layoutTable()));
        layouts.open();
        layouts.first();
        layouts.setText(sj("項目") + std::to_string(n), sj(item));
        layouts.post();
    }

    SampleProgramFolder sample_;
};

TEST_F(PrintCommandTest, PrintsOnePageOfTheFirstRecordByDefaultAndEveryRecordWithAll) {
    ASSERT_EQ(sample_.print({"--pdf", pdf()}), 0) << sample_.err.str();
    EXPECT_EQ(sample_.out.str(), "1 ページを " + pdf() + " に印刷しました。\n");
    // The hand-written item prints what the input record holds, without a window.
    EXPECT_NE(word(pdfWords(pdf()), QStringLiteral("１２３")), nullptr);

    ASSERT_EQ(sample_.print({"--pdf", pdf("all.pdf"), "--all", "--layout", "2"}), 0)
        << sample_.err.str();
    EXPECT_EQ(sample_.out.str().substr(0, 3), "20 ");
    auto info = runTool(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf("all.pdf"))});
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->contains(QRegularExpression(QStringLiteral("Pages: +20\\n"))));
}

TEST_F(PrintCommandTest, TheFormImageLiesUnderTheTexts) {
    ASSERT_EQ(sample_.print({"--pdf", pdf()}), 0) << sample_.err.str();
    auto images = runTool(QStringLiteral("pdfimages"),
                          {QStringLiteral("-list"), QString::fromStdString(pdf())});
    ASSERT_TRUE(images);
    EXPECT_EQ(images->split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 3); // 2 headings
}

TEST_F(PrintCommandTest, AGroupChosenByNumberScalesThePositions) {
    writeToolEdit(sample_.folder(),
                  {AdjustmentGroup{}, AdjustmentGroup{500, 267, 0, 0, "B"}, AdjustmentGroup{}});
    setSlotOfLayoutOne(1, "@見本");
    ASSERT_EQ(sample_.print({"--pdf", pdf("one.pdf")}), 0);
    ASSERT_EQ(sample_.print({"--pdf", pdf("two.pdf"), "--group", "2"}), 0);
    const std::vector<PdfWord> first = pdfWords(pdf("one.pdf"));
    const std::vector<PdfWord> second = pdfWords(pdf("two.pdf"));
    const PdfWord* one = word(first, QStringLiteral("見本"));
    const PdfWord* two = word(second, QStringLiteral("見本"));
    ASSERT_TRUE(one && two);
    // Slot 1 stands at 60, 110 dots: 60 * 1000 / 267 + 11 units in group 1.
    EXPECT_NEAR(one->xMin, (224 + 11) * 25.4 / 360, 0.05);
    EXPECT_NEAR(two->xMin, 112 * 25.4 / 360, 0.05);
}

TEST_F(PrintCommandTest, QuestionsAreAnsweredYes) {
    setSlotOfLayoutOne(1, "!@確認済み");
    ASSERT_EQ(sample_.print({"--pdf", pdf()}), 0);
    EXPECT_NE(word(pdfWords(pdf()), QStringLiteral("確認済み")), nullptr);
}

// Refusals, and files that cannot be written: each says what happened to which file.
TEST_F(PrintCommandTest, RefusesWhatItCannotPrint) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string missing = pathText(sample_.file("no/such/folder.pdf"));
    // Writing into the file fails as on a full disk.
    std::filesystem::create_symlink("/dev/full", sample_.file("full.pdf"));
    std::vector<Case> cases = {
        {{}, "--pdf FILE を指定してください。"},
        {{"--pdf", pdf(), "--all", "--record", "2"}, "--record と --all は一緒に使えません。"},
        {{"--pdf", pdf(), "--group", "4"}, "--group は 1～3 で指定してください。"},
        {{"--pdf", pdf(), "--record", "99"}, "車両のレコード 99 はありません (1～20)。"},
        {{"--pdf", pdf(), "--layout", "0"}, "レイアウト 0 はありません (1～2)。"},
        {{"--pdf", pdf(), "extra"}, "「extra」は使えません。"},
        {{"--pdf", missing},
         "ファイル " + missing +
             " のフォルダが見つかりません (ファイルまたはフォルダがありません)。"},
        {{"--pdf", pdf("full.pdf")},
         "ディスクがいっぱいのため、フォルダ " + pathText(sample_.file("full.pdf").parent_path()) +
             " にファイル full.pdf を書き込めません (ディスクに空きがありません)。"},
    };
    // The superuser writes into any folder.
    if (::geteuid() != 0) {
        const auto readOnly = sample_.file("readonly");
        std::filesystem::create_directory(readOnly);
        std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_exec);
        const std::string file = pathText(readOnly / "out.pdf");
        cases.push_back(
            {{"--pdf", file},
             "ファイル " + file +
                 " を作成できません。アクセスする権限がありません (アクセスが拒否されました)。"});
    }
    for (const Case& c : cases) {
        EXPECT_NE(sample_.print(c.args), 0) << c.message;
        EXPECT_NE(sample_.err.str().find(c.message), std::string::npos) << sample_.err.str();
    }
    EXPECT_FALSE(std::filesystem::exists(pdf()));
    // No broken PDF is left under the name.
    EXPECT_FALSE(std::filesystem::is_symlink(sample_.file("full.pdf")));
}

} // namespace
} // namespace mivora::test
