// What lands on paper: the sample layout printed into a real PDF, read back with
// poppler-utils. A layout dot is 100/379 mm; at 360 dpi the default scale 1000/267
// is that size within 0.2 %, give or take the truncation of two divisions.

#include "printtest.h"

#include "items/menutextcheck.h"
#include "pdftools.h"
#include "print/paintercanvas.h"

#include <cmath>

namespace mivora::test {
namespace {

constexpr double kDotMm = 100.0 / 379;
constexpr double kUnitMm = 25.4 / PdfDevice::kResolution;

class PdfOutputTest : public ::testing::Test {
  protected:
    PdfOutputTest() {
        if (!haveTool(QStringLiteral("pdftotext")) || !haveTool(QStringLiteral("pdffonts")))
            return;
        settings_.programDir = dir_.path();
        createTables(dir_.path() / "CARDATA");
        fillSampleData(dir_.path() / "CARDATA");
        session_ = std::make_unique<Session>(settings_, dir_.path() / "CARDATA");
        session_->openMainTables();
        session_->openDesignerTables();
        session_->freeData.first();
    }

    void SetUp() override {
        if (!session_)
            GTEST_SKIP() << "poppler-utils (pdftotext, pdffonts) are not installed";
    }

    std::filesystem::path print(PrintRange range = PrintRange::CurrentRecord) {
        const std::filesystem::path file = dir_.path() / "out.pdf";
        {
            PdfDevice pdf(file, QSizeF(210, 297));
            host_.output = &pdf;
            pages_ = runPrint(*session_, host_, nullptr, range);
            EXPECT_NO_THROW(pdf.finish());
        }
        host_.output = nullptr;
        return file;
    }

    // Slot N's text, position (dots) and the word of the page that starts it.
    struct Placed {
        int x, y;
        std::string text; // UTF-8
        const PdfWord* word;
    };

    Placed find(const std::vector<PdfWord>& words, int n) {
        const std::string number = std::to_string(n);
        Table& layouts = session_->layouts;
        ItemResolver resolver(*session_, &host_.person);
        Placed placed{
            layouts.integer(sj("Ｘ座標") + number), layouts.integer(sj("Ｙ座標") + number),
            toUtf8(resolver.MenuTextCheck(layouts.text(sj("項目") + number), n, ResolveMode::Print)
                       .text),
            nullptr};
        const QString text = QString::fromStdString(placed.text);
        const QPoint at = devicePosition(placed.x, placed.y, AdjustmentGroup{});
        double best = 3; // mm
        for (const PdfWord& word : words) {
            const double distance = std::abs(word.xMin - at.x() * kUnitMm);
            if (!word.text.isEmpty() && text.startsWith(word.text) && distance < best &&
                std::abs(word.yMin - at.y() * kUnitMm) < 3) {
                best = distance;
                placed.word = &word;
            }
        }
        return placed;
    }

    TempDir dir_;
    ProgramSettings settings_;
    std::unique_ptr<Session> session_;
    ScriptedHost host_;
    int pages_ = 0;
};

TEST_F(PdfOutputTest, EverySlotLandsAtItsLayoutPositionInMillimetres) {
    const auto file = print();
    ASSERT_EQ(pages_, 1);
    const std::vector<PdfWord> words = pdfWords(file);
    ASSERT_FALSE(words.empty());
    int checked = 0;
    for (int n = 1; n <= kSlotCount; ++n) {
        const Placed placed = find(words, n);
        if (placed.text.empty())
            continue;
        SCOPED_TRACE("slot " + std::to_string(n) + " " + placed.text);
        ASSERT_NE(placed.word, nullptr);
        // The 1 mm offset of the default group is 3 dots.
        const double xMm = (placed.x + 3) * kDotMm, yMm = placed.y * kDotMm;
        const double slack = 2 * kUnitMm; // two truncated divisions
        EXPECT_NEAR(placed.word->xMin, xMm, xMm * 0.002 + slack);
        // pdftotext puts the top of a word one ascent above its baseline, as the run did.
        EXPECT_NEAR(placed.word->yMin, yMm, yMm * 0.002 + slack + 0.1);
        ++checked;
    }
    EXPECT_GE(checked, 20);
}

TEST_F(PdfOutputTest, TheJapaneseFontIsEmbedded) {
    const auto file = print();
    bool embedded = false;
    for (const QString& line : pdfFonts(file)) {
        const QStringList columns = line.simplified().split(QLatin1Char(' '));
        if (line.contains(QStringLiteral("IPA")) && columns.size() > 4)
            embedded = embedded || columns.contains(QStringLiteral("yes"));
    }
    EXPECT_TRUE(embedded) << pdfFonts(file).join(QLatin1Char('\n')).toStdString();
    bool japanese = false;
    for (const PdfWord& word : pdfWords(file))
        japanese = japanese || word.text.contains(QStringLiteral("令和"));
    EXPECT_TRUE(japanese); // the glyphs read back as the text that was printed
}

TEST_F(PdfOutputTest, RightAlignedAmountsShareTheirRightEdgeOnPaper) {
    Table& layouts = session_->layouts;
    const char* amounts[] = {"@1234$9", "@1234567$9", "@12$9"};
    for (int n = 1; n <= kSlotCount; ++n) {
        const std::string number = std::to_string(n);
        const bool amount = n <= 3;
        layouts.setText(sj("項目") + number, amount ? sj(amounts[n - 1]) : "");
        layouts.setInteger(sj("Ｘ座標") + number, 300);
        layouts.setInteger(sj("Ｙ座標") + number, 100 + 40 * n);
        layouts.setInteger(sj("サイズ") + number, 12);
    }
    layouts.post();
    const std::vector<PdfWord> words = pdfWords(print());
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[1].text, QStringLiteral("1,234,567"));
    EXPECT_NEAR(words[0].xMax, words[1].xMax, 0.1);
    EXPECT_NEAR(words[2].xMax, words[1].xMax, 0.1);
    EXPECT_GT(words[0].xMin, words[1].xMin + 2); // the shorter amount starts further right
}

TEST_F(PdfOutputTest, OnePagePerRecordOfTheLayoutsPaper) {
    const auto file = print(PrintRange::AllRecords);
    EXPECT_EQ(pages_, session_->vehicles.recordCount());
    auto info = runTool(QStringLiteral("pdfinfo"), {pathArg(file)});
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->contains(QRegularExpression(QStringLiteral("Pages: +%1\n").arg(pages_))))
        << info->toStdString();
    EXPECT_TRUE(info->contains(QStringLiteral("(A4)")));
}

} // namespace
} // namespace mivora::test
