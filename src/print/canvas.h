#pragma once
// Where printed pages go. The print run draws through these interfaces: onto a
// printer through QPainter, into a PDF file, or onto a recording canvas in tests.
// Coordinates are the device's own units (dots of the printer or of the PDF).

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <string>

namespace mivora {

class PrintCanvas {
  public:
    virtual ~PrintCanvas() = default;

    // The image stretched onto the rectangle, aspect ratio not kept.
    virtual void drawImage(const QRect& target, const QImage& image) = 0;
    // The text with its top-left corner at the point, on a transparent background.
    virtual void drawText(const QPoint& topLeft, const QFont& font, const QColor& colour,
                          const QString& text) = 0;
    // Width of the half-width digit "0" in the font on this device.
    virtual double zeroWidth(const QFont& font) = 0;
};

class PrintDevice {
  public:
    virtual ~PrintDevice() = default;

    // The name of the printer the jobs go to (CP932).
    virtual std::string printerName() const = 0;
    // Starts the job of one page. Throws Error when the printer refuses.
    virtual PrintCanvas& beginPage() = 0;
    // Sends the page. Throws Error when the printer fails.
    virtual void endPage() = 0;
};

} // namespace mivora
