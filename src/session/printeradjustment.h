#pragma once
// The printer adjustment: for up to three printers a scale (numerator / denominator)
// that maps layout dots to printer units, and a vertical and a horizontal shift in
// millimetres. Kept in ToolEdit.INI in the program directory; the printer
// adjustment window shows and edits them, the print run reads them.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace mivora {

struct AdjustmentRange {
    int min;
    int max;
    int clamp(long long value) const {
        return static_cast<int>(value < min ? min : value > max ? max : value);
    }
};

inline constexpr AdjustmentRange kScaleRange{1, 1000};
inline constexpr AdjustmentRange kOffsetRange{-10, 10};

struct AdjustmentGroup {
    int numerator = 1000;
    int denominator = 267;
    int verticalOffset = 0;   // mm
    int horizontalOffset = 1; // mm
    std::string printerName;  // CP932; any text, installed or not

    friend bool operator==(const AdjustmentGroup&, const AdjustmentGroup&) = default;
};

// Group 1 applies to every printer unless a later group names the printer.
using PrinterAdjustment = std::array<AdjustmentGroup, 3>;

std::filesystem::path toolEditFile(const std::filesystem::path& programDir);

// The groups of the lines of ToolEdit.INI: four numbers and a printer name per
// group. A file of four lines sets only group 1's numbers; missing lines and lines
// that are no decimal integer keep the defaults; numbers beyond their range take
// the nearest bound.
PrinterAdjustment parseToolEdit(const std::vector<std::string>& lines);

// Always the full 15 lines, whatever form the file had before.
std::vector<std::string> toolEditLines(const PrinterAdjustment& adjustment);

// The defaults when the file does not exist. Throws FileError.
PrinterAdjustment readToolEdit(const std::filesystem::path& programDir);
void writeToolEdit(const std::filesystem::path& programDir, const PrinterAdjustment& adjustment);

// The group a print job on printerName (CP932) uses. Only with several printers
// installed and a printer named in group 1 are the printers told apart: group 3 if
// it names the printer, else group 2 if it does, else group 1. An empty name in
// group 2 or 3 names no printer.
const AdjustmentGroup& chooseAdjustmentGroup(const PrinterAdjustment& adjustment,
                                             bool severalPrinters, const std::string& printerName);

} // namespace mivora
