#pragma once
// The framework's own windows (file, font and printer dialogs, the buttons of
// message boxes) speak Japanese, as every other text of the program does.

class QCoreApplication;

namespace mivora {

// Installs the framework's Japanese catalogue into app; false when it is not
// installed (the dialogs then stay in English).
bool loadFrameworkTranslations(QCoreApplication& app);

} // namespace mivora
