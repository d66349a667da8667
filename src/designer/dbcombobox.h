#pragma once
// An editable list box bound to a field: it shows the field of the current record,
// and what is typed or picked goes into the field at once. changed() comes only
// after the person changed the text, not when the record is shown.

#include "designer/fieldlink.h"

#include <QComboBox>

#include <functional>

namespace mivora {

class DBComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DBComboBox(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    void setDataField(const std::string& field) { link_.setFieldName(field); }
    const std::string& dataField() const { return link_.fieldName(); }

    // Replaces the list; the text stays the field's, and nothing is written.
    void setChoices(const QStringList& choices);
    // What is typed is written (and shown) as the rule makes it.
    void setTypingRule(std::function<QString(const QString&)> rule) {
        typingRule_ = std::move(rule);
    }

  signals:
    void changed();
    void doubleClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showField();
    void textWasChanged(const QString& text);
    void showTyped(const QString& text);

    FieldLink link_;
    std::function<QString(const QString&)> typingRule_;
    bool showing_ = false;
};

} // namespace mivora
