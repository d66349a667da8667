#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace mivora {

bool loadFrameworkTranslations(QCoreApplication& app) {
    auto* catalogue = new QTranslator(&app);
    if (!catalogue->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete catalogue;
        return false;
    }
    return QCoreApplication::installTranslator(catalogue);
}

} // namespace mivora
