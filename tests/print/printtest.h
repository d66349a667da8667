#pragma once
// A data folder with vehicles, two layouts and the free contents, and a print host
// that answers from a script and records what lands on each page. The texts are
// resolved by the real resolver; only the person and the paper are stand-ins.

#include "print/printrun.h"
#include "session/session.h"
#include "store/datafolder.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace mivora::test {

struct DrawnText {
    QPoint at;
    QString text;
    int pointSize;
    std::size_t imagesBefore; // images already on the page when the text was drawn
};

struct DrawnImage {
    QRect target;
    qint64 cacheKey; // the same decoded picture on every page keeps its key
    QSize size;      // of the decoded picture
};

struct Page {
    std::vector<DrawnImage> images;
    std::vector<DrawnText> texts;

    // The text drawn at a slot, or nullptr.
    const DrawnText* find(const QString& text) const {
        for (const DrawnText& drawn : texts)
            if (drawn.text == text)
                return &drawn;
        return nullptr;
    }
};

// Pages as the run draws them. "0" is as wide as half the point size in tenths,
// so shifts are exact numbers.
class RecordingDevice : public PrintDevice, public PrintCanvas {
  public:
    std::string name = "PDF";
    int dpi = 360; // where the initial group prints true
    std::vector<Page> sent;
    int aborted = 0;
    int refuseJob = 0;            // the job number (from 1) the printer refuses
    std::function<void()> onText; // runs before a text is recorded; may throw

    std::string printerName() const override { return name; }
    int dotsPerInch() const override { return dpi; }
    PrintCanvas& beginPage() override {
        if (++jobs_ == refuseJob)
            throw PrintError("プリンタがジョブを受け付けません。");
        page_ = Page{};
        return *this;
    }
    void endPage() override { sent.push_back(page_); }
    void abortPage() override { ++aborted; }

    void drawImage(const QRect& target, const QImage& image) override {
        page_.images.push_back({target, image.cacheKey(), image.size()});
    }
    void drawText(const QPoint& topLeft, const QFont& font, const QColor&,
                  const QString& text) override {
        if (onText)
            onText();
        page_.texts.push_back({topLeft, text, font.pointSize(), page_.images.size()});
    }
    double zeroWidth(const QFont& font) override { return font.pointSize() * 5.0; }

  private:
    int jobs_ = 0;
    Page page_;
};

// The windows' side of a run, answered from a script. Every call is logged by name
// in the order the run makes it.
class ScriptedHost : public PrintRunHost {
  public:
    bool choosesPrinter = true;
    std::deque<bool> confirmations;   // OK when exhausted
    std::map<int, std::string> typed; // slot -> text (UTF-8) typed at every confirmation
    std::function<void()> onConfirm;
    std::map<int, std::string> offered; // slot -> caption (UTF-8) of the last set-up
    std::vector<std::string> log;
    ScriptedPrompter person; // answers the "!" questions
    PrinterAdjustment groups;
    RecordingDevice recorder;
    PrintDevice* output = nullptr; // another device than the recorder

    void offerHandWritten(int slot, const std::optional<std::string>& caption) override {
        if (slot == 1) {
            log.push_back("offer");
            offered.clear();
        }
        if (caption)
            offered[slot] = toUtf8(*caption);
    }
    bool choosePrinter() override {
        log.push_back("printer");
        return choosesPrinter;
    }
    bool confirmContents(HandWrittenAnswers& answers) override {
        log.push_back("confirm");
        for (const auto& [slot, text] : typed)
            answers.at(slot - 1) = fromUtf8(text);
        if (onConfirm)
            onConfirm();
        if (confirmations.empty())
            return true;
        bool ok = confirmations.front();
        confirmations.pop_front();
        return ok;
    }
    Prompter* prompter() override { return &person; }
    PrinterAdjustment adjustment() override { return groups; }
    QFont printFont() override { return QFont(QStringLiteral("IPAGothic")); }
    QColor printColour() override { return Qt::black; }
    PrintDevice& device() override {
        log.push_back("page");
        return output ? *output : recorder;
    }
};

// The print data preparation of the sibling program, logged into the host's log.
class LoggedPreparation : public PrintPreparation {
  public:
    explicit LoggedPreparation(std::vector<std::string>& log) : log_(log) {}
    std::deque<bool> cancels; // not cancelled when exhausted
    std::function<void()> onPrepare;

    void resetRun() override { log_.push_back("reset"); }
    void check(bool ask) override { log_.push_back(ask ? "check(ask)" : "check"); }
    bool prepare() override {
        log_.push_back("prepare");
        if (onPrepare)
            onPrepare();
        if (cancels.empty())
            return false;
        bool cancelled = cancels.front();
        cancels.pop_front();
        return cancelled;
    }

  private:
    std::vector<std::string>& log_;
};

using Fields = std::vector<std::pair<const char*, const char*>>;

class PrintRunTest : public ::testing::Test {
  protected:
    PrintRunTest() {
        settings_.programDir = dir_.path();
        createTables(dir_.path() / "CARDATA");
        session_ = std::make_unique<Session>(settings_, dir_.path() / "CARDATA");
        session_->openMainTables();
        session_->openDesignerTables();
        for (int layout = 1; layout <= 2; ++layout) {
            session_->layouts.append();
            write(session_->layouts, {{"印刷サイズＸ", "210"},
                                      {"印刷サイズＹ", "297"},
                                      {"連続印刷", "False"},
                                      {"印刷フォームの印刷", "False"},
                                      {"日付の表示", "True"}});
            session_->freeData.append();
            session_->freeData.post();
        }
        session_->layouts.first();
        session_->freeData.first();
    }

    static void write(Table& table, const Fields& fields) {
        for (const auto& [name, value] : fields)
            table.setText(sj(name), sj(value));
        table.post();
    }

    // Vehicles named by their users; the table orders them by their Shift-JIS bytes.
    void addVehicles(const std::vector<const char*>& users) {
        for (const char* user : users) {
            session_->vehicles.append();
            write(session_->vehicles, {{"使用者", user}, {"車両重量", "1090"}});
        }
        session_->vehicles.first();
    }

    void setSlot(int n, const char* item, int x = 0, int y = 0, int size = 10) {
        const std::string number = std::to_string(n);
        Table& layouts = session_->layouts;
        layouts.setText(sj("項目") + number, sj(item));
        layouts.setInteger(sj("Ｘ座標") + number, x);
        layouts.setInteger(sj("Ｙ座標") + number, y);
        layouts.setInteger(sj("サイズ") + number, size);
        layouts.post();
    }

    void setLayout(const Fields& fields) { write(session_->layouts, fields); }

    int run(PrintRange range = PrintRange::AsLayout) {
        return runPrint(*session_, host_, preparation_, range);
    }

    const std::vector<Page>& pages() const { return host_.recorder.sent; }

    TempDir dir_;
    ProgramSettings settings_;
    std::unique_ptr<Session> session_;
    ScriptedHost host_;
    PrintPreparation* preparation_ = nullptr;
};

} // namespace mivora::test
