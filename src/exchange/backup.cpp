#include "exchange/backup.h"

#include "exchange/backupfiles.h"

#include "text/sjis.h"

#include <algorithm>

namespace mivora {

namespace {

// Walks every record of the view in order, reading its columns into values; the
// cursor stays on the vehicle the clerk chose, which the next print prints.
template <typename Visit>
void forEachRecord(Table& vehicles, RecordValues& values, const Progress& progress, Visit visit) {
    const std::array<int, kColumnCount> columns = columnIndexes(vehicles);
    const int total = vehicles.recordCount();
    int done = 0;
    vehicles.forEach([&](std::vector<std::string>& record) {
        for (int i = 0; i < kColumnCount; ++i)
            values[i + 1].swap(record[columns[i]]);
        visit();
        if (++done % 512 == 0 && progress && !progress(done, total))
            throw Cancelled();
    });
}

void appendCsvLine(std::string& block, const DigitCountRow& row, bool addressBook,
                   const RecordValues& values) {
    bool first = true;
    for (int i = 0; i < kColumnCount; ++i) {
        if (row.counts[i] == 0)
            continue;
        if (!addressBook || !first)
            block += ',';
        block += values[i + 1];
        first = false;
    }
    if (row.postal != 0) {
        block += ',';
        block += values[48];
    } else if (!addressBook) {
        block += ',';
    }
    block += "\r\n";
}

// The widths a normal run ends with: every column at least as wide as its longest value.
std::array<int, kColumnCount> widthsFitting(Table& vehicles, const DigitCountRow& row,
                                            const Progress& progress) {
    std::array<int, kColumnCount> widths = row.counts;
    RecordValues values;
    forEachRecord(vehicles, values, progress, [&] {
        for (int i = 0; i < kColumnCount; ++i)
            widths[i] = std::max(widths[i], static_cast<int>(values[i + 1].size()));
    });
    return widths;
}

void storeRaisedCounts(Table& digitCounts, DigitCountRow& row,
                       const std::array<int, kColumnCount>& widths) {
    bool raised = false;
    for (int i = 0; i < kColumnCount; ++i) {
        if (widths[i] == row.counts[i])
            continue;
        digitCounts.setInteger(sj(vehicleFieldNames()[i]), widths[i]);
        row.counts[i] = widths[i];
        raised = true;
    }
    if (raised)
        digitCounts.post();
}

std::string widthFile(const std::array<int, kColumnCount>& widths) {
    std::string text;
    for (int width : widths)
        text += std::to_string(width) + "\r\n";
    return text;
}

void appendFixed(std::string& record, const std::string& value, int width) {
    if (width <= 0)
        return;
    std::size_t size = static_cast<std::size_t>(width);
    record.append(value, 0, std::min(size, value.size()));
    if (value.size() < size)
        record.append(size - value.size(), ' ');
}

} // namespace

std::string proposedBackupName(const std::string& dataFolder, const DigitCountRow& row,
                               const CivilDate& today) {
    std::string name =
        row.addressBook() ? sj("住所録") : formatEraDate(today, EraYearDigits::Minimal);
    return dataFolder + name + ".CSV";
}

int writeCsvBackup(Table& vehicles, const DigitCountRow& row, const FileName& name,
                   const PostalFill& postal, const Progress& progress) {
    BackupFiles files({name.with(".CSV")});
    const bool addressBook = row.addressBook();
    int lines = 0;
    RecordValues values;
    values[0].clear();
    std::string block;
    forEachRecord(vehicles, values, progress, [&] {
        if (addressBook) {
            if (values[1] == values[0])
                return;
            values[0] = values[1];
        }
        values[48].clear();
        if (row.postal != 0 && postal)
            postal(values, row.postal);
        appendCsvLine(block, row, addressBook, values);
        ++lines;
        if (block.size() > (1 << 16)) {
            files.write(0, block);
            block.clear();
        }
    });
    files.write(0, block);
    files.commit();
    return lines;
}

void writeTxtBackup(Table& vehicles, Table& digitCounts, DigitCountRow& row, const FileName& name,
                    const Progress& progress) {
    enum { DataFile, WidthFile };
    BackupFiles files({name.with(".TXT"), name.with(".TIF")});
    std::array<int, kColumnCount> widths = row.counts;
    // Both passes read one snapshot: a record another process commits in between
    // would otherwise be cut to the widths of the first pass.
    vehicles.readTransaction([&] {
        if (!row.addressBook())
            widths = widthsFitting(vehicles, row, progress);
        RecordValues values;
        std::string block;
        forEachRecord(vehicles, values, progress, [&] {
            for (int i = 0; i < kColumnCount; ++i)
                appendFixed(block, values[i + 1], widths[i]);
            if (row.addressBook())
                block += "\r\f";
            if (block.size() > (1 << 16)) {
                files.write(DataFile, block);
                block.clear();
            }
        });
        files.write(DataFile, block);
    });
    files.write(WidthFile, widthFile(widths));
    files.commit();
    // Raised only once the files that need them are in place.
    if (!row.addressBook())
        storeRaisedCounts(digitCounts, row, widths);
}

int writeBackup(Table& vehicles, Table& digitCounts, DigitCountRow& row,
                const std::filesystem::path& chosen, const PostalFill& postal,
                const Progress& progress) {
    FileName name = splitFileName(chosen);
    if (name.isCsv())
        return writeCsvBackup(vehicles, row, name, postal, progress);
    writeTxtBackup(vehicles, digitCounts, row, name, progress);
    return vehicles.recordCount(); // one line per record
}

} // namespace mivora
