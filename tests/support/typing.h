#pragma once
// Text entered as a person enters it: half-width text key by key, anything else
// as a Japanese input method delivers it, one committed piece.

#include <QApplication>
#include <QInputMethodEvent>
#include <QString>
#include <QTest>
#include <QWidget>

namespace mivora::test {

inline void typeAsPerson(QWidget* widget, const QString& text) {
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QTest::keyClicks(widget, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(widget, &commit);
}

} // namespace mivora::test
