// `mivora calibrate`: the printer calibration without windows. With --pdf the
// calibration sheet of a group goes into a PDF (A4, 360 dpi, as `mivora print`);
// with --measured the four distances measured on an A4 sheet printed with the
// group give the values the group would take, and --save stores them into the
// group in ToolEdit.INI as the printer adjustment window's OK does.

#include "cli/commands.h"
#include "cli/headlessgui.h"
#include "cli/options.h"
#include "platform/paths.h"
#include "print/calibrationsheet.h"
#include "print/paintercanvas.h"
#include "print/printfont.h"
#include "text/errors.h"
#include "text/lines.h"

#include <filesystem>
#include <ostream>
#include <vector>

namespace mivora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "使い方: mivora calibrate --pdf FILE [--group N] または mivora calibrate --group N "
    "--measured X1,Y1,X2,Y2 [--save]";

std::string groupText(int number, const AdjustmentGroup& group) {
    return "グループ " + std::to_string(number) + " (プリンタ尺度 " +
           std::to_string(group.numerator) + "／" + std::to_string(group.denominator) +
           "、印字位置縦 " + std::to_string(group.verticalOffset) + " mm 横 " +
           std::to_string(group.horizontalOffset) + " mm)";
}

// "X1,Y1,X2,Y2": mark 1 from the left and the top, then mark 2.
MeasuredMarks measuredOption(const std::string& text) {
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (fields.size() != 4)
        throw Error(
            "--measured には X1,Y1,X2,Y2 の 4 つの値 (mm) をコンマで区切って指定してください。");
    return parseMeasuredMarks({fields[0], fields[1], fields[2], fields[3]});
}

void printSheet(const fs::path& file, const AdjustmentGroup& group, int number, std::ostream& out) {
    const HeadlessGui gui;
    registerJapaneseFontSubstitutes();
    PdfDevice pdf(file, kA4Mm);
    printCalibrationSheet(pdf, group, kA4Mm, number, fontNamed(printFontName(fs::current_path())),
                          Qt::black);
    pdf.finish();
    out << groupText(number, group) << " の調整用紙を " << pathText(file) << " に印刷しました。\n";
}

// The values a measurement gives; saved, they replace the group's numbers and the
// printer name stays.
void showValues(const MeasuredMarks& measured, PrinterAdjustment groups, int number, bool save,
                std::ostream& out) {
    AdjustmentGroup& group = groups.at(static_cast<std::size_t>(number - 1));
    const CalibrationSheet sheet = calibrationSheet(group, PdfDevice::kResolution, kA4Mm);
    const CalibrationResult result = calibrate(sheet.marks, sheet.printedWith, measured);
    out << groupText(number, group) << " で印刷した調整用紙の実測値から、次の値になります。\n";
    for (const std::string& line : describeCalibration(result))
        out << line << "\n";
    if (!save) {
        out << "(ToolEdit.INI は変更していません。)\n";
        return;
    }
    group = result.group;
    writeToolEdit(fs::current_path(), groups);
    out << "(ToolEdit.INI のグループ " << number << " に保存しました。)\n";
}

} // namespace

int commandCalibrate(const Arguments& args, std::ostream& out, std::ostream&) {
    Arguments rest = args;
    const bool save = takeFlag(rest, "--save");
    const CommandLine line = parseCommandLine(rest, {"--pdf", "--group", "--measured"});
    if (!line.words.empty())
        throw Error("「" + line.words.front() + "」は使えません。" + kUsage);
    const auto pdf = line.option("--pdf");
    const auto measured = line.option("--measured");
    if (pdf.has_value() == measured.has_value())
        throw Error(
            std::string("--pdf FILE か --measured X1,Y1,X2,Y2 のどちらか一つを指定してください。") +
            kUsage);
    if (save && !measured)
        throw Error(std::string("--save は --measured と一緒に指定してください。") + kUsage);
    const int number = line.number("--group").value_or(1);
    const PrinterAdjustment groups = readToolEdit(fs::current_path());
    const AdjustmentGroup group = groupOption(line, groups);
    if (pdf)
        printSheet(fs::absolute(pathOf({}, *pdf)), group, number, out);
    else
        showValues(measuredOption(*measured), groups, number, save, out);
    return 0;
}

} // namespace mivora
