#include "print/expense.h"

#include "items/charconv.h"
#include "items/charsearch.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <array>
#include <optional>
#include <vector>

namespace mivora {

namespace {

constexpr int kUseCount = 5;
constexpr int kColumnCount = 8;
constexpr int kBracketCount = 13;
// The thirteenth bound is never compared; the thirteenth amount prices weights
// beyond the table.
constexpr int kComparedBrackets = 12;
constexpr int kCommercialShift = 4;
constexpr std::size_t kNameBytes = 18;
constexpr long long kLargeFreightLoad = 2000;
constexpr long long kLargeGrossWeight = 2500;

// Use rows, numbered as the fee tables order them.
enum Use { UnknownUse = 0, Passenger = 1, Freight = 2, SpecialPurpose = 3, Bus = 4 };
constexpr std::array<const char*, kUseCount> kUseNames = {"乗用", "貨物", "特種", "乗合", "特殊"};

// Columns of the private vehicles; commercial ones are kCommercialShift further.
enum Column { UnknownColumn = 0, Light = 1, Small = 2, Normal = 3, TwoWheeledOrLargeFreight = 4 };

struct KindColumn {
    const char* kind;
    Column column;
};
constexpr KindColumn kKindColumns[] = {{"軽自動車", Light},
                                       {"小型", Small},
                                       {"普通", Normal},
                                       {"大型", Normal},
                                       {"二輪", TwoWheeledOrLargeFreight}};

// The weight-tax amount sets of a use, by their first field number; only
// special-purpose vehicles have the two sets of vehicles with a load.
enum TaxSet {
    PrivateSet = 0,
    CommercialSet = 1,
    PrivateWithLoadSet = 2,
    CommercialWithLoadSet = 3
};
constexpr int kTaxSetCount = 4;

// The columns priced by a single weight-tax amount rather than by weight.
struct SingleTax {
    int column;
    const char* field;
};
constexpr SingleTax kSingleTaxes[] = {
    {Light, "重量税軽"},
    {TwoWheeledOrLargeFreight, "重量税二輪"},
    {Light + kCommercialShift, "重量税軽貨物"},
    {TwoWheeledOrLargeFreight + kCommercialShift, "重量税二輪事業用"}};

using ColumnRow = std::array<long long, kColumnCount + 1>; // index 0 unused
using Brackets = std::array<long long, kBracketCount>;

// The figures of the fee tables' current records.
struct FeeTables {
    std::array<ColumnRow, kUseCount + 1> premium{};
    std::array<ColumnRow, kUseCount + 1> stamp{};
    std::array<ColumnRow, kUseCount + 1> otherCosts{};
    long long temporaryPlate = 0;
    std::array<Brackets, kUseCount + 1> bounds{};
    std::array<std::array<Brackets, kTaxSetCount>, kUseCount + 1> taxes{};
    ColumnRow singleTax{};
};

std::string fieldName(const std::string& prefixUtf8, int number) {
    return sj(prefixUtf8) + std::to_string(number);
}

ColumnRow readColumns(const Table& table, const std::string& prefix) {
    ColumnRow row{};
    for (int column = 1; column <= kColumnCount; ++column)
        row[column] = table.integer(fieldName(prefix, column));
    return row;
}

Brackets readBrackets(const Table& table, const std::string& prefix, int firstNumber) {
    Brackets row{};
    for (int i = 0; i < kBracketCount; ++i)
        row[i] = table.integer(fieldName(prefix, firstNumber + i));
    return row;
}

FeeTables readFeeTables(const Table& expense, const Table& weightTax) {
    FeeTables tables;
    for (int use = 1; use <= kUseCount; ++use) {
        const std::string name = kUseNames[use - 1];
        tables.premium[use] = readColumns(expense, "自賠責" + name);
        tables.stamp[use] = readColumns(expense, "検査印紙" + name);
        tables.otherCosts[use] = readColumns(expense, "諸費用" + name);
        tables.bounds[use] = readBrackets(weightTax, "重量税" + name + "数値", 1);
        const int sets = use == SpecialPurpose ? kTaxSetCount : CommercialSet + 1;
        for (int set = 0; set < sets; ++set)
            tables.taxes[use][set] =
                readBrackets(weightTax, "重量税" + name, 1 + set * kBracketCount);
    }
    tables.temporaryPlate = expense.integer(sj("仮ナンバー"));
    for (const SingleTax& single : kSingleTaxes)
        tables.singleTax[single.column] = weightTax.integer(sj(single.field));
    return tables;
}

int kindColumn(const std::string& kind) {
    for (const KindColumn& entry : kKindColumns)
        if (kind == sj(entry.kind))
            return entry.column;
    return UnknownColumn;
}

int useRow(const std::string& use) {
    for (int row = 1; row <= kUseCount; ++row)
        if (use == sj(kUseNames[row - 1]))
            return row;
    return UnknownUse;
}

// The record's owner as questions and messages name it: the user cut or padded to
// 18 bytes (never half a character) and "様", the registration number and "の".
struct Owner {
    std::string nameLine;  // UTF-8
    std::string plateLine; // UTF-8
};

Owner ownerOf(const Table& vehicles) {
    std::string name(headBytes(vehicles.text(sj("使用者")), kNameBytes));
    name.resize(kNameBytes, ' ');
    return {toUtf8(name + sj("様")), toUtf8(vehicles.text(sj("自動車登録番号")) + sj("の"))};
}

void tellCannotPrice(Prompter& prompter, const Owner& owner, const std::string& reason) {
    prompter.showError(owner.nameLine + "\n" + owner.plateLine + "\n" + reason);
}

// A weight or load field that holds no whole number; the record cannot be priced.
struct UnreadableNumber {
    const char* field; // UTF-8
    std::string text;  // CP932, as stored
};

// "1,250" and full-width digits as clerks type them; only whole groups of three
// digits after a separator, so "1,5" is no number.
bool dropThousandsSeparators(std::string& text) {
    if (text.find(',') == std::string::npos)
        return true;
    const std::size_t signs = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
    std::string joined = text.substr(0, signs);
    std::size_t start = signs;
    for (bool firstGroup = true;; firstGroup = false) {
        const std::size_t comma = text.find(',', start);
        const std::size_t length = (comma == std::string::npos ? text.size() : comma) - start;
        if (firstGroup ? length < 1 || length > 3 : length != 3)
            return false;
        joined += text.substr(start, length);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    text = joined;
    return true;
}

// An empty load (or second gross weight) is none at all; the weight that decides
// the tax bracket must be given, or the record would be priced at the lowest one.
enum class Blank { IsZero, IsUnreadable };

std::optional<long long> wholeNumber(std::string text, Blank blank) {
    CharCheck(text, 1);
    long long value = 0;
    if (text.find_first_not_of(' ') == std::string::npos)
        return blank == Blank::IsZero ? std::optional<long long>(0) : std::nullopt;
    if (!dropThousandsSeparators(text) || !parseInteger(text, value))
        return std::nullopt;
    return value;
}

long long readWhole(const Table& vehicles, const char* field, Blank blank = Blank::IsZero) {
    const std::string text = vehicles.text(sj(field));
    if (const auto value = wholeNumber(text, blank))
        return *value;
    throw UnreadableNumber{field, text};
}

std::string fullWidth(std::string text) {
    ChangeChar(text);
    return text;
}

// Where a vehicle is found in the fee tables.
struct Classification {
    int column = UnknownColumn;
    int use = UnknownUse;    // the use as read: weight bounds and weight rules
    int feeUse = UnknownUse; // the row of the premium, stamp and other costs
    int taxSet = PrivateSet;
};

Classification classify(int column, int use, long long load, bool commercial) {
    Classification found{column, use, use, PrivateSet};
    if (found.column == Normal && use == Freight && load > kLargeFreightLoad)
        found.column = TwoWheeledOrLargeFreight;
    if (use == Bus)
        found.column = Light;
    // Special-purpose vehicles that carry a load pay as buses, and their weight tax
    // comes from the with-load amounts.
    if ((found.column == Small || found.column == Normal) && use == SpecialPurpose && load > 0) {
        found.feeUse = Bus;
        found.taxSet = PrivateWithLoadSet;
    }
    if (commercial) {
        found.column += kCommercialShift;
        found.taxSet += 1;
    }
    return found;
}

long long ceilingDivision(long long dividend, long long divisor) {
    return dividend >= 0 ? (dividend + divisor - 1) / divisor : dividend / divisor;
}

// A weight above the last compared bound: that bracket goes on in steps of the
// thirteenth amount, one unit per step begun. Without a step its amount stands.
long long beyondTable(long long bound, long long amount, long long step, long long weight) {
    if (step <= 0)
        return amount;
    return amount + (ceilingDivision(weight, step) * step - bound) / step;
}

long long bracketTax(const Brackets& bounds, const Brackets& amounts, long long weight) {
    for (int i = 0;; ++i) {
        if (weight <= bounds[i])
            return amounts[i];
        if (i + 1 == kComparedBrackets || bounds[i + 1] == 0)
            return beyondTable(bounds[i], amounts[i], amounts[kBracketCount - 1], weight);
    }
}

using ClassMarks = std::array<std::string, kClassMarkCount>;

void setMark(ClassMarks& marks, ClassMark which, std::string text) {
    marks[static_cast<std::size_t>(which)] = std::move(text);
}

// Passenger vehicles go by their own weight, all others by the gross weight; the
// marks show the weight the certificate gives.
long long taxByWeight(const FeeTables& tables, const Classification& found, const Table& vehicles,
                      ClassMarks& marks) {
    long long weight = 0;
    if (found.use == Passenger) {
        weight = readWhole(vehicles, "車両重量", Blank::IsUnreadable);
        setMark(marks, ClassMark::Passenger, sj("∨"));
        setMark(marks, ClassMark::VehicleWeight, fullWidth(vehicles.text(sj("車両重量"))));
    } else {
        weight = readWhole(vehicles, "車両総重量", Blank::IsUnreadable);
        const long long secondGross = readWhole(vehicles, "総重量");
        const std::string shown = vehicles.text(sj(weight < secondGross ? "総重量" : "車両総重量"));
        const bool large = weight > kLargeGrossWeight;
        setMark(marks, large ? ClassMark::LargeFreight : ClassMark::Freight, sj("∨"));
        setMark(marks, large ? ClassMark::LargeGrossWeight : ClassMark::GrossWeight,
                fullWidth(shown));
    }
    return bracketTax(tables.bounds[found.use], tables.taxes[found.use][found.taxSet], weight);
}

bool isTwoWheeledColumn(int column) {
    return column == TwoWheeledOrLargeFreight ||
           column == TwoWheeledOrLargeFreight + kCommercialShift;
}

bool hasSingleTax(int column) {
    for (const SingleTax& single : kSingleTaxes)
        if (single.column == column)
            return true;
    return false;
}

long long weightTax(const FeeTables& tables, const Classification& found, const Table& vehicles,
                    ClassMarks& marks) {
    const bool largeFreight = found.use == Freight && isTwoWheeledColumn(found.column);
    if (largeFreight || found.use == Bus || !hasSingleTax(found.column))
        return taxByWeight(tables, found, vehicles, marks);
    if (isTwoWheeledColumn(found.column))
        setMark(marks, ClassMark::TwoWheeled, sj("∨"));
    return tables.singleTax[found.column];
}

struct Answers {
    bool temporaryPlate = false;
    bool broughtIn = false;
};

Answers askAboutRecord(const PreparationState& state, const Owner& owner, Prompter& prompter,
                       int messageFlag) {
    Answers answers;
    const auto ask = [&](const char* question) {
        return askConfirmation(prompter, messageFlag, {owner.nameLine, owner.plateLine, question});
    };
    if (state.askTemporaryPlate)
        answers.temporaryPlate = ask("仮ナンバー代を付けますか？");
    if (state.askInsurance)
        answers.broughtIn = ask("自賠責保険は持ち込みですか？");
    return answers;
}

struct Priced {
    std::array<std::string, kAmountCellCount> cells;
    ClassMarks marks;
};

Priced price(const FeeTables& tables, const Classification& found, const Table& vehicles,
             const Answers& answers, const PreparationState& state) {
    Priced priced;
    auto cell = [&](AmountCell which) -> std::string& {
        return priced.cells[static_cast<std::size_t>(which)];
    };
    long long total = state.plusTotal;
    if (!answers.broughtIn) {
        const long long premium = tables.premium[found.feeUse][found.column];
        cell(AmountCell::Premium) = amountText(premium);
        total += premium;
    }
    const long long tax = weightTax(tables, found, vehicles, priced.marks);
    cell(AmountCell::WeightTax) = amountText(tax);
    total += tax;
    const long long stamp = tables.stamp[found.feeUse][found.column];
    cell(AmountCell::Stamp) = amountText(stamp);
    total += stamp;
    const long long other = tables.otherCosts[found.feeUse][found.column];
    long long withoutOther = total;
    total += other;
    // The typed deductions show on the other costs; the totals keep the full costs.
    cell(AmountCell::OtherCosts) = amountText(other - state.minusTotal);
    if (answers.temporaryPlate) {
        total += tables.temporaryPlate;
        withoutOther += tables.temporaryPlate;
        cell(AmountCell::TemporaryPlate) = "  " + amountText(tables.temporaryPlate, 12);
    }
    cell(AmountCell::Total) = amountText(total);
    cell(AmountCell::TotalWithoutOtherCosts) = amountText(withoutOther);
    return priced;
}

} // namespace

std::string rightAligned(std::string text, std::size_t width) {
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

std::string amountText(long long amount, std::size_t width) {
    return rightAligned(fullWidth(std::to_string(amount)), width);
}

bool ExpenseOut(Session& session, Prompter& prompter) {
    PreparationState& state = session.preparation;
    const Table& vehicles = session.vehicles;
    session.openFeeTables();
    const FeeTables tables = readFeeTables(session.expense, session.weightTax);
    state.classMarks.fill(std::string());

    const int column = kindColumn(vehicles.text(sj("自動車の種別")));
    const int use = useRow(vehicles.text(sj("用途")));
    const Owner owner = ownerOf(vehicles);
    const Answers answers = askAboutRecord(state, owner, prompter, session.settings.messageFlag);
    if (column == UnknownColumn)
        tellCannotPrice(prompter, owner, "　自動車の種別　が認識できません！");
    if (use == UnknownUse)
        tellCannotPrice(prompter, owner, "　用途　が認識できません！");
    if (column == UnknownColumn || use == UnknownUse)
        return true;

    try {
        const bool commercial = vehicles.text(sj("自家用事業用の別")) == sj("事業用");
        const Classification found =
            classify(column, use, readWhole(vehicles, "最大積載量"), commercial);
        Priced priced = price(tables, found, vehicles, answers, state);
        state.amountCells = std::move(priced.cells);
        state.classMarks = std::move(priced.marks);
    } catch (const UnreadableNumber& unreadable) {
        tellCannotPrice(prompter, owner,
                        std::string("　") + unreadable.field + "　が整数として読めません！「" +
                            toUtf8(unreadable.text) + "」");
        return true;
    }
    state.notifyCells();
    return false;
}

} // namespace mivora
