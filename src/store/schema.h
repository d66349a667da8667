#pragma once
// The six tables of a data folder: their files, fields and access types.
// Field names here are UTF-8, as they stand in the table files.

#include <string>
#include <vector>

namespace mivora {

enum class FieldType { Text, Integer, Flag };

struct FieldDef {
    std::string name; // UTF-8
    FieldType type;
};

struct IndexDef {
    std::string name;                // UTF-8; "primary" is the table's primary index
    std::vector<std::string> fields; // UTF-8
};

struct TableDef {
    std::string file; // file name in the data folder, e.g. "INDATA.db"
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
};

// The 47 vehicle fields in the order of the table, the backup file and the
// digit-count rows (UTF-8).
const std::vector<std::string>& vehicleFieldNames();

// The fourteen fields that order the vehicle list (UTF-8).
const std::vector<std::string>& vehicleOrderFields();

const TableDef& vehicleTable();    // INDATA.db
const TableDef& digitCountTable(); // INDTLEN.db
const TableDef& layoutTable();     // PrtData.DB
const TableDef& freeDataTable();   // PrtFreeData.DB
const TableDef& expenseTable();    // Expense.DB
const TableDef& weightTaxTable();  // WeightTax.DB

const std::vector<const TableDef*>& allTables();

// Number of slots of a layout.
constexpr int kSlotCount = 60;

} // namespace mivora
