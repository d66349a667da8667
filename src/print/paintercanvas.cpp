#include "print/paintercanvas.h"

#include "text/errors.h"
#include "text/lines.h"

#include <QFontMetricsF>
#include <QPageLayout>

namespace mivora {

void PainterCanvas::drawImage(const QRect& target, const QImage& image) {
    painter_.drawImage(target, image);
}

void PainterCanvas::drawText(const QPoint& topLeft, const QFont& font, const QColor& colour,
                             const QString& text) {
    QFontMetricsF metrics(font, painter_.device());
    painter_.setFont(font);
    painter_.setPen(colour);
    painter_.setBackgroundMode(Qt::TransparentMode);
    painter_.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

double PainterCanvas::zeroWidth(const QFont& font) {
    return QFontMetricsF(font, painter_.device()).horizontalAdvance(QLatin1Char('0'));
}

void PainterCanvas::fillRect(const QRect& area, const QColor& colour) {
    painter_.fillRect(area, colour);
}

PdfDevice::PdfDevice(const std::filesystem::path& file, QSizeF paperMm)
    : writer_(QString::fromStdString(pathText(file))) {
    writer_.setResolution(kResolution);
    writer_.setPageLayout(QPageLayout(QPageSize(paperMm, QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer_.setCreator(QStringLiteral("Mivora For Win32"));
}

PdfDevice::~PdfDevice() {
    finish();
}

PrintCanvas& PdfDevice::beginPage() {
    if (!started_) {
        if (!painter_.begin(&writer_))
            throw FileError("PDF ファイルを作成できません。");
        started_ = true;
    } else if (!writer_.newPage()) {
        throw FileError("PDF に新しいページを追加できません。");
    }
    return canvas_;
}

bool PdfDevice::finish() {
    if (!painter_.isActive())
        return started_;
    return painter_.end();
}

} // namespace mivora
