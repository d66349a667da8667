#pragma once
// A printer that is not true, standing in for the paper: it prints at its own
// resolution, a little too small or too large, shifted from the paper's edges, and
// keeps what lands on the page in millimetres from the paper's top-left corner.

#include "print/canvas.h"

#include <QRectF>

#include <algorithm>
#include <vector>

namespace mivora::test {

struct PaperText {
    QPointF at; // mm
    QString text;
};

class SimulatedPrinter : public PrintDevice, public PrintCanvas {
  public:
    SimulatedPrinter(double dpi, double scale, QPointF shiftMm)
        : dpi_(dpi), mmPerUnit_(25.4 / dpi * scale), shift_(shiftMm) {}

    std::vector<QRectF> rects; // mm, of the last page
    std::vector<PaperText> texts;
    int pages = 0;

    std::string printerName() const override { return "Simulated"; }
    // What the printer says of itself; its error lies in the scale.
    int dotsPerInch() const override { return static_cast<int>(dpi_); }
    PrintCanvas& beginPage() override {
        rects.clear();
        texts.clear();
        return *this;
    }
    void endPage() override { ++pages; }
    void abortPage() override {}

    // Every solid area reaches the paper as an image (the canvas's own fillRect).
    void drawImage(const QRect& target, const QImage&) override {
        rects.push_back(QRectF(onPaper(QPointF(target.topLeft())),
                               QSizeF(target.width(), target.height()) * mmPerUnit_));
    }
    void drawText(const QPoint& topLeft, const QFont&, const QColor&,
                  const QString& text) override {
        texts.push_back({onPaper(QPointF(topLeft)), text});
    }
    double zeroWidth(const QFont& font) override { return font.pointSizeF() * 300 / 72 / 2; }

    // The centres of the crosses on the page, left to right: a bar lying and a bar
    // standing whose centres meet.
    std::vector<QPointF> crosses() const {
        std::vector<QPointF> found;
        for (const QRectF& lying : rects)
            for (const QRectF& standing : rects)
                if (lying.width() > 5 * lying.height() &&
                    standing.height() > 5 * standing.width() &&
                    (lying.center() - standing.center()).manhattanLength() < 0.2)
                    found.push_back(QPointF(standing.center().x(), lying.center().y()));
        std::sort(found.begin(), found.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
        return found;
    }

    // The text on the page that contains the words, or nullptr.
    const PaperText* findText(const QString& words) const {
        for (const PaperText& text : texts)
            if (text.text.contains(words))
                return &text;
        return nullptr;
    }

  private:
    QPointF onPaper(QPointF unit) const { return unit * mmPerUnit_ + shift_; }

    double dpi_;
    double mmPerUnit_;
    QPointF shift_;
};

} // namespace mivora::test
