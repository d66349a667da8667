#include "dialogs/certificatecheck.h"

#include "platform/paths.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace mivora {

namespace {

QString shown(const std::string& cp932) {
    return QString::fromStdString(toUtf8(cp932));
}

QString fileName(const CertificatePlan& plan) {
    return QString::fromStdString(pathText(plan.file.filename()));
}

enum Column { Mark, Field, Current, New };

} // namespace

CertificateCheckWindow::CertificateCheckWindow(Table& vehicles, std::vector<CertificatePlan>& plans,
                                               QWidget* parent)
    : QDialog(parent), vehicles_(vehicles), plans_(plans) {
    setWindowTitle(QStringLiteral("車検証読込"));
    fileList = new QListWidget(this);
    actionLabel = new QLabel(this);
    actionLabel->setWordWrap(true);
    vehicleChoice = new QComboBox(this);
    fieldTable = new QTableWidget(0, 4, this);
    fieldTable->setHorizontalHeaderLabels({QString(), QStringLiteral("項目"),
                                           QStringLiteral("現在の値"),
                                           QStringLiteral("読み込む値")});
    fieldTable->verticalHeader()->hide();
    fieldTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fieldTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    fieldTable->horizontalHeader()->setStretchLastSection(true);
    notesView = new QPlainTextEdit(this);
    notesView->setReadOnly(true);
    notesView->setMaximumHeight(90);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* details = new QVBoxLayout;
    details->addWidget(actionLabel);
    details->addWidget(vehicleChoice);
    details->addWidget(fieldTable, 1);
    details->addWidget(notesView);
    auto* columns = new QHBoxLayout;
    columns->addWidget(fileList);
    columns->addLayout(details, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons);

    fileList->setVisible(plans_.size() > 1);
    fileList->setMaximumWidth(260);
    for (const CertificatePlan& plan : plans_)
        fileList->addItem(summaryOf(plan));
    connect(fileList, &QListWidget::currentRowChanged, this, &CertificateCheckWindow::showPlan);
    connect(vehicleChoice, &QComboBox::activated, this, &CertificateCheckWindow::choose);
    updateSummaries();
    fileList->setCurrentRow(0);
    showPlan(0);
    resize(plans_.size() > 1 ? 860 : 600, 560);
}

QString CertificateCheckWindow::summaryOf(const CertificatePlan& plan) const {
    if (plan.needsChoice())
        return QStringLiteral("要選択　") + fileName(plan);
    switch (plan.action) {
    case CertificatePlan::Action::Add:
        return QStringLiteral("追加　　") + fileName(plan);
    case CertificatePlan::Action::Update:
        return QStringLiteral("更新　　") + fileName(plan);
    case CertificatePlan::Action::Unchanged:
        break;
    }
    return QStringLiteral("変更なし　") + fileName(plan);
}

// OK writes every file: it waits until each has its vehicle.
void CertificateCheckWindow::updateSummaries() {
    for (int i = 0; i < static_cast<int>(plans_.size()); ++i)
        fileList->item(i)->setText(summaryOf(plans_[i]));
    okButton->setEnabled(
        std::none_of(plans_.begin(), plans_.end(),
                     [](const CertificatePlan& plan) { return plan.needsChoice(); }));
}

void CertificateCheckWindow::showPlan(int index) {
    if (index < 0 || index >= static_cast<int>(plans_.size()))
        return;
    shown_ = index;
    const CertificatePlan& plan = plans_[index];
    const QString chassis = shown(plan.certificate.chassisNumber());
    QString action;
    if (plan.needsChoice())
        action =
            QStringLiteral("車台番号 %1 の車両が %2 台あります。更新する車両を選んでください。")
                .arg(chassis)
                .arg(plan.candidates.size());
    else if (plan.action == CertificatePlan::Action::Add)
        action = QStringLiteral("車台番号 %1 の車両は一覧にないため、新しい車両として追加します。")
                     .arg(chassis);
    else if (plan.action == CertificatePlan::Action::Update)
        action = QStringLiteral("車台番号 %1 の車両の %2 項目を更新します (● の項目)。")
                     .arg(chassis)
                     .arg(plan.changed.size());
    else
        action =
            QStringLiteral("車台番号 %1 の車両は車検証と同じです。変更はありません。").arg(chassis);
    actionLabel->setText(QString::fromStdString(pathText(plan.file)) + u'\n' + action);
    offerVehicles(plan);
    fillFieldTable(plan);
    QStringList notes;
    for (const std::string& note : plan.certificate.notes)
        notes << QString::fromStdString(note);
    notesView->setPlainText(notes.join(u'\n'));
    notesView->setVisible(!notes.isEmpty());
}

void CertificateCheckWindow::offerVehicles(const CertificatePlan& plan) {
    vehicleChoice->clear();
    vehicleChoice->setVisible(plan.candidates.size() > 1);
    if (plan.candidates.size() < 2)
        return;
    vehicleChoice->addItem(QStringLiteral("(更新する車両を選んでください)"));
    for (std::int64_t rowid : plan.candidates) {
        const Table::Row& record = vehicles_.recordOf(rowid);
        QStringList parts;
        for (const char* field : {"使用者", "自動車登録番号", "電話番号"})
            parts << shown(record.at(vehicles_.fieldIndex(sj(field))));
        vehicleChoice->addItem(parts.join(QStringLiteral("　")));
        if (rowid == plan.rowid)
            vehicleChoice->setCurrentIndex(vehicleChoice->count() - 1);
    }
}

void CertificateCheckWindow::choose(int choice) {
    if (shown_ < 0 || choice < 1)
        return;
    CertificatePlan& plan = plans_[shown_];
    chooseVehicle(vehicles_, plan, plan.candidates.at(choice - 1));
    updateSummaries();
    showPlan(shown_);
}

void CertificateCheckWindow::fillFieldTable(const CertificatePlan& plan) {
    const auto& fields = plan.certificate.fields;
    fieldTable->setRowCount(static_cast<int>(fields.size()));
    const bool known = plan.rowid != 0;
    fieldTable->setColumnHidden(Current, !known);
    for (int row = 0; row < static_cast<int>(fields.size()); ++row) {
        const int index = vehicles_.fieldIndex(fields[row].name);
        const bool changed = std::count(plan.changed.begin(), plan.changed.end(), index) > 0;
        const QString values[] = {
            changed ? QStringLiteral("●") : QString(), shown(fields[row].name),
            known ? shown(plan.shown.at(index)) : QString(), shown(fields[row].value)};
        for (int column = Mark; column <= New; ++column) {
            auto* item = new QTableWidgetItem(values[column]);
            QFont font = item->font();
            font.setBold(changed);
            item->setFont(font);
            fieldTable->setItem(row, column, item);
        }
    }
    fieldTable->resizeColumnToContents(Mark);
    fieldTable->resizeColumnToContents(Field);
    fieldTable->setColumnWidth(Current, 190);
}

} // namespace mivora
