#include "session/printeradjustment.h"

#include "text/filenames.h"
#include "text/lines.h"
#include "text/sjis.h"

namespace mivora {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLinesPerGroup = 5;
constexpr std::size_t kNumberLines = 4; // the short form: group 1 without its printer

// A line that is missing or no decimal integer leaves the value as it is.
void readNumber(const std::vector<std::string>& lines, std::size_t index,
                const AdjustmentRange& range, int& value) {
    long long number = 0;
    if (index < lines.size() && parseInteger(lines[index], number))
        value = range.clamp(number);
}

void readGroup(const std::vector<std::string>& lines, std::size_t first, AdjustmentGroup& group) {
    readNumber(lines, first, kScaleRange, group.numerator);
    readNumber(lines, first + 1, kScaleRange, group.denominator);
    readNumber(lines, first + 2, kOffsetRange, group.verticalOffset);
    readNumber(lines, first + 3, kOffsetRange, group.horizontalOffset);
    if (first + 4 < lines.size())
        group.printerName = lines[first + 4];
}

bool namesPrinter(const AdjustmentGroup& group, const std::string& printerName) {
    return !group.printerName.empty() && group.printerName == printerName;
}

} // namespace

fs::path toolEditFile(const fs::path& programDir) {
    return findFile(programDir, "ToolEdit.INI");
}

PrinterAdjustment parseToolEdit(const std::vector<std::string>& lines) {
    PrinterAdjustment adjustment;
    readGroup(lines, 0, adjustment[0]);
    if (lines.size() > kNumberLines)
        for (std::size_t group = 1; group < adjustment.size(); ++group)
            readGroup(lines, group * kLinesPerGroup, adjustment[group]);
    return adjustment;
}

std::vector<std::string> toolEditLines(const PrinterAdjustment& adjustment) {
    std::vector<std::string> lines;
    for (const AdjustmentGroup& group : adjustment) {
        lines.push_back(std::to_string(group.numerator));
        lines.push_back(std::to_string(group.denominator));
        lines.push_back(std::to_string(group.verticalOffset));
        lines.push_back(std::to_string(group.horizontalOffset));
        lines.push_back(group.printerName);
    }
    return lines;
}

PrinterAdjustment readToolEdit(const fs::path& programDir) {
    if (auto lines = readLines(toolEditFile(programDir)))
        return parseToolEdit(*lines);
    return {};
}

void writeToolEdit(const fs::path& programDir, const PrinterAdjustment& adjustment) {
    writeLines(toolEditFile(programDir), toolEditLines(adjustment));
}

const AdjustmentGroup& chooseAdjustmentGroup(const PrinterAdjustment& adjustment,
                                             bool severalPrinters, const std::string& printerName) {
    if (!severalPrinters || adjustment[0].printerName.empty())
        return adjustment[0];
    if (namesPrinter(adjustment[2], printerName))
        return adjustment[2];
    if (namesPrinter(adjustment[1], printerName))
        return adjustment[1];
    return adjustment[0];
}

} // namespace mivora
