#pragma once
// A CUPS server of the test's own: cupsd in the foreground on a private
// configuration and socket, with PDF queues of cups-pdf, so that the machine's own
// printers are never touched. It is stopped by its process id.

#include "print/pdftools.h"
#include "support/tempdir.h"

#include <QProcess>
#include <QThread>

#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace mivora::test {

class PrivateCups {
  public:
    // Why a private server cannot run here, or "" when it can.
    static std::string unavailable() {
        if (geteuid() != 0)
            return "cups-pdf prints only through a cupsd run as root";
        for (const char* tool : {"/usr/sbin/cupsd", "/usr/sbin/lpadmin", "/usr/bin/lpstat",
                                 "/usr/lib/cups/backend/cups-pdf"})
            if (!std::filesystem::exists(tool))
                return std::string(tool) + " is not installed (cups, printer-driver-cups-pdf)";
        return {};
    }

    PrivateCups() {
        std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
        for (const char* folder : {"spool", "cache", "state", "log"})
            std::filesystem::create_directory(dir_.path() / folder);
        writeConfiguration();
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start(QStringLiteral("/usr/sbin/cupsd"),
                      {QStringLiteral("-f"), QStringLiteral("-c"), path("cupsd.conf"),
                       QStringLiteral("-s"), path("cups-files.conf")});
        if (!server_.waitForStarted(10000))
            return;
        pid_ = server_.processId();
        useServer();
        for (int tries = 0; tries < 100 && !running(); ++tries)
            QThread::msleep(100);
    }

    ~PrivateCups() {
        if (pid_ > 0) {
            ::kill(static_cast<pid_t>(pid_), SIGTERM);
            server_.waitForFinished(10000);
        }
        for (const std::string& queue : queues_)
            std::filesystem::remove("/var/log/cups/cups-pdf-" + queue + "_log");
        removeOutputs();
        unsetenv("CUPS_SERVER");
        tellCups(nullptr);
    }

    bool running() {
        return runTool(QStringLiteral("lpstat"),
                       {QStringLiteral("-h"), socket(), QStringLiteral("-r")})
            .value_or(QString())
            .contains(QStringLiteral("scheduler is running"));
    }

    qint64 pid() const { return pid_; }
    QString socket() const { return path("cups.sock"); }
    QString log() const {
        std::ifstream in(dir_.path() / "log" / "error_log");
        return QString::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
    }

    // A cups-pdf queue; its jobs become PDF files named after their titles.
    bool addPdfQueue(const std::string& name) {
        queues_.push_back(name);
        return runTool(QStringLiteral("lpadmin"),
                       {QStringLiteral("-h"), socket(), QStringLiteral("-p"),
                        QString::fromStdString(name), QStringLiteral("-E"), QStringLiteral("-v"),
                        QString::fromStdString("cups-pdf:/" + name), QStringLiteral("-P"),
                        QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")})
            .has_value();
    }

    // The PDF that cups-pdf made of the job with this title: in its spool folder of
    // the user, or in the user's PDF folder, as cups-pdf is configured. Waits for it.
    std::filesystem::path output(const std::string& title) {
        const char* home = std::getenv("HOME");
        const std::filesystem::path places[] = {
            "/var/spool/cups-pdf/root", std::filesystem::path(home ? home : "/root") / "PDF"};
        for (int tries = 0; tries < 600; ++tries) {
            for (const auto& place : places) {
                std::error_code error;
                for (const auto& entry : std::filesystem::directory_iterator(place, error))
                    if (entry.path().filename().string().starts_with(title) &&
                        entry.file_size() > 0 && finished(entry.path())) {
                        outputs_.push_back(entry.path());
                        return entry.path();
                    }
            }
            QThread::msleep(100);
        }
        return {};
    }

    void removeOutputs() {
        for (const auto& file : outputs_)
            std::filesystem::remove(file);
        outputs_.clear();
    }

  private:
    QString path(const char* name) const {
        return QString::fromStdString((dir_.path() / name).string());
    }

    // A PDF is whole once it ends with its end-of-file marker.
    static bool finished(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::string text(std::istreambuf_iterator<char>(in), {});
        return text.find("%%EOF", text.size() > 64 ? text.size() - 64 : 0) != std::string::npos;
    }

    void writeConfiguration() {
        const std::string root = dir_.path().string();
        std::ofstream(dir_.path() / "cupsd.conf")
            << "Listen " << root
            << "/cups.sock\n"
               "LogLevel warn\nBrowsing Off\nWebInterface No\nDefaultAuthType None\n"
               "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n"
               "</Policy>\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n";
        std::ofstream(dir_.path() / "cups-files.conf")
            << "SystemGroup root\nServerRoot " << root << "\nRequestRoot " << root << "/spool\n"
            << "CacheDir " << root << "/cache\nStateDir " << root << "/state\nTempDir " << root
            << "/spool\nErrorLog " << root << "/log/error_log\nAccessLog " << root
            << "/log/access_log\nPageLog " << root << "/log/page_log\n";
    }

    // Everything in this process that asks CUPS asks this server: libcups reads
    // CUPS_SERVER once, so a library already loaded is told directly.
    void useServer() {
        const std::string name = socket().toStdString();
        setenv("CUPS_SERVER", name.c_str(), 1);
        tellCups(name.c_str());
    }

    // nullptr: back to what the environment says.
    static void tellCups(const char* server) {
        if (void* cups = dlopen("libcups.so.2", RTLD_NOW | RTLD_NOLOAD)) {
            if (auto set = reinterpret_cast<void (*)(const char*)>(dlsym(cups, "cupsSetServer")))
                set(server);
            dlclose(cups);
        }
    }

    TempDir dir_;
    QProcess server_;
    qint64 pid_ = 0;
    std::vector<std::string> queues_;
    std::vector<std::filesystem::path> outputs_;
};

} // namespace mivora::test
