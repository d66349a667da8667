#include "widgets/numberentry.h"

#include <QLineEdit>

namespace mivora {

void toHalfWidthNumber(QString& text) {
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code >= u'０' && code <= u'９')
            c = QChar(u'0' + (code - u'０'));
        else if (code == u'－' || code == u'\u2212')
            c = QLatin1Char('-');
        else if (code == u'＋')
            c = QLatin1Char('+');
    }
}

NumberValidator::NumberValidator(const QRegularExpression& pattern, QObject* parent)
    : QRegularExpressionValidator(pattern, parent) {}

QValidator::State NumberValidator::validate(QString& input, int& pos) const {
    toHalfWidthNumber(input);
    return QRegularExpressionValidator::validate(input, pos);
}

void validateAsInteger(QLineEdit& edit, bool integer, bool negativeAllowed) {
    if (!integer) {
        edit.setValidator(nullptr);
        return;
    }
    static const QRegularExpression withSign(QStringLiteral("[+-]?[0-9]{0,9}"));
    static const QRegularExpression digitsOnly(QStringLiteral("[0-9]{0,9}"));
    const QRegularExpression& pattern = negativeAllowed ? withSign : digitsOnly;
    if (auto* current = qobject_cast<const NumberValidator*>(edit.validator());
        current && current->regularExpression() == pattern)
        return;
    edit.setValidator(new NumberValidator(pattern, &edit));
}

} // namespace mivora
