#include "support/paradoxwriter.h"

#include "store/datafolder.h"
#include "store/table.h"
#include "text/codec.h"

#include "import/pxlib.h"
#include <stdexcept>

namespace mivora::test {

namespace fs = std::filesystem;

ParadoxWriter::ParadoxWriter(const fs::path& file, const std::vector<ParadoxColumn>& columns)
    : doc_(PX_new()), columns_(columns) {
    // pxlib frees the field list and its names with the table.
    auto* fields = static_cast<pxfield_t*>(
        doc_->malloc(doc_, columns.size() * sizeof(pxfield_t), "field list"));
    std::size_t recordSize = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        fields[i].px_fname = PX_strdup(doc_, fromUtf8(columns[i].name).c_str());
        fields[i].px_ftype = static_cast<char>(columns[i].type);
        fields[i].px_flen = columns[i].length;
        fields[i].px_fdc = 0;
        recordSize += static_cast<std::size_t>(columns[i].length);
    }
    if (PX_create_file(doc_, fields, static_cast<int>(columns.size()), file.c_str(),
                       pxfFileTypNonIndexDB) < 0)
        throw std::runtime_error("pxlib cannot create " + file.string());
    record_.assign(recordSize, '\0');
}

ParadoxWriter::~ParadoxWriter() {
    PX_close(doc_);
    PX_delete(doc_);
}

void ParadoxWriter::add(const std::vector<ParadoxCell>& row) {
    std::fill(record_.begin(), record_.end(), '\0'); // all zero: every field empty
    char* at = record_.data();
    for (std::size_t i = 0; i < columns_.size(); at += columns_[i].length, ++i) {
        const ParadoxCell& cell = i < row.size() ? row[i] : ParadoxCell();
        const int length = columns_[i].length;
        if (const auto* text = std::get_if<std::string>(&cell))
            PX_put_data_alpha(doc_, at, length, const_cast<char*>(text->c_str()));
        else if (const auto* whole = std::get_if<long>(&cell))
            columns_[i].type == pxfShort
                ? PX_put_data_short(doc_, at, length, static_cast<short>(*whole))
                : PX_put_data_long(doc_, at, length, static_cast<int>(*whole));
        else if (const auto* number = std::get_if<double>(&cell))
            PX_put_data_double(doc_, at, length, *number);
        else if (const auto* logical = std::get_if<bool>(&cell))
            PX_put_data_byte(doc_, at, length, *logical ? 1 : 0);
    }
    if (PX_put_recordn(doc_, record_.data(), count_++) < 0)
        throw std::runtime_error("pxlib cannot write a record");
}

namespace {

std::vector<ParadoxColumn> columnsFor(Table& table) {
    const std::vector<FieldInfo>& fields = table.fields();
    std::vector<int> longest(fields.size(), 1);
    std::vector<bool> fitsShort(fields.size(), true);
    table.forEach([&](const std::vector<std::string>& row) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            longest[i] = std::max(longest[i], static_cast<int>(row[i].size()));
            if (!row[i].empty() && fields[i].type == FieldType::Integer)
                fitsShort[i] = fitsShort[i] && std::abs(std::stol(row[i])) < 32767;
        }
    });
    std::vector<ParadoxColumn> columns;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& name = fields[i].column;
        if (fields[i].type == FieldType::Flag)
            columns.push_back({name, pxfLogical, 1});
        else if (fields[i].type == FieldType::Text)
            columns.push_back({name, pxfAlpha, std::min(longest[i], 255)});
        else
            columns.push_back(fitsShort[i] ? ParadoxColumn{name, pxfShort, 2}
                                           : ParadoxColumn{name, pxfLong, 4});
    }
    return columns;
}

ParadoxCell cellFor(const ParadoxColumn& column, const std::string& value) {
    if (column.type == pxfLogical)
        return value == "True";
    if (value.empty())
        return {};
    if (column.type == pxfAlpha)
        return value;
    return std::stol(value);
}

} // namespace

void writeParadoxFolder(const fs::path& dataFolder, const fs::path& paradoxFolder) {
    fs::create_directories(paradoxFolder);
    for (const TableDef* def : allTables()) {
        Table table(tablePath(dataFolder, *def));
        table.open();
        std::vector<ParadoxColumn> columns = columnsFor(table);
        ParadoxWriter writer(paradoxFolder / def->file, columns);
        std::vector<ParadoxCell> cells(columns.size());
        table.forEach([&](const std::vector<std::string>& row) {
            for (std::size_t i = 0; i < columns.size(); ++i)
                cells[i] = cellFor(columns[i], row[i]);
            writer.add(cells);
        });
    }
}

} // namespace mivora::test
