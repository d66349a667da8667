#include "print/paintercanvas.h"

#include "platform/files.h"
#include "text/errors.h"
#include "text/lines.h"

#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QTextLayout>

#include <cerrno>
#include <cstdio>

namespace mivora {

void PainterCanvas::drawImage(const QRect& target, const QImage& image) {
    painter_.drawImage(target, image);
}

namespace {

// One line of text laid out by its font's design metrics: the advances of the
// outlines, the same on every system, where Windows' font engine would round
// each to the device's pixels and move the later words of a line.
class DesignLine {
  public:
    DesignLine(const QString& text, const QFont& font, QPaintDevice* device)
        : layout_(text, font, device) {
        QTextOption option;
        option.setUseDesignMetrics(true);
        layout_.setTextOption(option);
        layout_.beginLayout();
        line_ = layout_.createLine();
        layout_.endLayout();
    }
    double width() const { return line_.horizontalAdvance(); }
    void draw(QPainter& painter, const QPointF& baseline) {
        layout_.draw(&painter, baseline - QPointF(0, line_.ascent()));
    }

  private:
    QTextLayout layout_;
    QTextLine line_;
};

} // namespace

void PainterCanvas::drawText(const QPoint& topLeft, const QFont& font, const QColor& colour,
                             const QString& text) {
    QFontMetricsF metrics(font, painter_.device());
    painter_.setPen(colour);
    painter_.setBackgroundMode(Qt::TransparentMode);
    DesignLine(text, font, painter_.device())
        .draw(painter_, QPointF(topLeft.x(), topLeft.y() + metrics.ascent()));
}

double PainterCanvas::zeroWidth(const QFont& font) {
    return DesignLine(QStringLiteral("0"), font, painter_.device()).width();
}

void PainterCanvas::fillRect(const QRect& area, const QColor& colour) {
    painter_.fillRect(area, colour);
}

// The PDF's bytes pass through here so that a failed write keeps the system's
// error number, which QFile turns into English text.
class PdfSink : public QIODevice {
  public:
    explicit PdfSink(std::FILE* out) : out_(out) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    ~PdfSink() override {
        if (out_)
            std::fclose(out_);
    }
    PdfSink(const PdfSink&) = delete;
    PdfSink& operator=(const PdfSink&) = delete;

    // 0 when every byte reached the file; the first failure's error number otherwise.
    int finish() {
        errno = 0;
        const bool closed = std::fclose(out_) == 0;
        out_ = nullptr;
        if (failure_ == 0 && !closed)
            failure_ = errno != 0 ? errno : EIO;
        return failure_;
    }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        errno = 0;
        if (std::fwrite(data, 1, static_cast<std::size_t>(size), out_) ==
            static_cast<std::size_t>(size))
            return size;
        if (failure_ == 0)
            failure_ = errno != 0 ? errno : EIO;
        return -1;
    }

  private:
    std::FILE* out_;
    int failure_ = 0;
};

PdfDevice::PdfDevice(std::filesystem::path file, QSizeF paperMm)
    : file_(std::move(file)), paperMm_(paperMm) {}

PdfDevice::~PdfDevice() {
    close();
}

PrintCanvas& PdfDevice::beginPage() {
    if (!writer_) {
        errno = 0;
        std::FILE* out = openStream(file_, "wb");
        if (!out)
            throw fileFailure(file_, FileAction::Create, errno);
        sink_ = std::make_unique<PdfSink>(out);
        writer_ = std::make_unique<QPdfWriter>(sink_.get());
        writer_->setResolution(kResolution);
        writer_->setPageLayout(QPageLayout(QPageSize(paperMm_, QPageSize::Millimeter),
                                           QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer_->setCreator(QStringLiteral("Mivora For Win32"));
        if (!painter_.begin(writer_.get())) {
            close();
            std::error_code ignored;
            std::filesystem::remove(file_, ignored);
            throw fileFailure(file_, FileAction::Create, 0);
        }
    } else if (!writer_->newPage()) {
        throw FileError("PDF ファイル " + pathText(file_) + " に新しいページを追加できません。");
    }
    return canvas_;
}

int PdfDevice::close() {
    if (!sink_)
        return 0;
    const bool ended = !painter_.isActive() || painter_.end();
    int failure = sink_->finish();
    if (failure == 0 && !ended)
        failure = EIO;
    writer_.reset();
    sink_.reset();
    return failure;
}

void PdfDevice::finish() {
    if (const int failure = close(); failure != 0) {
        std::error_code ignored;
        std::filesystem::remove(file_, ignored);
        throw fileFailure(file_, FileAction::Write, failure);
    }
}

} // namespace mivora
