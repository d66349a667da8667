#pragma once

#include <QDialog>

namespace mivora {

// The version dialog: product line, version and an OK button.
class TPrVersionDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TPrVersionDlg(QWidget* parent = nullptr);
};

} // namespace mivora
