// `mivora print`: the print run without windows, into a PDF file at 360 dpi, where
// the default printer scale puts every layout dot at its true size. Nobody sits at
// the screen: hand-written items print what the input record holds, and every "!"
// question is answered yes.

#include "cli/commands.h"
#include "cli/headlessgui.h"
#include "cli/options.h"
#include "cli/unattendedprompter.h"
#include "platform/paths.h"
#include "print/paintercanvas.h"
#include "print/printdata.h"
#include "print/printfont.h"
#include "print/printrun.h"
#include "session/session.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <algorithm>
#include <memory>
#include <ostream>

namespace mivora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage = "使い方: mivora print --pdf FILE [--cardata DIR] [--layout N] "
                               "[--record N | --all] [--group N]";

struct PrintRequest {
    CommandLine line;
    bool all = false;
};

PrintRequest parsePrintArguments(Arguments args) {
    PrintRequest request;
    if (auto all = std::find(args.begin(), args.end(), "--all"); all != args.end()) {
        request.all = true;
        args.erase(all);
    }
    request.line =
        parseCommandLine(args, {"--cardata", "--pdf", "--layout", "--record", "--group"});
    if (!request.line.words.empty())
        throw Error("「" + request.line.words.front() + "」は使えません。" + kUsage);
    if (!request.line.option("--pdf"))
        throw Error(std::string("--pdf FILE を指定してください。") + kUsage);
    if (request.all && request.line.option("--record"))
        throw Error("--record と --all は一緒に使えません。");
    return request;
}

// The run's questions answered for a PDF: the printer is the file, the input
// record's texts stand as typed.
class PdfPrintHost : public PrintRunHost {
  public:
    PdfPrintHost(const fs::path& programDir, PrinterAdjustment groups, PdfDevice& pdf,
                 std::ostream& err)
        : groups_(std::move(groups)), font_(fontNamed(printFontName(programDir))), pdf_(pdf),
          prompter_(err, true) {}

    void offerHandWritten(int, const std::optional<std::string>&) override {}
    bool choosePrinter() override { return true; }
    bool confirmContents(HandWrittenAnswers&) override { return true; }
    Prompter* prompter() override { return &prompter_; }
    PrinterAdjustment adjustment() override { return groups_; }
    QFont printFont() override { return font_; }
    QColor printColour() override { return Qt::black; }
    PrintDevice& device() override { return pdf_; }

  private:
    PrinterAdjustment groups_;
    QFont font_;
    PdfDevice& pdf_;
    UnattendedPrompter prompter_;
};

// The groups of ToolEdit.INI; a group asked for by number stands in for group 1,
// which is the one a single printer uses.
PrinterAdjustment adjustmentFor(const fs::path& programDir, const CommandLine& line) {
    PrinterAdjustment groups = readToolEdit(programDir);
    if (line.option("--group"))
        groups[0] = groupOption(line, groups);
    return groups;
}

PrintRange rangeOf(const PrintRequest& request) {
    if (request.all)
        return PrintRange::AllRecords;
    return request.line.option("--record") ? PrintRange::CurrentRecord : PrintRange::AsLayout;
}

// The layout's paper, or A4 when it names none.
QSizeF paperOf(const Table& layouts) {
    const int width = layouts.integer(sj("印刷サイズＸ"));
    const int height = layouts.integer(sj("印刷サイズＹ"));
    if (width <= 0 || height <= 0)
        return {210, 297};
    return {static_cast<double>(width), static_cast<double>(height)};
}

} // namespace

int commandPrint(const Arguments& args, std::ostream& out, std::ostream& err) {
    const PrintRequest request = parsePrintArguments(args);
    const HeadlessGui gui;
    registerJapaneseFontSubstitutes();
    std::unique_ptr<Session> opened = openCommandSession(request.line, SettingsFiles::OfPrinting);
    Session& session = *opened;
    const ProgramSettings& settings = session.settings;
    session.openDesignerTables();
    moveToRecord(session.layouts, request.line.number("--layout").value_or(1), "レイアウト");
    moveToRecord(session.vehicles, request.line.number("--record").value_or(1), "車両のレコード");
    session.freeData.first(); // the input record of hand-written items

    const fs::path file = fs::absolute(pathOf({}, *request.line.option("--pdf")));
    PdfDevice pdf(file, paperOf(session.layouts));
    PdfPrintHost host(settings.programDir, adjustmentFor(settings.programDir, request.line), pdf,
                      err);
    // With the sibling program a fee layout is prepared before each page; nobody is
    // there to bring insurance or to want a temporary plate.
    UnattendedPrompter nobody(err, false);
    PrintDataPreparation preparation(session, nobody);
    const int pages = runPrint(session, host, &preparation, rangeOf(request));
    if (pages == 0)
        throw Error("印刷できるレコードがないため、" + pathText(file) + " は作成していません。");
    pdf.finish();
    out << pages << " ページを " << pathText(file) << " に印刷しました。\n";
    return 0;
}

} // namespace mivora
