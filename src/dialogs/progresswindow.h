#pragma once
// A progress window for long runs (backup, restore): it appears only once the
// run has begun (after its questions) and lasts more than half a second, and its
// Cancel stops the run.

#include "exchange/exchange.h"

#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace mivora {

class ProgressWindow {
  public:
    ProgressWindow(QWidget* parent, const QString& label);
    ~ProgressWindow();

    // Reports to this window; false once the person cancelled.
    Progress report();

  private:
    QProgressDialog& dialog();

    QWidget* parent_;
    QString label_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace mivora
