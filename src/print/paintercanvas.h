#pragma once
// Pages drawn with QPainter: onto a printer (in the windows) or into a PDF file.

#include "print/canvas.h"

#include <QPainter>
#include <QPdfWriter>
#include <filesystem>
#include <memory>

namespace mivora {

class PainterCanvas : public PrintCanvas {
  public:
    explicit PainterCanvas(QPainter& painter) : painter_(painter) {}

    void drawImage(const QRect& target, const QImage& image) override;
    // The top-left corner of the text at the point: the baseline lies one ascent
    // lower, measured in the device's own font metrics.
    void drawText(const QPoint& topLeft, const QFont& font, const QColor& colour,
                  const QString& text) override;
    double zeroWidth(const QFont& font) override;
    void fillRect(const QRect& area, const QColor& colour) override;

  private:
    QPainter& painter_;
};

// A PDF file with one page per printed record, the whole page at 360 dpi, where
// the default printer scale 1000/267 puts a layout dot at its true size.
class PdfDevice : public PrintDevice {
  public:
    PdfDevice(const std::filesystem::path& file, QSizeF paperMm);
    ~PdfDevice() override;

    std::string printerName() const override { return "PDF"; }
    PrintCanvas& beginPage() override;
    void endPage() override {}
    // A page of a PDF cannot be taken back; the caller reports the failure.
    void abortPage() override {}
    // Closes the file; false when it could not be written.
    bool finish();

    static constexpr int kResolution = 360;

  private:
    QPdfWriter writer_;
    QPainter painter_;
    PainterCanvas canvas_{painter_};
    bool started_ = false;
};

} // namespace mivora
