#pragma once
// The item text resolver: what a slot of a layout prints for the current vehicle
// record. The print run and the designer's preview both print exactly what it
// returns.

#include "items/changeitem.h"
#include "items/itemsources.h"
#include "session/prompter.h"

#include <string>
#include <string_view>

namespace mivora {

enum class ResolveMode {
    Preview, // the designer: asks nothing, "$" pads with blanks
    Print,   // the print run: "!" asks, "$" leaves the blanks to the printer
};

struct ResolvedItem {
    std::string text;         // what the slot prints; empty: the slot prints nothing
    bool spacedDate = false;  // a date spaced out by the layout's date width
    int missingPositions = 0; // printing with "$w": w minus the length of the text
};

class ItemResolver {
  public:
    // The prompter answers the "!" questions of a print; without one, nobody can
    // confirm, and such slots print nothing.
    ItemResolver(const Session& session, Prompter* prompter, ItemSources::Clock today = localToday);

    // Resolves the item text of slot N (1 to 60) of the current layout: takes off the
    // modifiers (itemmodifiers.h), applies a conversion (itemconversion.h), resolves
    // the bare name (the circle marks and the 12-month inspection dates here, every
    // other name by ItemChange), then applies the modifiers in this order: Ｌ変, split
    // and honorific, %, $, &, the "!" question, ~, _.
    ResolvedItem MenuTextCheck(std::string_view itemText, int slotNumber, ResolveMode mode);

  private:
    std::string converted(std::string working, int slotNumber) const;
    ItemValue resolveName(const std::string& name, int slotNumber) const;
    std::string circleMark(CircleMark mark, bool handWritten, int slotNumber) const;
    ItemValue inspectionDate(const std::string& name, int yearsBack) const;
    bool confirmed(const std::string& name, const std::string& text) const;

    ItemSources sources_;
    Prompter* prompter_;
};

} // namespace mivora
