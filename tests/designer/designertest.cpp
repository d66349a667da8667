#include "designertest.h"

#include "designer/dbnavigator.h"
#include "store/datafolder.h"
#include "text/lines.h"
#include "text/sjis.h"

namespace mivora::test {

namespace fs = std::filesystem;

DesignerFolder::DesignerFolder() {
    createTables(dataFolder());
    fillSampleData(dataFolder());
    forms_.prompter = &prompter_;
    ProgramSettings settings;
    settings.programDir = dir();
    session_ = std::make_unique<Session>(settings, dataFolder());
    session_->openMainTables();
}

// The window first: it unhooks itself from the tables it handled.
DesignerFolder::~DesignerFolder() {
    form_.reset();
    session_.reset();
}

TMivoraForm& DesignerFolder::open() {
    if (!form_) {
        form_ = std::make_unique<TMivoraForm>(*session_, forms_);
        forms_.designer = form_.get();
    }
    return *form_;
}

std::string DesignerFolder::name(const char* field) {
    return sj(field);
}

std::string DesignerFolder::slotName(const char* prefix, int slot) {
    return sj(prefix) + std::to_string(slot);
}

int DesignerFolder::storedInteger(int layout, const std::string& field) const {
    return leadingInteger(storedText(layout, field));
}

std::string DesignerFolder::storedText(int layout, const std::string& field) const {
    Table table(tablePath(dataFolder(), layoutTable()));
    table.open();
    table.setRecNo(layout);
    return table.text(field);
}

void DesignerFolder::storeLayout(int layout,
                                 const std::vector<std::pair<std::string, std::string>>& fields) {
    Table& table = session_->layouts;
    table.open();
    table.setRecNo(layout);
    for (const auto& [field, value] : fields)
        table.setText(sj(field), value);
    table.post();
    table.first();
}

void DesignerFolder::addLayout(const std::string& layoutName) {
    Table& table = session_->layouts;
    table.open();
    table.append();
    table.setText(sj("印刷名"), layoutName);
    table.setInteger(sj("印刷サイズＸ"), 210);
    table.setInteger(sj("印刷サイズＹ"), 297);
    table.post();
    table.first();
}

std::vector<std::string> DesignerFolder::lines(const char* file) const {
    return readLines(dir() / file).value_or(std::vector<std::string>{"(missing)"});
}

void DesignerFolder::press(int button) {
    open().DBNavigator1->BtnClick(static_cast<DBNavigator::Button>(button));
}

} // namespace mivora::test
