// Form images that are cut short, damaged or claim an absurd size: the print run
// stops before its first page and says which file; a huge scan is decoded at the
// size of the page it goes on.

#include "print/formimage.h"
#include "printtest.h"
#include "text/errors.h"
#include "text/lines.h"

#include <QBuffer>
#include <fstream>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;

std::string jpegBytes(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    for (int x = 0; x < size.width(); x += 7) // something for the entropy coder to carry
        image.setPixelColor(x, x % size.height(), Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes.toStdString();
}

std::string bitmapBytes(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

// The same JPEG with the size its frame header declares changed.
std::string claiming(std::string jpeg, int width, int height) {
    const std::size_t frame = jpeg.find("\xFF\xC0");
    jpeg[frame + 5] = static_cast<char>(height >> 8);
    jpeg[frame + 6] = static_cast<char>(height);
    jpeg[frame + 7] = static_cast<char>(width >> 8);
    jpeg[frame + 8] = static_cast<char>(width);
    return jpeg;
}

class DamagedFormTest : public PrintRunTest {
  protected:
    void putForm(const char* file, const std::string& bytes) {
        std::ofstream(pathOf(dir_.path(), file), std::ios::binary) << bytes;
    }
};

TEST_F(DamagedFormTest, ADamagedFormStopsTheRunBeforeItsFirstPage) {
    const std::string jpeg = jpegBytes({300, 200});
    const std::string bitmap = bitmapBytes({300, 200});
    struct Case {
        const char* what;
        const char* file;
        std::string bytes;
    };
    const Case cases[] = {
        {"cut in half", "様式.jpg", jpeg.substr(0, jpeg.size() / 2)},
        {"header only", "様式.jpg", jpeg.substr(0, jpeg.find("\xFF\xDA") + 12)},
        {"claiming 30000 × 30000", "様式.jpg", claiming(jpeg, 30000, 30000)},
        {"claiming 16000 × 16000", "様式.jpg", claiming(jpeg, 16000, 16000)},
        {"a bitmap cut short", "様式.bmp", bitmap.substr(0, bitmap.size() - 1000)},
    };
    addVehicles({"Ａ", "Ｂ"});
    setLayout({{"印刷フォーム", "様式"}, {"印刷フォームの印刷", "True"}, {"連続印刷", "True"}});
    setSlot(1, "使用者");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(pathOf(dir_.path(), "様式.jpg"));
        fs::remove(pathOf(dir_.path(), "様式.bmp"));
        putForm(c.file, c.bytes);
        host_ = {};
        try {
            run();
            ADD_FAILURE() << "printed";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(c.file), std::string::npos) << error.what();
        }
        EXPECT_TRUE(pages().empty());
        EXPECT_EQ(host_.recorder.aborted, 0);
    }
}

TEST_F(DamagedFormTest, AHugeScanIsDecodedAtTheSizeOfThePage) {
    putForm("様式.jpg", jpegBytes({1600, 2400}));
    addVehicles({"Ａ"});
    // A paper of 21 × 29 mm spans 295 × 408 device units at the default scale.
    setLayout({{"印刷フォーム", "様式"},
               {"印刷フォームの印刷", "True"},
               {"印刷サイズＸ", "21"},
               {"印刷サイズＹ", "29"}});
    ASSERT_EQ(run(), 1);
    const DrawnImage& drawn = pages()[0].images.at(0);
    EXPECT_EQ(drawn.target.size(), QSize(295, 408));
    // The smallest eighth of the scan that still covers the paper: two eighths.
    EXPECT_EQ(drawn.size, QSize(400, 600));

    const fs::path file = pathOf(dir_.path(), "様式.jpg");
    EXPECT_EQ(decodeFormImage(file).size(), QSize(1600, 2400));
    EXPECT_EQ(decodeFormImage(file, {2000, 1}).size(), QSize(1600, 2400));
    EXPECT_EQ(decodeFormImage(file, {1, 1}).size(), QSize(200, 300));
}

TEST_F(DamagedFormTest, AbsurdSizesAreRefusedWithTheirSize) {
    const fs::path file = pathOf(dir_.path(), "huge.jpg");
    std::ofstream(file, std::ios::binary) << claiming(jpegBytes({64, 64}), 60000, 60000);
    try {
        decodeFormImage(file, {100, 100});
        ADD_FAILURE() << "decoded";
    } catch (const FileError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("huge.jpg"), std::string::npos) << message;
        EXPECT_NE(message.find("60000×60000"), std::string::npos) << message;
    }
}

} // namespace
} // namespace mivora::test
