#pragma once
// Restore of the vehicle records from a CSV or TXT backup. The records the table
// shows are replaced in one transaction: a restore either replaces them
// completely or, on any failure or cancel, leaves them as they were.

#include "exchange/exchange.h"

#include <functional>
#include <optional>

namespace mivora {

using Widths = std::array<int, kColumnCount>;

// Refuses address-book files (their base name mentions 住所録) with an Error.
void refuseAddressBook(const FileName& name);

// The widths of a ".TIF" width file, or nothing when it does not exist. A missing
// line, or one that is no decimal integer, counts 0.
std::optional<Widths> readWidthFile(const std::filesystem::path& file);

using RecordVisitor = std::function<void(const RecordValues&)>;

// The records of a backup file as a restore reads them, each handed to `record`
// (slot 0 unused), without touching a table.
void readCsvRecords(ByteReader& in, const RecordVisitor& record);
void readTxtRecords(ByteReader& in, const Widths& widths, const RecordVisitor& record);

// Reads the whole file and replaces the records; returns the number restored.
int restoreCsv(Table& vehicles, const std::filesystem::path& file, const Progress& progress);
int restoreTxt(Table& vehicles, const std::filesystem::path& file, const Widths& widths,
               const Progress& progress);

} // namespace mivora
