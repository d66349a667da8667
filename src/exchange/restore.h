#pragma once
// Restore of the vehicle records from a CSV or TXT backup. The records the table
// shows are replaced in one transaction: a restore either replaces them
// completely or, on any failure or cancel, leaves them as they were.

#include "exchange/exchange.h"

#include <optional>

namespace mivora {

using Widths = std::array<int, kColumnCount>;

// Refuses address-book files (their base name mentions 住所録) with an Error.
void refuseAddressBook(const FileName& name);

// The widths of a ".TIF" width file, or nothing when it does not exist. A missing
// line, or one that is no decimal integer, counts 0.
std::optional<Widths> readWidthFile(const std::filesystem::path& file);

// Reads the whole file and replaces the records; returns the number restored.
int restoreCsv(Table& vehicles, const std::filesystem::path& file, const Progress& progress);
int restoreTxt(Table& vehicles, const std::filesystem::path& file, const Widths& widths,
               const Progress& progress);

} // namespace mivora
