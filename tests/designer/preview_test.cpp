// The preview: the arithmetic of the scale, the labels, the form image, and what a
// refresh does to the current item.

#include "designer/dbcheckbox.h"
#include "designer/dbedit.h"
#include "designer/dbnavigator.h"
#include "designer/formpicture.h"
#include "designer/itemlabel.h"
#include "designer/layoutunits.h"
#include "designertest.h"
#include "platform/paths.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QScrollBar>

#include <fstream>

namespace mivora::test {
namespace {

struct ScaleCase {
    const char* scaleText;
    QPoint place;
    int points;
};

TEST(PreviewScale, OnlyOneToFiveCountAndEverythingElseIsTwo) {
    const std::pair<const char*, int> cases[] = {{"1", 1}, {"5", 5},  {"3x", 3}, {"", 2},
                                                 {"0", 2}, {"-1", 2}, {"6", 2},  {"abc", 2}};
    for (const auto& [text, scale] : cases)
        EXPECT_EQ(previewScale(text), scale) << text;
    EXPECT_EQ(paperDots(210), 795);
    EXPECT_EQ(paperDots(-5), 0);
    EXPECT_EQ(paperDots(2'000'000'000), 2'147'483'647); // no overflow
    EXPECT_EQ(dotsToMillimetres(795), 209);
}

TEST_F(DesignerTest, PaperAndImageFollowTheScale) {
    TMivoraForm& form = open();
    form.ScaleComboBox->setEditText(QStringLiteral("2"));
    form.FormPaint();
    EXPECT_EQ(form.XScrollBar->maximum(), 795);
    EXPECT_EQ(form.YScrollBar->maximum(), 1125);
    EXPECT_EQ(form.Image1->size(), QSize(397, 562));
}

TEST_F(DesignerTest, AnItemShowsAtItsPlaceAndSizeDividedByTheScale) {
    storeLayout(
        1, {{"項目5", sj("使用者")}, {"Ｘ座標5", "100"}, {"Ｙ座標5", "50"}, {"サイズ5", "12"}});
    TMivoraForm& form = open();
    const ScaleCase cases[] = {
        {"1", {100, 50}, 12}, {"3", {33, 16}, 4}, {"", {50, 25}, 6}, {"9", {50, 25}, 6}};
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(c.scaleText);
        form.ScaleComboBox->setEditText(QString::fromUtf8(c.scaleText));
        const ItemLabel& label = *form.PrintLabel(5);
        EXPECT_EQ(label.pos(), c.place);
        EXPECT_EQ(label.font().pointSize(), c.points);
        EXPECT_FALSE(label.isHidden());
        EXPECT_EQ(label.text().toStdString(), toUtf8(session().vehicles.text(sj("使用者"))));
    }
}

TEST_F(DesignerTest, ItemsWithoutTextShowNoLabel) {
    storeLayout(1, {{"項目5", ""}, {"項目6", sj("備考")}});
    session().vehicles.setText(sj("備考"), "");
    TMivoraForm& form = open();
    form.FormPaint();
    EXPECT_TRUE(form.PrintLabel(5)->isHidden());
    EXPECT_TRUE(form.PrintLabel(6)->isHidden());
    EXPECT_FALSE(form.PrintLabel(1)->isHidden());
    for (int cell = 1; cell <= 7; ++cell)
        EXPECT_TRUE(form.ExpLabel(cell)->isHidden());
}

TEST(FormImageOfThePreview, TheLayoutsJpegThenItsBitmapThenTheBlankPage) {
    struct Case {
        const char* title;
        bool jpeg;
        bool bitmap;
        QSize shown;
    };
    const Case cases[] = {{"jpeg and bitmap", true, true, {31, 21}},
                          {"only the bitmap", false, true, {32, 22}},
                          {"neither", false, false, {33, 23}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        DesignerFolder folder;
        auto save = [&](const char* file, QSize size, const char* format) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::gray);
            ASSERT_TRUE(
                image.save(QString::fromStdString(pathOf(folder.dir(), file).string()), format));
        };
        if (c.jpeg)
            save("FORM1.jpg", {31, 21}, "JPG");
        if (c.bitmap)
            save("FORM1.bmp", {32, 22}, "BMP");
        save("白地.jpg", {33, 23}, "JPG");
        folder.storeLayout(1, {{"印刷フォーム", "FORM1"}});
        TMivoraForm& form = folder.open();
        EXPECT_EQ(form.Image1->picture().size(), c.shown);
    }
}

TEST_F(DesignerTest, ADamagedImageIsReportedAndThePictureBeforeStays) {
    QImage blank(33, 23, QImage::Format_RGB32);
    blank.fill(Qt::white);
    ASSERT_TRUE(blank.save(QString::fromStdString(pathOf(dir(), "白地.jpg").string()), "JPG"));
    std::ofstream(dir() / "BROKEN.jpg") << "not a jpeg";
    TMivoraForm& form = open();
    ASSERT_EQ(form.Image1->picture().size(), QSize(33, 23));
    form.DBEdit2->setText(QStringLiteral("BROKEN"));
    EXPECT_EQ(prompter_.errors.size(), 1u);
    EXPECT_EQ(form.Image1->picture().size(), QSize(33, 23));
}

TEST_F(DesignerTest, ANarrowerPaperPullsItemOneBackAndLeavesTheOthers) {
    storeLayout(1, {{"Ｘ座標1", "700"}, {"Ｘ座標2", "700"}});
    TMivoraForm& form = openForEditing();
    form.DBEdit3->clear();
    typeInto(form.DBEdit3, "100");
    pressEnter(form.DBEdit3);
    EXPECT_EQ(storedInteger(1, slotName("Ｘ座標", 1)), 379);
    EXPECT_EQ(storedInteger(1, slotName("Ｘ座標", 2)), 700);
    EXPECT_EQ(form.XScrollBar->maximum(), 379);
    EXPECT_EQ(form.PrintLabel(2)->x(), 350); // beyond the picture
}

// Moving between layouts of different paper never carries one layout's limits into
// the other's items.
TEST_F(DesignerTest, MovingBetweenLayoutsOfOtherPaperChangesNoPosition) {
    storeLayout(1, {{"印刷サイズＸ", "100"}, {"Ｘ座標1", "300"}});
    storeLayout(2, {{"Ｘ座標1", "700"}, {"Ｙ座標1", "1000"}});
    TMivoraForm& form = open();
    form.FormPaint();
    press(DBNavigator::nbNext);
    EXPECT_EQ(form.XScrollBar->value(), 700);
    press(DBNavigator::nbPrior);
    EXPECT_EQ(form.XScrollBar->value(), 300);
    press(DBNavigator::nbLast);
    EXPECT_EQ(storedInteger(1, slotName("Ｘ座標", 1)), 300);
    EXPECT_EQ(storedInteger(2, slotName("Ｘ座標", 1)), 700);
    EXPECT_EQ(storedInteger(2, slotName("Ｙ座標", 1)), 1000);
    EXPECT_TRUE(prompter_.errors.empty());
}

TEST_F(DesignerTest, ARefreshMakesItemOneCurrentAgain) {
    TMivoraForm& form = open();
    form.show();
    form.PrintLabelClick(12);
    ASSERT_EQ(form.currentItem(), 12);
    form.resize(500, 300);
    QApplication::processEvents();
    EXPECT_EQ(form.currentItem(), 1);
    EXPECT_EQ(form.NoScrollBar->value(), 1);
    EXPECT_EQ(form.NoPanel->text(), QStringLiteral("1"));
}

TEST_F(DesignerTest, TheDateCheckBoxRefreshesTheDatesOfThePreview) {
    storeLayout(1, {{"項目5", sj("登録年月日")}});
    TMivoraForm& form = open();
    form.FormPaint();
    const QString whole = form.PrintLabel(5)->text();
    ASSERT_TRUE(whole.contains(QStringLiteral("年")));
    form.CalDBCheckBox->click();
    EXPECT_FALSE(form.PrintLabel(5)->text().contains(QStringLiteral("年")));
    EXPECT_EQ(text("日付の表示"), "False");
}

} // namespace
} // namespace mivora::test
