#pragma once
// The costs of a vehicle inspection for the current vehicle record: compulsory
// insurance premium, weight tax, inspection stamp, other costs and, on request, the
// temporary plate, with their totals, from the fee tables Expense.DB and
// WeightTax.DB. The results are the formatted amount cells and the class marks of
// the session's preparation state.

#include "session/prompter.h"
#include "session/session.h"

#include <cstddef>
#include <string>

namespace mivora {

// text preceded by blanks up to width bytes; a text of width bytes or more as it is.
std::string rightAligned(std::string text, std::size_t width);

// An amount as full-width digits right-aligned in width bytes, as the amount boxes
// of the forms take it.
std::string amountText(long long amount, std::size_t width = 14);

// ExpenseOut: prices the current vehicle, asking the per-record questions that the
// preparation state calls for. True when the record cannot be priced (its kind or
// use is not known, or a weight is no whole number); the person has then been told
// why, the class marks are cleared and the amount cells keep their texts.
bool ExpenseOut(Session& session, Prompter& prompter);

} // namespace mivora
