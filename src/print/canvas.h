#pragma once
// Where printed pages go. The print run draws through these interfaces: onto a
// printer through QPainter, into a PDF file, or onto a recording canvas in tests.
// Coordinates are the device's own units (dots of the printer or of the PDF).

#include "text/errors.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <string>

namespace mivora {

// The printer refused a job or failed to take a page.
class PrintError : public Error {
  public:
    using Error::Error;
};

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
    // A solid rectangle, for the lines of marks and rulers: by default a picture of
    // one pixel of the colour stretched over it.
    virtual void fillRect(const QRect& area, const QColor& colour) {
        QImage pixel(1, 1, QImage::Format_RGB32);
        pixel.fill(colour);
        drawImage(area, pixel);
    }
};

class PrintDevice {
  public:
    virtual ~PrintDevice() = default;

    // The name of the printer the jobs go to (CP932).
    virtual std::string printerName() const = 0;
    // Device units per inch: what a layout dot comes to on paper depends on it.
    virtual int dotsPerInch() const = 0;
    // Starts the job of one page. Throws PrintError when the printer refuses.
    virtual PrintCanvas& beginPage() = 0;
    // Sends the page. Throws PrintError when the printer fails.
    virtual void endPage() = 0;
    // Drops the page begun when drawing it failed, so that no half page is sent.
    virtual void abortPage() = 0;
};

} // namespace mivora
