// The font chooser as a person works it, on Debian and on Windows: it opens on the
// font given, a family is found by typing its name in the list or clicked, a size
// typed or clicked, and Enter hands them over, Esc nothing; the sample shows the
// font chosen.

#include "dialogs/fontchooser.h"
#include "support/typing.h"

#include <QApplication>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace mivora::test {
namespace {

// Runs answer once the chooser is on the screen.
void whenShown(QDialog* dialog, const std::function<void()>& answer) {
    QTimer::singleShot(10, dialog, [dialog, answer] {
        if (dialog->isVisible())
            answer();
        else
            whenShown(dialog, answer);
    });
}

void clickRow(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> rows = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1) << text.toStdString();
    list->scrollToItem(rows.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(rows.front()).center());
}

QStringList families(const FontChooser& chooser) {
    QStringList listed;
    for (int row = 0; row < chooser.familyList->count(); ++row)
        listed << chooser.familyList->item(row)->text();
    return listed;
}

TEST(FontChooserTest, OpensOnTheFontGivenAndHandsOverWhatIsPicked) {
    const QStringList offered = families(FontChooser());
    ASSERT_GE(offered.size(), 2) << "two fonts with Japanese glyphs (the IPA fonts)";
    struct Case {
        const char* title;
        int opensOn; // a family offered, and its size
        int openSize;
        int picks; // another, typed in the list or clicked, and a size
        bool byKeys;
        int size;
        Qt::Key closeKey;
    };
    const Case cases[] = {
        {"typed, Enter", 0, 14, 1, true, 20, Qt::Key_Return},
        {"clicked, Enter", 1, 10, 0, false, 36, Qt::Key_Return},
        {"Esc", 0, 12, 1, false, 24, Qt::Key_Escape},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        FontChooser chooser;
        const QString given = offered[c.opensOn];
        const QString picked = offered[c.picks];
        QString openedFamily, openedSize;
        QFont sampled;
        QString sampleDrawn;
        whenShown(&chooser, [&] {
            // The keys go where the focus is once the window is active.
            EXPECT_TRUE(QTest::qWaitForWindowActive(&chooser));
            if (const QListWidgetItem* family = chooser.familyList->currentItem())
                openedFamily = family->text();
            openedSize = chooser.sizeBox->text();
            const QString size = QString::number(c.size);
            if (c.byKeys) { // the list has the focus; Tab twice to the size box
                typeAsPerson(chooser.familyList, picked);
                QTest::keyClick(chooser.familyList, Qt::Key_Tab);
                QTest::keyClick(chooser.styleList, Qt::Key_Tab);
                EXPECT_TRUE(chooser.sizeBox->hasFocus());
                QTest::keyClick(chooser.sizeBox, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(chooser.sizeBox, size);
            } else {
                clickRow(chooser.familyList, picked);
                clickRow(chooser.sizeList, size);
            }
            sampled = chooser.sample->font();
            sampleDrawn = QFontInfo(sampled).family();
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : chooser.familyList, c.closeKey);
        });
        const std::optional<QFont> chosen = chooser.choose(QFont(given, c.openSize));
        EXPECT_FALSE(chooser.isVisible());
        EXPECT_EQ(openedFamily, given);
        EXPECT_EQ(openedSize, QString::number(c.openSize));
        EXPECT_EQ(sampled.family(), picked);
        EXPECT_EQ(sampled.pointSize(), c.size);
        EXPECT_EQ(sampleDrawn, picked);
        if (c.closeKey == Qt::Key_Escape) {
            EXPECT_FALSE(chosen.has_value());
        } else {
            ASSERT_TRUE(chosen.has_value());
            EXPECT_EQ(chosen->family(), picked);
            EXPECT_EQ(chosen->pointSize(), c.size);
        }
    }
}

} // namespace
} // namespace mivora::test
