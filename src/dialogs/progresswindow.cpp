#include "dialogs/progresswindow.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace mivora {

ProgressWindow::ProgressWindow(QWidget* parent, const QString& label)
    : dialog_(std::make_unique<QProgressDialog>(label, QStringLiteral("ｷｬﾝｾﾙ"), 0, 0, parent)) {
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
}

ProgressWindow::~ProgressWindow() = default;

Progress ProgressWindow::report() {
    return [this](int done, int total) {
        dialog_->setMaximum(total);
        dialog_->setValue(std::min(done, total));
        QCoreApplication::processEvents();
        return !dialog_->wasCanceled();
    };
}

} // namespace mivora
