#include "dialogs/datesdlg.h"

#include "items/eradate.h"

namespace mivora {

TDateSDlg::TDateSDlg(QWidget* parent) : QDialog(parent) {}

void TDateSDlg::CharToDate(std::string& text, int& year, int& month, int& day) const {
    mivora::CharToDate(text, year, month, day);
}

} // namespace mivora
