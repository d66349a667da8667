#include "print/printdata.h"

#include "items/charconv.h"
#include "items/charsearch.h"
#include "items/postal.h"
#include "print/expense.h"
#include "store/schema.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <algorithm>
#include <optional>

namespace mivora {

namespace {

constexpr std::size_t kAmountWidth = 14;
constexpr std::size_t kAddressSlot = 4;
constexpr int kInputRecord = 1;

// A preset naming one of these asks its batch question and needs the fees.
struct BatchQuestion {
    const char* keyword;
    const char* question;
    bool PreparationState::*flag;
};
constexpr BatchQuestion kBatchQuestions[] = {
    {"仮ナンバー金額", "仮ナンバー代を付ける方はいますか？", &PreparationState::askTemporaryPlate},
    {"自　賠　責金額", "自賠責保険は持ち込みの方はいますか？", &PreparationState::askInsurance}};

// The other amounts whose presence in a preset needs the fees.
constexpr const char* kOtherFeeKeywords[] = {"重　量　税金額", "検査印紙　金額", "諸　費　用金額",
                                             "諸費用無合計", "合　　　計金額"};

constexpr const char* kSubtotalKeyword = "小　　　計金額";

// A mark for the record's private or commercial use.
struct UseMark {
    const char* keyword;
    const char* use;
};
constexpr UseMark kUseMarks[] = {{"別自家用", "自家用"}, {"別事業用", "事業用"}};

// Which of the keywords the whole text is.
template <std::size_t N>
std::optional<std::size_t> keywordIndex(const std::string& text,
                                        const std::array<const char*, N>& keywords) {
    for (std::size_t i = 0; i < N; ++i)
        if (text == sj(keywords[i]))
            return i;
    return std::nullopt;
}

// The value of the keyword that the whole text is; any other text stays.
template <std::size_t N>
std::string keywordValue(std::string text, const std::array<const char*, N>& keywords,
                         const std::array<std::string, N>& values) {
    if (const auto i = keywordIndex(text, keywords))
        return values[*i];
    return text;
}

bool needsFees(const std::string& text) {
    for (const char* keyword : kOtherFeeKeywords)
        if (containsChars(text, sj(keyword)))
            return true;
    return keywordIndex(text, kClassMarkKeywords).has_value();
}

std::string fullWidthAligned(std::string digits) {
    ChangeChar(digits);
    return rightAligned(std::move(digits), kAmountWidth);
}

// A typed "+amount" prints in the amount boxes.
std::string signedAmountText(const std::string& text) {
    return text.starts_with('+') ? fullWidthAligned(text.substr(1)) : text;
}

std::string useMarkText(std::string text, const Table& vehicles) {
    for (const UseMark& mark : kUseMarks)
        if (text == sj(mark.keyword))
            return vehicles.text(sj("自家用事業用の別")) == sj(mark.use) ? sj("∨") : "";
    return text;
}

std::optional<std::string> replacedOnce(const std::string& text, const std::string& keyword,
                                        const std::string& replacement) {
    const std::size_t at = findChars(text, keyword);
    if (at == kNotFound)
        return std::nullopt;
    return text.substr(0, at) + replacement + text.substr(at + keyword.size());
}

// The first amount keyword, in the order of the cells and then the subtotal, is
// replaced where it stands; what comes before and after it stays.
std::string withAmount(const std::string& text, const PreparationState& state) {
    for (std::size_t i = 0; i < kAmountKeywords.size(); ++i)
        if (auto replaced = replacedOnce(text, sj(kAmountKeywords[i]), state.amountCells[i]))
            return *replaced;
    const std::string subtotal = fullWidthAligned(std::to_string(state.plusTotal));
    return replacedOnce(text, sj(kSubtotalKeyword), subtotal).value_or(text);
}

// Texts about an amount that this record does not have print nothing.
std::string withoutMissingAmounts(std::string text, const PreparationState& state) {
    if (text.starts_with(sj("自賠責")) && state.cell(AmountCell::Premium).empty())
        return {};
    if (text.starts_with(sj("仮")) && state.cell(AmountCell::TemporaryPlate).empty())
        return {};
    return text;
}

} // namespace

// What one preparation looks up once for all its slots.
struct PrintDataPreparation::Lookups {
    std::string postalCode; // full-width once found
};

PrintDataPreparation::PrintDataPreparation(Session& session, Prompter& prompter)
    : session_(session), prompter_(prompter) {
    postRead = [&session](std::string& code, int mode, std::array<std::string, 49>& values) {
        PostRead(code, mode, values, session.settings.programDir);
    };
}

// A layout without a preset record of its own has no presets: another layout's
// record must never be written into it.
bool PrintDataPreparation::hasPresets(int layout) const {
    return layout >= 1 && layout <= session_.freeData.recordCount();
}

void PrintDataPreparation::addTypedAmounts(std::string& text) {
    PreparationState& state = session_.preparation;
    if (text.starts_with('+')) {
        text.erase(0, 1);
        state.plusTotal += leadingInteger(text);
    }
    if (text.starts_with('-')) {
        text.erase(0, 1);
        state.minusTotal += leadingInteger(text);
    }
}

void PrintDataPreparation::checkSlot(std::string preset, int slot, bool ask) {
    PreparationState& state = session_.preparation;
    // A hand-written slot counts what the run offers when it starts.
    if (preset.starts_with('?')) {
        const std::string* answer = state.answer(slot);
        std::string typed = answer ? *answer : presetText(kInputRecord, slot);
        addTypedAmounts(typed);
    }
    addTypedAmounts(preset);
    for (const BatchQuestion& batch : kBatchQuestions) {
        if (!containsChars(preset, sj(batch.keyword)))
            continue;
        state.*batch.flag = !ask || prompter_.askYesNo(batch.question);
        state.feesNeeded = true;
    }
    if (needsFees(preset))
        state.feesNeeded = true;
}

// Read in place: the free contents stay on the input record, where the
// confirmation window edits.
std::string PrintDataPreparation::presetText(int record, int slot) const {
    const Table& free = session_.freeData;
    return free.peek(record, free.fieldIndex(slotField(slot)));
}

void PrintDataPreparation::PrintDataCheck(bool ask) {
    session_.openFeeTables();
    PreparationState& state = session_.preparation;
    const int layout = session_.layouts.recNo();
    state.askTemporaryPlate = false;
    state.askInsurance = false;
    if (hasPresets(layout))
        for (int slot = 1; slot <= kSlotCount; ++slot)
            if (std::string preset = presetText(layout, slot); !preset.empty())
                checkSlot(std::move(preset), slot, ask);
    session_.freeData.setRecNo(kInputRecord);
}

bool PrintDataPreparation::PrintDataSet() {
    const bool cancelled = session_.preparation.feesNeeded && ExpenseOut(session_, prompter_);
    prepareItems();
    return cancelled;
}

// The finished texts go to the page in memory: nothing of them is written into
// the layout, which other PCs print and edit at the same time.
void PrintDataPreparation::prepareItems() {
    std::array<std::optional<std::string>, kSlotCount> items;
    const int layout = session_.layouts.recNo();
    if (hasPresets(layout)) {
        Lookups lookups;
        for (int slot = 1; slot <= kSlotCount; ++slot)
            if (std::string preset = presetText(layout, slot); !preset.empty())
                items[slot - 1] = finished(std::move(preset), lookups);
    }
    session_.preparation.preparedItems = std::move(items);
}

std::string PrintDataPreparation::finished(std::string text, Lookups& lookups) {
    const PreparationState& state = session_.preparation;
    text = signedAmountText(text);
    text = useMarkText(std::move(text), session_.vehicles);
    text = keywordValue(std::move(text), kClassMarkKeywords, state.classMarks);
    text = withAmount(text, state);
    text = withoutMissingAmounts(std::move(text), state);
    text = withPostalCode(std::move(text), lookups);
    text = keywordValue(std::move(text), kCompanyKeywords, session_.settings.companyTexts);
    return chosenDate(std::move(text));
}

// The user's postal code, looked up at most once per record however many slots
// name it.
std::string PrintDataPreparation::withPostalCode(std::string text, Lookups& lookups) {
    const std::string& keyword = sj("郵便番号");
    if (!text.starts_with(keyword))
        return text;
    session_.recordValues[kAddressSlot] = session_.vehicles.text(sj("使用者住所"));
    if (lookups.postalCode.empty()) {
        std::string code;
        postRead(code, 0, session_.recordValues);
        ChangeChar(code);
        lookups.postalCode = code;
    }
    return lookups.postalCode + text.substr(keyword.size());
}

std::string PrintDataPreparation::chosenDate(std::string text) {
    if (text != sj("日付選択"))
        return text;
    const std::string chosen = fromUtf8(prompter_.chooseDate());
    return chosen == sj("なし") ? std::string() : chosen;
}

std::string slotField(int slot) {
    return sj("項目") + std::to_string(slot);
}

std::string itemToPrint(const Session& session, int slot) {
    const std::optional<std::string>& prepared = session.preparation.preparedItems.at(slot - 1);
    return prepared ? *prepared : session.layouts.text(slotField(slot));
}

// Either every slot is written and posted, or (on a failure) none: the layout is
// never left half rewritten.
void storePreparedItems(Session& session) {
    Table& layouts = session.layouts;
    auto& items = session.preparation.preparedItems;
    if (std::none_of(items.begin(), items.end(), [](const auto& item) { return item.has_value(); }))
        return;
    layouts.post();
    layouts.edit();
    try {
        for (int slot = 1; slot <= kSlotCount; ++slot)
            if (const auto& item = items[slot - 1])
                layouts.setText(slotField(slot), *item);
        layouts.post();
    } catch (...) {
        layouts.cancel();
        items = {};
        throw;
    }
    items = {};
}

void showAmountKeywords(PreparationState& state) {
    for (std::size_t i = 0; i < kAmountKeywords.size(); ++i)
        state.amountCells[i] = sj(kAmountKeywords[i]);
    state.notifyCells();
}

void prepareForDesigner(Session& session, Prompter& prompter) {
    if (!session.layouts.active() || session.layouts.recNo() == 1)
        return;
    session.preparation.resetRun();
    showAmountKeywords(session.preparation);
    if (!session.settings.siblingPresent)
        return;
    session.openFeeTables();
    PrintDataPreparation(session, prompter).PrintDataSet();
    storePreparedItems(session);
}

bool prepareAsRequest(Session& session, Prompter& prompter) {
    if (!session.layouts.active() || session.layouts.recNo() == 1)
        return false;
    // Every request starts a run of its own: typed totals are counted afresh.
    session.preparation.resetRun();
    if (!session.settings.siblingPresent)
        return false;
    session.openFeeTables();
    PrintDataPreparation preparation(session, prompter);
    preparation.PrintDataCheck(false);
    return preparation.PrintDataSet();
}

} // namespace mivora
