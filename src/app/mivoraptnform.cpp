#include "app/mivoraptnform.h"

#include "app/prversiondlg.h"
#include "app/windowprinthost.h"
#include "cli/options.h"
#include "designer/mivoraform.h"
#include "dialogs/certificatecheck.h"
#include "dialogs/indtlform.h"
#include "dialogs/progresswindow.h"
#include "dialogs/tooleditform.h"
#include "exchange/exchangeflow.h"
#include "items/postalupdate.h"
#include "platform/paths.h"
#include "print/printdata.h"
#include "session/prompter.h"
#include "store/safetycopy.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"
#include "widgets/dbgrid.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPrinterInfo>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace mivora {

namespace fs = std::filesystem;

namespace {

constexpr int kNormalWidth = 435;
constexpr int kNormalHeight = 300;

// Not every desktop has an icon theme with a printer in it; this one is drawn so
// that the print button never falls back to a picture that means something else.
QIcon drawnPrinterIcon() {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(Qt::white);
    painter.drawRect(4, 1, 7, 5); // the sheet going in
    painter.setBrush(QColor(150, 150, 150));
    painter.drawRoundedRect(1, 6, 13, 6, 1.5, 1.5); // the body
    painter.setBrush(Qt::white);
    painter.drawRect(4, 10, 7, 5); // the printed sheet
    painter.setPen(QColor(60, 60, 60));
    painter.drawLine(5, 12, 9, 12);
    painter.setPen(QColor(40, 170, 40));
    painter.drawPoint(12, 8); // the power lamp
    painter.end();
    return QIcon(picture);
}

// The local files of a drop; what is not a file is not offered to the list.
std::vector<fs::path> droppedFiles(const QMimeData* data) {
    std::vector<fs::path> files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.push_back(pathOf({}, url.toLocalFile().toStdString()));
    return files;
}

} // namespace

