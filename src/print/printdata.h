#pragma once
// Print data preparation. A layout after the first may carry preset free contents
// (record N of PrtFreeData.DB for layout N): keywords of derived values ("自社名",
// "郵便番号", "区分乗用", the amount names), typed amounts ("+12000", "-300") or
// plain texts. Before the layout prints, the presets are turned into finished
// texts for the current vehicle, which the page prints in place of the layout's
// item texts (itemToPrint); the designer stores them into the layout's slots to
// show them. The presets themselves are never changed. Only with the sibling program present, and
// never for layout 1: the callers below and the print run see to both.

#include "print/printrun.h"
#include "session/prompter.h"
#include "session/session.h"

#include <array>
#include <functional>
#include <string>

namespace mivora {

class PrintDataPreparation : public PrintPreparation {
  public:
    PrintDataPreparation(Session& session, Prompter& prompter);

    // How the postal code of the address in slot 4 of the values is found: PostRead
    // on the program directory's KEN_ALL.CSV unless replaced.
    using PostalLookup =
        std::function<void(std::string& code, int mode, std::array<std::string, 49>& values)>;
    PostalLookup postRead;

    void resetRun() override { session_.preparation.resetRun(); }
    void check(bool ask) override { PrintDataCheck(ask); }
    bool prepare() override { return PrintDataSet(); }

    // Once per run, before the first record: opens the fee tables, sums the typed
    // amounts, decides whether fees are needed, and with ask asks the batch
    // questions (without ask, every record will be asked).
    void PrintDataCheck(bool ask);

    // For the current vehicle: prices it when fees are needed and finishes the
    // presets into the session's prepared items. True when the record cannot be
    // priced; the items are finished all the same.
    bool PrintDataSet();

  private:
    struct Lookups;

    bool hasPresets(int layout) const;
    std::string presetText(int record, int slot) const;
    void checkSlot(std::string preset, int slot, bool ask);
    void addTypedAmounts(std::string& text);
    void prepareItems();
    std::string finished(std::string text, Lookups& lookups);
    std::string withPostalCode(std::string text, Lookups& lookups);
    std::string chosenDate(std::string text);

    Session& session_;
    Prompter& prompter_;
};

// The item field of slot N (1 to 60) in the layouts and the free contents: 項目N.
std::string slotField(int slot);

// The item text that slot N (1 to 60) prints: the finished preset of the record
// being printed when preparation made one, else the layout's own.
std::string itemToPrint(const Session& session, int slot);

// Writes the prepared items into the layout's slots, where the designer shows
// them: every slot or (on a failure) none. The session then holds none.
void storePreparedItems(Session& session);

// Each amount cell holds its own keyword, so a layout shows its amount slots by name.
void showAmountKeywords(PreparationState& state);

// The designer button on a layout after the first: amount slots shown by their
// keywords, fees not calculated; with the sibling program the presets are written
// for the current vehicle.
void prepareForDesigner(Session& session, Prompter& prompter);

// A start-up request that opens the designer, and the headless commands: with the
// sibling program and a layout after the first, the current vehicle prepared with
// its fees, the batch questions left for the record, into the prepared items. True
// when it cannot be priced.
bool prepareAsRequest(Session& session, Prompter& prompter);

} // namespace mivora
