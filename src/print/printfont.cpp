#include "print/printfont.h"

#include "text/codec.h"
#include "text/filenames.h"
#include "text/lines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QStringList>

namespace mivora {

namespace {

const QString kFixedGothic = QStringLiteral("IPAGothic");
const QString kProportionalGothic = QStringLiteral("IPAPGothic");

// Windows has no IPA fonts of its own: the program brings them in its fonts
// folder, drawn where a layout's Windows font is missing.
void loadBundledFonts() {
    static const bool loaded = [] {
        if (QFontDatabase::hasFamily(kFixedGothic))
            return true;
        const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
        for (const QString& file : folder.entryList({QStringLiteral("*.ttf")}, QDir::Files))
            QFontDatabase::addApplicationFont(folder.filePath(file));
        return true;
    }();
    (void)loaded;
}

} // namespace

std::string printFontName(const std::filesystem::path& programDir) {
    if (auto lines = readLines(findFile(programDir, "CarFont.INI")); lines && !lines->empty())
        return lines->front();
    return fromUtf8("ＪＳゴシック");
}

void registerJapaneseFontSubstitutes() {
    loadBundledFonts();
    QFont::insertSubstitution(QStringLiteral("ＪＳゴシック"), kFixedGothic);
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), kFixedGothic);
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), kProportionalGothic);
}

QFont fontNamed(const std::string& name) {
    registerJapaneseFontSubstitutes();
    const QString family = QString::fromStdString(toUtf8(name));
    if (!QFontDatabase::hasFamily(family) && QFont::substitutes(family).isEmpty())
        QFont::insertSubstitution(family, kFixedGothic);
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace mivora
