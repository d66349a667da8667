#pragma once
// The record filter of a start-up request. The text comes from a file that
// another program wrote, so it is parsed into parameterised SQL and can never
// carry SQL of its own:
//
//   expr       := and-expr { "or" and-expr }
//   and-expr   := not-expr { "and" not-expr }
//   not-expr   := "not" not-expr | "(" expr ")" | comparison
//   comparison := field op value      op: = <> < > <= >=
//   field      := bare name | [name in brackets]
//   value      := 'text' | "text" | integer        a trailing * in a text matches a prefix
//
// Keywords are case-insensitive; quotes inside a text are doubled.

#include "store/schema.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

struct FilterParameter {
    bool isInteger = false;
    std::int64_t integer = 0;
    std::string text; // UTF-8
};

struct SqlFilter {
    std::string where; // an SQL condition with ? placeholders
    std::vector<FilterParameter> parameters;
};

struct FilterField {
    std::string column; // UTF-8 column name
    FieldType type;
};

// Looks a field up by its CP932 name; false when the table has no such field.
using FilterFieldLookup = std::function<bool(std::string_view cp932Name, FilterField& field)>;

// The engine's SQL for a text expression that compares as its Shift-JIS bytes.
using TextOrder = std::function<std::string(const std::string& expression)>;

// Throws DatabaseError with a message naming the problem when the text does not parse.
SqlFilter parseFilter(std::string_view cp932Text, const FilterFieldLookup& lookup,
                      const TextOrder& inOrder);

} // namespace mivora
