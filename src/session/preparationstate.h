#pragma once
// The state that print data preparation and the fee calculation share across the
// records of one print run: the typed totals, whether fees are needed, the batch
// answers, and the finished amount texts and class marks. The designer's hidden
// amount cells ExpLabel1 to ExpLabel7 mirror amountCells through cellsChanged.

#include "store/schema.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace mivora {

// The amount cells, in the order of ExpLabel1 to ExpLabel7.
enum class AmountCell {
    Premium,
    WeightTax,
    Stamp,
    OtherCosts,
    TemporaryPlate,
    Total,
    TotalWithoutOtherCosts
};
constexpr int kAmountCellCount = 7;

// The keyword that stands for each cell in a preset, UTF-8 (ideographic spaces
// inside). The designer shows an amount slot by its keyword.
inline constexpr std::array<const char*, kAmountCellCount> kAmountKeywords = {
    "自　賠　責金額", "重　量　税金額", "検査印紙　金額", "諸　費　用金額",
    "仮ナンバー金額", "合　　　計金額", "諸費用無合計"};

// The texts typed or picked in the print-content window, by slot (index 0 is slot
// 1), CP932: what the hand-written items of a page print.
using HandWrittenAnswers = std::array<std::string, kSlotCount>;

// The class marks that the fee calculation sets for a record.
enum class ClassMark {
    Passenger,
    Freight,
    TwoWheeled,
    LargeFreight,
    VehicleWeight,
    GrossWeight,
    LargeGrossWeight
};
constexpr int kClassMarkCount = 7;

// The keyword of each class mark, UTF-8.
inline constexpr std::array<const char*, kClassMarkCount> kClassMarkKeywords = {
    "区分乗用", "区分貨物", "区分二輪", "区分貨物大", "区分車両重量", "区分総重量", "区分総重量大"};

struct PreparationState {
    long long plusTotal = 0;  // typed "+" amounts
    long long minusTotal = 0; // typed "-" amounts, taken off the shown other costs
    bool feesNeeded = false;  // a preset names an amount or a class mark
    bool askTemporaryPlate = false;
    bool askInsurance = false;
    std::array<std::string, kAmountCellCount> amountCells; // CP932, formatted
    std::array<std::string, kClassMarkCount> classMarks;   // CP932
    // The finished presets of the record being printed, by slot (index 0 is slot
    // 1; none where the layout has no preset): what the page prints instead of the
    // layout's own item texts. They stay here, in the one program, so that another
    // PC's print cannot change them between the preparation and the page.
    std::array<std::optional<std::string>, kSlotCount> preparedItems;
    // The confirmation answers of the run going on, held the same way: the
    // hand-written items of its pages print these, not the input record that
    // another PC's run writes meanwhile. None outside a run, where the items read
    // the input record.
    std::optional<HandWrittenAnswers> answers;

    // Called whenever amountCells change, so that a window can show them.
    std::function<void()> cellsChanged;

    std::string& cell(AmountCell which) { return amountCells[static_cast<std::size_t>(which)]; }
    const std::string& cell(AmountCell which) const {
        return amountCells[static_cast<std::size_t>(which)];
    }
    std::string& mark(ClassMark which) { return classMarks[static_cast<std::size_t>(which)]; }

    // A new run: no typed totals yet, fees not known to be needed.
    void resetRun() {
        plusTotal = 0;
        minusTotal = 0;
        feesNeeded = false;
        preparedItems = {};
    }

    // Slot N of the run's answers, or nullptr outside a run.
    const std::string* answer(int slot) const {
        return answers ? &answers->at(static_cast<std::size_t>(slot - 1)) : nullptr;
    }

    void notifyCells() const {
        if (cellsChanged)
            cellsChanged();
    }
};

} // namespace mivora