TMivoraPtnForm::TMivoraPtnForm(Session& session, Forms& forms, QWidget* parent)
    : QWidget(parent), RestorePos1(*this), session_(session), forms_(forms) {
    setWindowTitle(QStringLiteral("Mivora For Win32"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    buildWindow();
    // The size set by FormCreate follows, so only the saved position counts.
    RestorePos1.KeyName = QStringLiteral("Mivora");
    RestorePos1.restore();
    session_.digitCounts.afterScroll = [this](Table&) { Table3AfterScroll(); };
    openTables();
    FormCreate();
}

TMivoraPtnForm::~TMivoraPtnForm() {
    session_.digitCounts.afterScroll = nullptr;
}

QToolButton* TMivoraPtnForm::addButton(QWidget* bar, const QString& hint, const QIcon& icon) {
    auto* button = new QToolButton(bar);
    button->setFixedSize(25, 25);
    button->setIcon(icon);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    bar->layout()->addWidget(button);
    return button;
}

void TMivoraPtnForm::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* toolbar = new QWidget(this);
    auto* bar = new QHBoxLayout(toolbar);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(1);
    QStyle* look = style();
    NewSpeed =
        addButton(toolbar, QStringLiteral("新規作成"), look->standardIcon(QStyle::SP_FileIcon));
    SpeedButton1 = addButton(toolbar, QStringLiteral("リストア"),
                             look->standardIcon(QStyle::SP_DialogOpenButton));
    SpeedButton2 = addButton(toolbar, QStringLiteral("バックアップ"),
                             look->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton3 =
        addButton(toolbar, QStringLiteral("印刷"),
                  QIcon::fromTheme(QStringLiteral("document-print"), drawnPrinterIcon()));
    SpeedButton4 = addButton(toolbar, QStringLiteral("Mivora設定"),
                             look->standardIcon(QStyle::SP_FileDialogDetailedView));
    certificateButton = addButton(toolbar, QStringLiteral("車検証読込"),
                                  look->standardIcon(QStyle::SP_FileDialogContentsView));
    bar->addStretch();
    PostalSpeed = addButton(toolbar, QStringLiteral("郵便番号簿の更新"),
                            look->standardIcon(QStyle::SP_BrowserReload));
    VerSpeed = addButton(toolbar, QStringLiteral("バージョン情報"),
                         look->standardIcon(QStyle::SP_MessageBoxInformation));
    layout->addWidget(toolbar);

    Panel2Label = new QLabel(this);
    QFont large = Panel2Label->font();
    large.setPixelSize(19);
    Panel2Label->setFont(large);
    layout->addWidget(Panel2Label);

    DBGrid1 = new DBGrid(session_.vehicles, this);
    DBGrid1->setPrompter(forms_.prompter);
    layout->addWidget(DBGrid1, 1);

    PathLabel = new QLabel(this);
    PathLabel->hide();
    T3Label = new QLabel(this);
    T3Label->hide();

    Timer1 = new QTimer(this);
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &TMivoraPtnForm::Timer1Timer);

    connect(SpeedButton3, &QToolButton::clicked, this, &TMivoraPtnForm::SpeedButton3Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TMivoraPtnForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TMivoraPtnForm::SpeedButton2Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TMivoraPtnForm::SpeedButton4Click);
    connect(NewSpeed, &QToolButton::clicked, this, &TMivoraPtnForm::NewSpeedClick);
    connect(VerSpeed, &QToolButton::clicked, this, &TMivoraPtnForm::VerSpeedClick);
    connect(PostalSpeed, &QToolButton::clicked, this, &TMivoraPtnForm::PostalSpeedClick);
    connect(certificateButton, &QToolButton::clicked, this,
            &TMivoraPtnForm::chooseCertificateFiles);
    // The same from the list's own menu, and by dropping the files onto the window.
    auto* readCertificate = new QAction(QStringLiteral("車検証読込..."), DBGrid1);
    connect(readCertificate, &QAction::triggered, this, &TMivoraPtnForm::chooseCertificateFiles);
    DBGrid1->addAction(readCertificate);
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    setAcceptDrops(true);
}

// A server may take seconds to answer: the clerk sees what the program waits for.
void TMivoraPtnForm::openTables() {
    std::unique_ptr<QLabel> connecting;
    if (session_.tablesOnServer()) {
        connecting = std::make_unique<QLabel>(
            QStringLiteral("データベースサーバーに接続しています…"), nullptr, Qt::SplashScreen);
        connecting->setMargin(24);
        connecting->show();
        QCoreApplication::processEvents();
    }
    try {
        session_.openMainTables();
    } catch (const Error& error) {
        connecting.reset();
        forms_.prompter->showError(error.what());
    }
    DBGrid1->refresh();
}

void TMivoraPtnForm::FormCreate() {
    ProgramSettings& settings = session_.settings;
    PathLabel->setText(QString::fromStdString(pathText(settings.programDir)));
    try {
        readSettingsFiles(settings);
    } catch (const Error& error) {
        forms_.prompter->showError(error.what());
    }
    if (settings.request.mode != StartupRequest::None) {
        try {
            session_.applyRequestOrder(settings.request);
            moveToRecord(session_.vehicles, settings.request.recordNumber, "車両のレコード");
        } catch (const Error& error) {
            refuseRequest(error);
        }
    }
    DBGrid1->refresh();
    if (settings.request.mode != StartupRequest::None)
        resize(0, 0);
    else
        resize(kNormalWidth, kNormalHeight);
}

void TMivoraPtnForm::start() {
    if (session_.settings.request.mode == StartupRequest::None)
        show();
    Timer1->start();
}

void TMivoraPtnForm::Timer1Timer() {
    Timer1->stop();
    usePrinters(QPrinterInfo::availablePrinterNames());
    if (session_.settings.request.mode != StartupRequest::None)
        serveRequest();
}

void TMivoraPtnForm::usePrinters(const QStringList& printers) {
    session_.settings.severalPrinters = printers.size() > 1;
    if (session_.settings.severalPrinters && forms_.toolEdit)
        forms_.toolEdit->showPrinterChoice(printers);
}

// T3Label has a text once the digit-count window exists; the table already moves
// while it opens, before that window is there.
void TMivoraPtnForm::Table3AfterScroll() {
    if (T3Label->text().isEmpty() || !forms_.digitCounts)
        return;
    const QString number = QString::number(session_.digitCounts.recNo());
    if (forms_.digitCounts->Edit1->text() != number)
        forms_.digitCounts->Edit1->setText(number);
}

// A request that cannot be applied as written is not served: printing another
// record onto the pre-printed form would be worse than printing none. The window
// opens as at an ordinary start and the request file stays.
void TMivoraPtnForm::refuseRequest(const Error& error) {
    forms_.prompter->showError("起動要求 " + pathText(requestFile(session_.settings.programDir)) +
                               " を実行できません。" + error.what());
    session_.settings.request.mode = StartupRequest::None;
}

void TMivoraPtnForm::serveRequest() {
    try {
        moveToRecord(session_.layouts, session_.settings.request.layout, "レイアウト");
    } catch (const Error& error) {
        refuseRequest(error);
        resize(kNormalWidth, kNormalHeight);
        show();
        return;
    }
    hide();
    const int mode = session_.settings.request.mode;
    if ((mode == StartupRequest::Designer || mode == StartupRequest::Settings) && forms_.designer) {
        // The designer opens on the record as it would print; a record that cannot
        // be priced has been reported and is shown all the same.
        try {
            prepareAsRequest(session_, *forms_.prompter);
            storePreparedItems(session_);
        } catch (const Error& error) {
            forms_.prompter->showError(error.what());
        }
        forms_.designer->exec();
    }
    if (mode == StartupRequest::Print)
        SpeedButton3Click();
    std::error_code ignored;
    fs::remove(requestFile(session_.settings.programDir), ignored);
    close();
}

WindowPrintHost& TMivoraPtnForm::printHost() {
    if (!printHost_)
        printHost_ = std::make_unique<WindowPrintHost>(session_, forms_, this);
    return *printHost_;
}

// What is printed is the vehicle the grid shows, as it shows it; the grid then
// follows the record printed last.
void TMivoraPtnForm::SpeedButton3Click() {
    if (!DBGrid1->holdShownRecord())
        return;
    printHost().print();
    DBGrid1->followTable();
}

// A fee layout shows each amount slot by its keyword while it is designed.
void TMivoraPtnForm::SpeedButton4Click() {
    if (!forms_.designer)
        return;
    try {
        prepareForDesigner(session_, *forms_.prompter);
    } catch (const Error& error) {
        forms_.prompter->showError(error.what());
    }
    forms_.designer->exec();
}

void TMivoraPtnForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (session_.settings.request.mode == StartupRequest::Designer)
        hide();
}

void TMivoraPtnForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    QCoreApplication::quit();
}

void TMivoraPtnForm::NewSpeedClick() {
    if (!forms_.prompter->askYesNo("全てのデータが消去されます！\n新規作成してよろしいですか？"))
        return;
    try {
        replaceViewAfterSafetyCopy(session_.vehicles, [] {});
    } catch (const Error& error) {
        forms_.prompter->showError(error.what());
    }
    DBGrid1->refresh();
}

void TMivoraPtnForm::SpeedButton1Click() {
    exchangeRecords(restoreWithQuestions, QStringLiteral("リストアしています..."));
}

void TMivoraPtnForm::SpeedButton2Click() {
    exchangeRecords(backupWithQuestions, QStringLiteral("バックアップしています..."));
}

void TMivoraPtnForm::exchangeRecords(ExchangeRun run, const QString& label) {
    try {
        ProgressWindow progress(this, label);
        run(session_, *forms_.prompter, progress.report());
    } catch (const Error& error) {
        forms_.prompter->showError(error.what());
    }
    DBGrid1->refresh();
}

void TMivoraPtnForm::VerSpeedClick() {
    forms_.version->exec();
}

// The outcome is told in a box that does not hold up the program.
void TMivoraPtnForm::PostalSpeedClick() {
    const fs::path& programDir = session_.settings.programDir;
    const auto zipFile =
        forms_.prompter->chooseFile({false, "郵便番号簿の zip ファイルの指定",
                                     "郵便番号簿 (*.zip *.ZIP);;全て (*)", pathText(programDir)});
    if (!zipFile)
        return;
    try {
        const InstalledPostalList installed = installPostalList(pathOf({}, *zipFile), programDir);
        auto* box = new QMessageBox(QMessageBox::Information, windowTitle(),
                                    QString::fromStdString(installedMessage(installed)),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    } catch (const Error& error) {
        forms_.prompter->showError(error.what());
    }
}

void TMivoraPtnForm::chooseCertificateFiles() {
    std::vector<fs::path> files;
    for (const std::string& file :
         forms_.prompter->chooseFiles({false, "車検証情報取込みファイルの指定",
                                       "車検証情報取込みファイル (*.json *.JSON);;全て (*)", ""}))
        files.push_back(pathOf({}, file));
    readCertificates(files);
}

void TMivoraPtnForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TMivoraPtnForm::dropEvent(QDropEvent* event) {
    const std::vector<fs::path> files = droppedFiles(event->mimeData());
    if (files.empty())
        return;
    event->acceptProposedAction();
    // The drag source waits for the drop to end: the check window opens after it.
    QTimer::singleShot(0, this, [this, files] { readCertificates(files); });
}

// Files that cannot be read are named; the rest are read only when the clerk says so.
bool TMivoraPtnForm::goOnWithoutFailures(const std::vector<CertificateFailure>& failures,
                                         bool anyRead) {
    if (failures.empty())
        return true;
    std::string message = "読み込めないファイルがあります。";
    for (const CertificateFailure& failure : failures)
        message += "\n" + failure.message;
    if (!anyRead) {
        forms_.prompter->showError(message);
        return false;
    }
    return forms_.prompter->askYesNo(message + "\n\n読み込めたファイルだけを読み込みますか？");
}

void TMivoraPtnForm::readCertificates(const std::vector<fs::path>& files) {
    if (files.empty())
        return;
    try {
        CertificateBatch batch =
            planCertificates(session_.vehicles, files, CertificateMatch::AddOrUpdate);
        if (!goOnWithoutFailures(batch.failures, !batch.plans.empty()))
            return;
        CertificateCheckWindow check(session_.vehicles, batch.plans, this);
        if (check.exec() != QDialog::Accepted)
            return;
        ProgressWindow progress(this, QStringLiteral("車検証を読み込んでいます..."));
        const std::int64_t read =
            applyCertificates(session_.vehicles, batch.plans, progress.report());
        DBGrid1->refresh();
        session_.vehicles.moveTo(read);
        DBGrid1->followTable();
    } catch (const Error& error) {
        forms_.prompter->showError(error.what());
        DBGrid1->refresh();
    } catch (const Cancelled&) {
        DBGrid1->refresh();
    }
}

} // namespace mivora
