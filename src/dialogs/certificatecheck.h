#pragma once
// The check before certificate files are written: for each file, every vehicle
// field it will write, the vehicle's value beside the new one with the changed
// fields marked, and what the clerk should know about the reading. Where several
// vehicles carry the chassis number, the clerk picks one here. OK writes (the
// caller does), キャンセル writes nothing.

#include "certificate/certificateimport.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace mivora {

class CertificateCheckWindow : public QDialog {
    Q_OBJECT
  public:
    CertificateCheckWindow(Table& vehicles, std::vector<CertificatePlan>& plans,
                           QWidget* parent = nullptr);

    QListWidget* fileList;     // one line per file (shown for several files)
    QLabel* actionLabel;       // what the file will do
    QComboBox* vehicleChoice;  // the vehicle to update, when several match
    QTableWidget* fieldTable;  // 項目 / 現在の値 / 読み込む値
    QPlainTextEdit* notesView; // notes of the reading
    QPushButton* okButton;

  private:
    void showPlan(int index);
    void fillFieldTable(const CertificatePlan& plan);
    void offerVehicles(const CertificatePlan& plan);
    void choose(int choice);
    QString summaryOf(const CertificatePlan& plan) const;
    void updateSummaries();

    Table& vehicles_;
    std::vector<CertificatePlan>& plans_;
    int shown_ = -1;
};

} // namespace mivora
