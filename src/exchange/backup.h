#pragma once
// Backup of every vehicle record to a CSV file or a fixed-width TXT file with its
// width file, in the columns and widths of a digit-count row. Other programs and
// older installations read these files: they are written byte for byte in the
// established form (no quoting in CSV, the leading comma, CR LF line ends).

#include "exchange/exchange.h"
#include "items/eradate.h"

namespace mivora {

// Fills slot 48 with the postal code of the address in slot 4 (and may complete
// slot 4 with its prefecture); mode is the row's postal count.
using PostalFill = std::function<void(RecordValues& values, int mode)>;

// The name the save dialog proposes: the data folder, "住所録" for an address
// book or today's era date, and ".CSV" (CP932).
std::string proposedBackupName(const std::string& dataFolder, const DigitCountRow& row,
                               const CivilDate& today);

// One CSV file at name's directory + base + ".CSV". postal may be empty (no postal
// file): the postal column then stays empty. Returns the lines written: an address
// book has one per distinct reading.
int writeCsvBackup(Table& vehicles, const DigitCountRow& row, const FileName& name,
                   const PostalFill& postal, const Progress& progress);

// The width file (".TIF") and the data file (".TXT"). In a normal run a column
// narrower than its longest value is widened to it, and the raised counts are
// stored in the current row of digitCounts.
void writeTxtBackup(Table& vehicles, Table& digitCounts, DigitCountRow& row, const FileName& name,
                    const Progress& progress);

// The format by the typed extension: CSV for ".CSV" / ".csv", else TXT. Returns
// the lines written to the data file.
int writeBackup(Table& vehicles, Table& digitCounts, DigitCountRow& row,
                const std::filesystem::path& chosen, const PostalFill& postal,
                const Progress& progress);

} // namespace mivora
