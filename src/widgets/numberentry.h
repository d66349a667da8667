#pragma once
// Number boxes take the digits and signs that a Japanese input method types in
// full-width mode ("１５０", "－５") as their half-width forms, as the person means
// them; the boxes never see anything but half-width text.

#include <QRegularExpressionValidator>

class QLineEdit;

namespace mivora {

// Turns full-width digits, plus and minus signs (and the minus sign U+2212) into
// their half-width forms, one character for one, so a cursor position stays valid.
void toHalfWidthNumber(QString& text);

// Checks text against a pattern of half-width digits and signs, after making it
// half-width.
class NumberValidator : public QRegularExpressionValidator {
    Q_OBJECT
  public:
    NumberValidator(const QRegularExpression& pattern, QObject* parent);

    State validate(QString& input, int& pos) const override;
};

// Gives edit the validator of whole numbers (nine digits, which always fit 32 bits,
// and a sign unless negative numbers are refused), or none when integer is false.
void validateAsInteger(QLineEdit& edit, bool integer, bool negativeAllowed = true);

} // namespace mivora
