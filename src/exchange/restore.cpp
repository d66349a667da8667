#include "exchange/restore.h"

#include "store/safetycopy.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <algorithm>

namespace mivora {

namespace {

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

void assignTrimmed(std::string& slot, const std::string& value) {
    auto first = std::find_if_not(value.begin(), value.end(), isBlankOrControl);
    auto last = std::find_if_not(value.rbegin(), value.rend(), isBlankOrControl).base();
    if (first < last)
        slot.assign(first, last);
    else
        slot.clear();
}

// Replaces the view's records by those that read() appends, all in one transaction.
template <typename Read>
int replaceRecords(Table& vehicles, const std::filesystem::path& file, const Progress& progress,
                   Read read) {
    // Checked before the deletion: a missing file or field deletes nothing.
    const std::array<int, kColumnCount> columns = columnIndexes(vehicles);
    ByteReader in(file);
    int count = 0;
    std::vector<std::string> record(vehicles.fields().size());
    auto append = [&](const RecordValues& values) {
        for (int i = 0; i < kColumnCount; ++i)
            record[columns[i]] = values[i + 1];
        vehicles.insertRecord(record);
        if (++count % 512 == 0 && progress &&
            !progress(static_cast<int>(in.consumed() / 1024), static_cast<int>(in.size() / 1024)))
            throw Cancelled();
    };
    replaceViewAfterSafetyCopy(vehicles, [&] { read(in, append); });
    vehicles.refresh();
    vehicles.first();
    return count;
}

} // namespace

void refuseAddressBook(const FileName& name) {
    if (name.base.find("住所録") != std::string::npos)
        throw Error("住所録はリストアできません！");
}

std::optional<Widths> readWidthFile(const std::filesystem::path& file) {
    auto lines = readLines(file);
    if (!lines)
        return std::nullopt;
    Widths widths{};
    for (int i = 0; i < kColumnCount && i < static_cast<int>(lines->size()); ++i) {
        long long width = 0;
        widths[i] = parseInteger((*lines)[i], width) && width > 0 && width < (1 << 20)
                        ? static_cast<int>(width)
                        : 0;
    }
    return widths;
}

void readCsvRecords(ByteReader& in, const RecordVisitor& record) {
    // Everything before the first comma, and between the last field of a
    // record and the next one's first comma, goes to the unused slot 0.
    RecordValues values;
    int column = 0;
    while (in.appendUntil(',', values[column])) {
        if (++column == kColumnCount + 1) {
            record(values);
            column = 0;
        }
        values[column].clear();
    }
}

void readTxtRecords(ByteReader& in, const Widths& widths, const RecordVisitor& record) {
    int lastColumn = 0;
    for (int i = 0; i < kColumnCount; ++i)
        if (widths[i] > 0)
            lastColumn = i + 1;
    if (lastColumn == 0)
        return; // no column has a width: nothing can be read
    RecordValues values;
    std::string field;
    int column = 1;
    int byte;
    while ((byte = in.next()) != -1) {
        while (widths[column - 1] <= 0)
            ++column;
        field += static_cast<char>(byte);
        if (static_cast<int>(field.size()) < widths[column - 1])
            continue;
        assignTrimmed(values[column], field);
        field.clear();
        if (column == lastColumn) {
            record(values);
            column = 1;
        } else {
            ++column;
        }
    }
}

int restoreCsv(Table& vehicles, const std::filesystem::path& file, const Progress& progress) {
    return replaceRecords(vehicles, file, progress,
                          [](ByteReader& in, auto& append) { readCsvRecords(in, append); });
}

int restoreTxt(Table& vehicles, const std::filesystem::path& file, const Widths& widths,
               const Progress& progress) {
    return replaceRecords(vehicles, file, progress, [&](ByteReader& in, auto& append) {
        readTxtRecords(in, widths, append);
    });
}

} // namespace mivora
