#include "print/formimage.h"

#include "support/tempdir.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QColor>
#include <fstream>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

// A small picture in a known colour, saved as the given format.
void writeImage(const fs::path& file, const char* format, QColor colour) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(pathText(file)), format));
}

bool near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 &&
           std::abs(a.blue() - b.blue()) < 12;
}

TEST(FormImage, JpegIsDecodedWithItsColours) {
    TempDir dir;
    writeImage(pathOf(dir.path(), "様式.jpg"), "JPG", QColor(200, 40, 30));
    QImage image = decodeFormImage(pathOf(dir.path(), "様式.jpg"));
    ASSERT_EQ(image.size(), QSize(40, 30));
    EXPECT_TRUE(near(image.pixelColor(20, 15), QColor(200, 40, 30)));
}

TEST(FormImage, LooksForJpegThenBitmapThenTheBlankPage) {
    TempDir dir;
    writeImage(pathOf(dir.path(), "白地.jpg"), "JPG", Qt::white);
    writeImage(pathOf(dir.path(), "様式.bmp"), "BMP", Qt::blue);
    FormImage form = loadFormImage(dir.path(), sj("様式"));
    EXPECT_TRUE(form.ownForm);
    EXPECT_TRUE(near(form.image.pixelColor(1, 1), Qt::blue));

    writeImage(pathOf(dir.path(), "様式.jpg"), "JPG", Qt::red);
    form = loadFormImage(dir.path(), sj("様式"));
    EXPECT_TRUE(near(form.image.pixelColor(1, 1), Qt::red));

    form = loadFormImage(dir.path(), sj("ない様式"));
    EXPECT_FALSE(form.ownForm);
    EXPECT_TRUE(near(form.image.pixelColor(1, 1), Qt::white));
    EXPECT_TRUE(form.problem.empty());
}

// Program folders come from Windows, where "form" names the file "FORM.JPG".
TEST(FormImage, FindsImagesWhateverTheCaseOfTheirNames) {
    TempDir dir;
    writeImage(dir.path() / "UPPER.JPG", "JPG", Qt::red);
    writeImage(dir.path() / "Lower.Bmp", "BMP", Qt::blue);
    writeImage(pathOf(dir.path(), "白地.JPG"), "JPG", Qt::green);
    EXPECT_TRUE(near(loadFormImage(dir.path(), "UPPER").image.pixelColor(1, 1), Qt::red));
    EXPECT_TRUE(near(loadFormImage(dir.path(), "lower").image.pixelColor(1, 1), Qt::blue));
    const FormImage blank = loadFormImage(dir.path(), "none");
    EXPECT_FALSE(blank.ownForm);
    EXPECT_TRUE(near(blank.image.pixelColor(1, 1), Qt::green));
}

TEST(FormImage, DamagedOrOutsideImagesNeverPrint) {
    TempDir dir;
    std::ofstream(pathOf(dir.path(), "壊れ.jpg"), std::ios::binary)
        << "\xFF\xD8\xFF\xE0 not a jpeg";
    EXPECT_THROW(decodeFormImage(pathOf(dir.path(), "壊れ.jpg")), FileError);
    FormImage form = loadFormImage(dir.path(), sj("壊れ"));
    EXPECT_FALSE(form.ownForm);
    EXPECT_NE(form.problem.find("壊れ.jpg を読み込めません ("), std::string::npos) << form.problem;

    fs::create_directory(dir.path() / "sub");
    writeImage(dir.path() / "sub" / "x.jpg", "JPG", Qt::red);
    form = loadFormImage(dir.path(), "sub/x");
    EXPECT_FALSE(form.ownForm);
    // The second byte of ソ is a backslash; the name is still a plain file name.
    writeImage(pathOf(dir.path(), "ソ.jpg"), "JPG", Qt::red);
    EXPECT_TRUE(loadFormImage(dir.path(), sj("ソ")).ownForm);
}

} // namespace
} // namespace mivora::test
