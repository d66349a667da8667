// Drawing with QPainter: a text's top-left corner at the point in the metrics of
// the device it is drawn on, over whatever is below it.

#include "print/paintercanvas.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

constexpr int kDpi = 360;

// A black page at the printer resolution of the PDF device.
QImage blackPage() {
    QImage image(600, 300, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(kDpi / 0.0254));
    image.setDotsPerMeterY(qRound(kDpi / 0.0254));
    image.fill(Qt::black);
    return image;
}

bool inked(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) > 128;
}

// The first and last rows with any ink.
std::pair<int, int> inkedRows(const QImage& image) {
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (inked(image, x, y)) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
    return {top, bottom};
}

QFont gothic(int points) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(points);
    return font;
}

TEST(PainterCanvas, TheTextHangsFromThePointByTheDevicesAscent) {
    QImage page = blackPage();
    const QFont font = gothic(10);
    double ascent = 0;
    {
        QPainter painter(&page);
        ascent = QFontMetricsF(font, painter.device()).ascent();
        PainterCanvas canvas(painter);
        canvas.drawText(QPoint(40, 30), font, Qt::white, QStringLiteral("H"));
    }
    // 10 points at 360 dpi: an em of 50 dots, far more than a screen would give.
    EXPECT_GT(ascent, 35);
    const auto [top, bottom] = inkedRows(page);
    EXPECT_GE(top, 30);
    EXPECT_NEAR(bottom + 1, 30 + ascent, 3); // "H" stands on the baseline
}

TEST(PainterCanvas, TheBackgroundStaysVisibleAroundTheGlyphs) {
    QImage page = blackPage();
    {
        QPainter painter(&page);
        painter.setBackground(Qt::white);
        PainterCanvas canvas(painter);
        canvas.drawText(QPoint(40, 30), gothic(12), Qt::white, QStringLiteral("山田"));
    }
    // The corner of the text's box is no glyph: it shows the page below.
    EXPECT_FALSE(inked(page, 40, 31));
    EXPECT_FALSE(inked(page, 41, 32));
    int ink = 0;
    for (int y = 30; y < 100; ++y)
        for (int x = 40; x < 200; ++x)
            ink += inked(page, x, y);
    EXPECT_GT(ink, 100);
    EXPECT_LT(ink, 70 * 160 / 2);
}

TEST(PainterCanvas, ADigitIsHalfAnEmOfTheDevice) {
    QImage page = blackPage();
    QPainter painter(&page);
    PainterCanvas canvas(painter);
    EXPECT_NEAR(canvas.zeroWidth(gothic(10)), 25.0, 0.5); // 10 pt at 360 dpi: 50 dots
}

} // namespace
} // namespace mivora::test
