#include "cli/headlessgui.h"

#include <cstdlib>

namespace mivora {

namespace {

// Debug, info and warning notices of the framework say nothing a clerk can act
// on; critical and fatal ones still reach the error output.
void keepNoticesQuiet(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        qt_message_output(type, context, text);
}

} // namespace

HeadlessGui::HeadlessGui() {
    if (qApp)
        return;
    previous_ = qInstallMessageHandler(keepNoticesQuiet);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "mivora";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QGuiApplication>(argc, argv);
}

HeadlessGui::~HeadlessGui() {
    if (!app_)
        return;
    app_.reset();
    qInstallMessageHandler(previous_);
}

} // namespace mivora
