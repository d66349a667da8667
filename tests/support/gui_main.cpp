// Test main for the windows: one QApplication for the whole program, offscreen.
// Window positions go to a settings folder of the test run, never the user's.
#ifdef MIVORA_DESKTOP_LOCALE
#include "app/translations.h"
#endif

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

int main(int argc, char** argv) {
#ifndef _WIN32 // Windows' own platform runs on the display wine is given
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
#ifdef MIVORA_DESKTOP_LOCALE // the windows of the program see the locale it gives them
    auto japanese = std::make_unique<mivora::JapaneseSystemLocale>();
    QApplication app(argc, argv);
    japanese.reset();
#else
    QApplication app(argc, argv);
#endif
    QTemporaryDir settings;
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
