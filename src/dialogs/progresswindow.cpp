#include "dialogs/progresswindow.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace mivora {

ProgressWindow::ProgressWindow(QWidget* parent, const QString& label)
    : parent_(parent), label_(label) {}

ProgressWindow::~ProgressWindow() = default;

// The dialog counts its half second from its creation and then shows itself: made
// before the run's questions, it would pop up over them.
QProgressDialog& ProgressWindow::dialog() {
    if (!dialog_) {
        dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("ｷｬﾝｾﾙ"), 0, 0, parent_);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(500);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
    }
    return *dialog_;
}

Progress ProgressWindow::report() {
    return [this](int done, int total) {
        QProgressDialog& shown = dialog();
        shown.setMaximum(total);
        shown.setValue(std::min(done, total));
        QCoreApplication::processEvents();
        return !shown.wasCanceled();
    };
}

} // namespace mivora
