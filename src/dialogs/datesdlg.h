#pragma once
// The date setting window: created at start-up only to carry the reading of era
// date texts; it is never shown.

#include <QDialog>

#include <string>

namespace mivora {

class TDateSDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TDateSDlg(QWidget* parent = nullptr);

    // Reads an era date text (CP932) such as "平成１５年０４月０５日" into a Western
    // year, month and day; a leading era name is removed from text. Parts missing
    // from the text keep today's values.
    void CharToDate(std::string& text, int& year, int& month, int& day) const;
};

} // namespace mivora
