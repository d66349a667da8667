#pragma once
// What a PDF holds as poppler-utils read it: the words with their boxes, the
// fonts, and its pages rendered to images.

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <filesystem>
#include <optional>
#include <vector>

namespace mivora::test {

inline bool haveTool(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// The standard output of a tool, or nullopt when it failed.
inline std::optional<QString> runTool(const QString& name, const QStringList& arguments) {
    QProcess process;
    process.start(name, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString pathArg(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax; // millimetres from the top-left corner of the page
};

constexpr double kMmPerPoint = 25.4 / 72;

// The words of one page, in the order pdftotext finds them.
inline std::vector<PdfWord> pdfWords(const std::filesystem::path& pdf, int page = 1) {
    const QString number = QString::number(page);
    auto html = runTool(QStringLiteral("pdftotext"),
                        {QStringLiteral("-bbox"), QStringLiteral("-f"), number,
                         QStringLiteral("-l"), number, pathArg(pdf), QStringLiteral("-")});
    std::vector<PdfWord> words;
    if (!html)
        return words;
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto match = word.globalMatch(*html); match.hasNext();) {
        const auto found = match.next();
        words.push_back({found.captured(5), found.captured(1).toDouble() * kMmPerPoint,
                         found.captured(2).toDouble() * kMmPerPoint,
                         found.captured(3).toDouble() * kMmPerPoint,
                         found.captured(4).toDouble() * kMmPerPoint});
    }
    return words;
}

// The lines of pdffonts after its two heading lines.
inline QStringList pdfFonts(const std::filesystem::path& pdf) {
    auto listing = runTool(QStringLiteral("pdffonts"), {pathArg(pdf)});
    if (!listing)
        return {};
    return listing->split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
}

// One page rendered in grey at the resolution, or a null image.
inline QImage renderPage(const std::filesystem::path& pdf, int dpi, int page = 1) {
    QTemporaryDir dir;
    const std::filesystem::path stem = std::filesystem::path(dir.path().toStdString()) / "page";
    const QString number = QString::number(page);
    if (!runTool(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi),
                  QStringLiteral("-f"), number, QStringLiteral("-l"), number,
                  QStringLiteral("-singlefile"), pathArg(pdf), pathArg(stem)}))
        return {};
    return QImage(pathArg(stem) + QStringLiteral(".pgm"));
}

} // namespace mivora::test
