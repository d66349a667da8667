#include "items/itemchange.h"

#include "items/charconv.h"
#include "items/charsearch.h"

#include <climits>
#include <optional>
#include <vector>

namespace mivora {

namespace {

constexpr std::string_view kOperators = "+-*/";

bool hasOperator(std::string_view text) {
    return text.find_first_of(kOperators) != kNotFound;
}

// The operator characters are ASCII below 0x40 and so never the second byte of a
// double-byte character: a byte search is safe here.
struct Arithmetic {
    std::vector<std::string_view> operands;
    std::string operators; // operators[i] stands between operands i and i + 1
};

// The operands and operators of name, or nothing when an operand is missing.
std::optional<Arithmetic> splitArithmetic(std::string_view name) {
    Arithmetic arithmetic;
    for (;;) {
        const std::size_t at = name.find_first_of(kOperators);
        const std::string_view operand = name.substr(0, at);
        if (operand.empty())
            return std::nullopt;
        arithmetic.operands.push_back(operand);
        if (at == kNotFound)
            return arithmetic;
        arithmetic.operators += name[at];
        name.remove_prefix(at + 1);
    }
}

bool fitsInt(long long value) {
    return value >= INT_MIN && value <= INT_MAX;
}

// One operation; nothing for a division by zero or a result beyond 32 bits.
std::optional<long long> apply(long long left, char op, long long right) {
    long long result = 0;
    switch (op) {
    case '+':
        result = left + right;
        break;
    case '-':
        result = left - right;
        break;
    case '*':
        result = left * right;
        break;
    default:
        if (right == 0)
            return std::nullopt;
        result = left / right;
        break;
    }
    return fitsInt(result) ? std::optional(result) : std::nullopt;
}

// "*" and "/" first, each on its two neighbours, then "+" and "-", all left to right.
std::optional<long long> evaluate(const std::vector<int>& values, const std::string& operators) {
    std::vector<long long> terms{values[0]};
    std::string termOperators;
    for (std::size_t i = 0; i < operators.size(); ++i) {
        const char op = operators[i];
        if (op == '*' || op == '/') {
            const auto product = apply(terms.back(), op, values[i + 1]);
            if (!product)
                return std::nullopt;
            terms.back() = *product;
        } else {
            terms.push_back(values[i + 1]);
            termOperators += op;
        }
    }
    long long result = terms[0];
    for (std::size_t i = 0; i < termOperators.size(); ++i) {
        const auto sum = apply(result, termOperators[i], terms[i + 1]);
        if (!sum)
            return std::nullopt;
        result = *sum;
    }
    return result;
}

int operandValue(const ItemSources& sources, std::string_view operand, int slotNumber,
                 DateBlanking blanking) {
    std::string value = ChangeItem(sources, operand, slotNumber, blanking).text;
    CharCheck(value, 1);
    return leadingNumber(value);
}

bool isArithmetic(const ItemSources& sources, std::string_view name, int slotNumber) {
    if (sources.layoutNumber() <= 1)
        return hasOperator(name);
    return hasOperator(sources.preset(slotNumber));
}

} // namespace

ItemValue ItemChange(const ItemSources& sources, std::string_view name, int slotNumber,
                     DateBlanking blanking) {
    if (!isArithmetic(sources, name, slotNumber))
        return ChangeItem(sources, name, slotNumber, blanking);
    const auto arithmetic = splitArithmetic(name);
    if (!arithmetic)
        return ChangeItem(sources, name, slotNumber, blanking);
    std::vector<int> values;
    for (std::string_view operand : arithmetic->operands)
        values.push_back(operandValue(sources, operand, slotNumber, blanking));
    const auto result = evaluate(values, arithmetic->operators);
    return {result ? std::to_string(*result) : std::string()};
}

} // namespace mivora
