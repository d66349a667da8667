#include "cli/headlessgui.h"

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
#ifndef Q_OS_WIN
    // Windows' own platform draws and measures text without showing a window;
    // elsewhere the native one needs a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
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
