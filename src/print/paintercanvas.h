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

class PdfSink;

// A PDF file with one page per printed record, the whole page at 360 dpi, where
// the default printer scale 1000/267 puts a layout dot at its true size. The file
// is made with the first page: a run without pages leaves none.
class PdfDevice : public PrintDevice {
  public:
    PdfDevice(std::filesystem::path file, QSizeF paperMm);
    ~PdfDevice() override;

    std::string printerName() const override { return "PDF"; }
    int dotsPerInch() const override { return kResolution; }
    // FileError naming the file and the system's reason when it cannot be made.
    PrintCanvas& beginPage() override;
    void endPage() override {}
    // A page of a PDF cannot be taken back; the caller reports the failure.
    void abortPage() override {}
    // Closes the file; FileError naming it and the reason (a full disk...) when it
    // could not be written whole, and then the broken file is gone.
    void finish();

    static constexpr int kResolution = 360;

  private:
    // Whether everything was written; the system's error number otherwise.
    int close();

    std::filesystem::path file_;
    QSizeF paperMm_;
    std::unique_ptr<PdfSink> sink_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    PainterCanvas canvas_{painter_};
};

} // namespace mivora
