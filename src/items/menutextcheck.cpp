#include "items/menutextcheck.h"

#include "items/charconv.h"
#include "items/charsearch.h"
#include "items/itemchange.h"
#include "items/itemconversion.h"
#include "items/modifierformat.h"
#include "text/codec.h"
#include "text/sjis.h"

namespace mivora {

namespace {

struct Names {
    std::string useMark = sj("用途○印");
    std::string useMarkTyped = sj("?用途○印");
    std::string privateMark = sj("自家用事業用の別○印");
    std::string privateMarkTyped = sj("?自家用事業用の別○印");
    std::string inspection = sj("１２ヶ月点検日");
    std::string inspectionTwoYears = sj("１２ヶ月点検日（２年前）");
    std::string use = sj("用途");
    std::string privateOrCommercial = sj("自家用事業用の別");
    std::string expiry = sj("有効期間の満了する日");
    std::string circle = sj("○");
    // The words of the forms, in the order the form prints them.
    std::string freight = sj("貨物");
    std::string passenger = sj("乗用");
    std::string special = sj("特種");
    std::string privateUse = sj("自家用");
    std::string commercialUse = sj("事業用");
};

const Names& names() {
    static const Names instance;
    return instance;
}

// Whether a date text has any number to read a date from.
bool holdsDigit(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i))
        if ((text[i] >= '0' && text[i] <= '9') || isFullDigitAt(text, i))
            return true;
    return false;
}

} // namespace

ItemResolver::ItemResolver(const Session& session, Prompter* prompter, ItemSources::Clock today)
    : sources_(session, std::move(today)), prompter_(prompter) {}

ResolvedItem ItemResolver::MenuTextCheck(std::string_view itemText, int slotNumber,
                                         ResolveMode mode) {
    ItemModifiers modifiers;
    std::string name = converted(takeSuffixMarkers(itemText, modifiers), slotNumber);
    takeNameAffixes(name, modifiers);

    ItemValue value = resolveName(name, slotNumber);
    ResolvedItem result{std::move(value.text), value.spacedDate};
    std::string& text = result.text;
    if (modifiers.lConversion)
        CharTranse(text);
    applySplit(text, modifiers);
    applyDecimals(text, modifiers.decimals);
    if (auto missing = applyRightAlign(text, modifiers.rightAlign, mode == ResolveMode::Preview))
        result.missingPositions = mode == ResolveMode::Print ? *missing : 0;
    applySubstring(text, modifiers.substringStart, modifiers.substringLength);
    if (modifiers.confirm && mode == ResolveMode::Print && !confirmed(name, text))
        text.clear();
    if (modifiers.fullWidth)
        ChangeChar(text);
    if (modifiers.spacing > 0)
        SpaceSet(text, modifiers.spacing);
    return result;
}

// The text a "#" conversion selects, or the working text when it is none.
std::string ItemResolver::converted(std::string working, int slotNumber) const {
    const auto conversion = parseConversion(working);
    if (!conversion)
        return working;
    const auto valueOf = [&](const std::string& item) {
        return ItemChange(sources_, item, slotNumber, DateBlanking::Off).text;
    };
    bool holds = false;
    if (conversion->numeric) {
        holds = leadingNumber(valueOf(conversion->item)) == 0;
    } else {
        const std::string check = valueOf(conversion->check);
        const std::string value = valueOf(conversion->item);
        holds = check.empty() ? value.empty() : containsChars(value, check);
    }
    return holds != conversion->negated ? conversion->converted : conversion->alternative;
}

ItemValue ItemResolver::resolveName(const std::string& name, int slotNumber) const {
    const Names& n = names();
    if (name == n.useMark || name == n.useMarkTyped)
        return {circleMark(CircleMark::Use, name == n.useMarkTyped, slotNumber)};
    if (name == n.privateMark || name == n.privateMarkTyped)
        return {
            circleMark(CircleMark::PrivateOrCommercial, name == n.privateMarkTyped, slotNumber)};
    if (name == n.inspection)
        return inspectionDate(name, 1);
    if (name == n.inspectionTwoYears)
        return inspectionDate(name, 2);
    if (name.empty())
        return {};
    return ItemChange(sources_, name, slotNumber, DateBlanking::On);
}

// A "○" on the first, second or third word that the form prints for the choice,
// the words being the layout's spacing plus two blanks apart.
std::string ItemResolver::circleMark(CircleMark mark, bool handWritten, int slotNumber) const {
    const Names& n = names();
    const bool use = mark == CircleMark::Use;
    const std::string* source = handWritten
                                    ? sources_.handWritten(slotNumber)
                                    : sources_.vehicleField(use ? n.use : n.privateOrCommercial);
    if (!source)
        return {};
    const std::string gap(static_cast<std::size_t>(sources_.circleSpacing(mark) + 2), ' ');
    if (use) {
        const std::string_view word = std::string_view(*source).substr(0, 4);
        if (word == n.freight)
            return n.circle;
        if (word == n.passenger)
            return gap + n.circle;
        if (word == n.special)
            return gap + gap + n.circle;
        return {};
    }
    if (*source == n.privateUse)
        return n.circle;
    if (*source == n.commercialUse)
        return gap + n.circle;
    return {};
}

// The day of the periodic inspection one or two years before the certificate expires.
// A 29 February falls on 28 February in a common year; a record without an expiry
// date prints nothing.
ItemValue ItemResolver::inspectionDate(const std::string& name, int yearsBack) const {
    const std::string* expiry = sources_.vehicleField(names().expiry);
    if (!expiry || !holdsDigit(*expiry))
        return {};
    std::string text = *expiry;
    int year = 0, month = 0, day = 0;
    CharToDate(text, year, month, day, sources_.today());
    year -= yearsBack;
    if (month == 2 && day == 29 && !isLeapYear(year))
        day = 28;
    const auto date = makeDate(year, month, day);
    if (!date)
        return {name};
    ItemValue value{sources_.itemDate(*date)};
    value.spacedDate = blankDate(value.text, sources_.dateDisplay());
    return value;
}

bool ItemResolver::confirmed(const std::string& name, const std::string& text) const {
    if (text.empty() || !prompter_)
        return false;
    static const std::string& label = sj("項目名：");
    static const std::string& of = sj("の");
    static const std::string& question = sj("は印刷しますか？");
    return prompter_->askYesNo(toUtf8(label + name + of + text + question));
}

} // namespace mivora
