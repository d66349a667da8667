#pragma once
// The cross marks of a calibration sheet found on a rendered page, as a clerk
// finds them with a ruler: the centre of the bar standing and of the bar lying.

#include <QImage>
#include <QPointF>

#include <algorithm>
#include <optional>
#include <vector>

namespace mivora::test {

// Weighted middle of the lines (columns or rows) that hold most of the dark
// pixels, in pixels from the window's start; -1 when no line holds a bar.
inline double middleOfBar(const std::vector<int>& darkPerLine, int barPixels) {
    const int most = *std::max_element(darkPerLine.begin(), darkPerLine.end());
    if (most < barPixels)
        return -1;
    double sum = 0, weight = 0;
    for (std::size_t i = 0; i < darkPerLine.size(); ++i)
        if (darkPerLine[i] * 2 > most) {
            sum += (static_cast<double>(i) + 0.5) * darkPerLine[i];
            weight += darkPerLine[i];
        }
    return sum / weight;
}

// The centre of the cross within searchMm of a point of a page rendered at dpi,
// in mm from the page's top-left corner.
inline std::optional<QPointF> crossNear(const QImage& page, int dpi, QPointF aroundMm,
                                        double searchMm = 6) {
    const double pixelsPerMm = dpi / 25.4;
    const QRect window = QRect(QPoint(qRound((aroundMm.x() - searchMm) * pixelsPerMm),
                                      qRound((aroundMm.y() - searchMm) * pixelsPerMm)),
                               QPoint(qRound((aroundMm.x() + searchMm) * pixelsPerMm),
                                      qRound((aroundMm.y() + searchMm) * pixelsPerMm)))
                             .intersected(page.rect());
    if (window.isEmpty())
        return std::nullopt;
    std::vector<int> columns(window.width()), rows(window.height());
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x)
            if (qGray(page.pixel(window.x() + x, window.y() + y)) < 128) {
                ++columns[x];
                ++rows[y];
            }
    const int barPixels = qRound(5 * pixelsPerMm); // a bar crosses the window for 5 mm at least
    const double x = middleOfBar(columns, barPixels);
    const double y = middleOfBar(rows, barPixels);
    if (x < 0 || y < 0)
        return std::nullopt;
    return QPointF((window.x() + x) / pixelsPerMm, (window.y() + y) / pixelsPerMm);
}

} // namespace mivora::test
