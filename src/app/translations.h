#pragma once
// The framework's own windows (file, font and printer dialogs, the buttons of
// message boxes) speak Japanese, as every other text of the program does.

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QCoreApplication;

namespace mivora {

// Installs the framework's Japanese catalogue into app, then the program's own
// catalogue for the words the framework's leaves in English (beside the program,
// else in the installation's or the framework's translations folder). False when
// the framework's catalogue is not installed (the dialogs then stay in English).
bool loadFrameworkTranslations(QCoreApplication& app, const QString& programDir = QString());

// The framework reads the system's locale from the environment once, while the
// application object is made; a system started without a language (C, POSIX)
// would show English dates and sizes in the file dialog. Held around the making
// of the application, this names Japanese to the framework there, and then gives
// back the environment the program was started with, for the C library's locale
// and for the processes it starts.
class JapaneseSystemLocale {
  public:
    JapaneseSystemLocale();
    ~JapaneseSystemLocale();
    JapaneseSystemLocale(const JapaneseSystemLocale&) = delete;
    JapaneseSystemLocale& operator=(const JapaneseSystemLocale&) = delete;

  private:
    std::optional<QByteArray> startedWith_; // LC_ALL, when it was replaced
    bool replaced_ = false;
};

} // namespace mivora
