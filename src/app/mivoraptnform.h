#pragma once
// The main window: the toolbar, the vehicle list and the start-up steps.

#include "certificate/certificateimport.h"
#include "dialogs/forms.h"
#include "dialogs/restorepos.h"
#include "exchange/exchange.h"
#include "session/session.h"

#include <QWidget>

#include <filesystem>
#include <memory>
#include <vector>

class QLabel;
class QTimer;
class QToolButton;

namespace mivora {

class DBGrid;
class Error;
class WindowPrintHost;

class TMivoraPtnForm : public QWidget {
    Q_OBJECT
  public:
    TMivoraPtnForm(Session& session, Forms& forms, QWidget* parent = nullptr);
    ~TMivoraPtnForm() override;

    // Shows the window, or keeps it hidden while a start-up request is served,
    // and starts the one-shot timer.
    void start();

    void FormCreate();
    void Timer1Timer();
    void Table3AfterScroll();
    void NewSpeedClick();
    void SpeedButton1Click(); // restore
    void SpeedButton2Click(); // backup
    void SpeedButton3Click(); // print the current record
    void SpeedButton4Click(); // the layout designer
    void VerSpeedClick();
    void PostalSpeedClick(); // a new national postal list from its zip file
    // Electronic certificate files into the list: chosen with the button, or dropped.
    void chooseCertificateFiles();
    void readCertificates(const std::vector<std::filesystem::path>& files);

    QToolButton* NewSpeed;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QToolButton* VerSpeed;
    QToolButton* PostalSpeed;
    QToolButton* certificateButton;
    QLabel* Panel2Label;
    DBGrid* DBGrid1;
    QLabel* PathLabel;
    QLabel* T3Label;
    QTimer* Timer1;
    TRestorePos RestorePos1;

    // The installed printers: with more than one, the printer adjustment window
    // offers them and tells its groups apart.
    void usePrinters(const QStringList& printers);
    // What the print button prints with; the printer chosen stays for the next run.
    WindowPrintHost& printHost();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QToolButton* addButton(QWidget* bar, const QString& hint, const QIcon& icon);
    void buildWindow();
    void openTables();
    void serveRequest();
    void refuseRequest(const Error& error);
    using ExchangeRun = bool (*)(Session&, Prompter&, const Progress&);
    void exchangeRecords(ExchangeRun run, const QString& label);
    bool goOnWithoutFailures(const std::vector<CertificateFailure>& failures, bool anyRead);

    Session& session_;
    Forms& forms_;
    std::unique_ptr<WindowPrintHost> printHost_;
};

} // namespace mivora
