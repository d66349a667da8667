#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>

namespace mivora {

namespace {

bool namesNoLanguage(const char* variable) {
    const QByteArray value = qgetenv(variable);
    return value.isEmpty() || value == "C" || value == "POSIX" || value.startsWith("C.");
}

bool install(QCoreApplication& app, const QString& name, const QStringList& folders) {
    auto* catalogue = new QTranslator(&app);
    for (const QString& folder : folders) {
        if (catalogue->load(name, folder))
            return QCoreApplication::installTranslator(catalogue);
    }
    delete catalogue;
    return false;
}

} // namespace

bool loadFrameworkTranslations(QCoreApplication& app, const QString& programDir) {
    // Dates and the kinds of files in the file dialog follow the locale, which is
    // C on a system started without one.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const QString frameworkFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!install(app, QStringLiteral("qtbase_ja"), {frameworkFolder}))
        return false;
    // Installed after the framework's, so that its words are looked up first.
    const QString program =
        programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
    install(app, QStringLiteral("mivora_ja"),
            {program, program + QStringLiteral("/../share/qt6/translations"), frameworkFolder});
    return true;
}

JapaneseSystemLocale::JapaneseSystemLocale() {
    if (!namesNoLanguage("LC_ALL") || !namesNoLanguage("LC_MESSAGES") || !namesNoLanguage("LANG"))
        return;
    if (qEnvironmentVariableIsSet("LC_ALL"))
        startedWith_ = qgetenv("LC_ALL");
    qputenv("LC_ALL", "ja_JP.UTF-8");
    replaced_ = true;
}

JapaneseSystemLocale::~JapaneseSystemLocale() {
    if (!replaced_)
        return;
    if (startedWith_)
        qputenv("LC_ALL", *startedWith_);
    else
        qunsetenv("LC_ALL");
    // The application set the C library's locale from the replaced environment.
    std::setlocale(LC_ALL, "");
}

} // namespace mivora
