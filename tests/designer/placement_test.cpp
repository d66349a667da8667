// Placing the current item: the number selector and label clicks, positions by bar,
// edit, mouse and keys, the side controls of an item name, sizes and the font.

#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/itemlabel.h"
#include "designertest.h"
#include "dialogs/fontchooser.h"
#include "text/codec.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace mivora::test {
namespace {

class PlacementTest : public DesignerTest {
  protected:
    TMivoraForm& openPainted() {
        TMivoraForm& form = open();
        form.FormPaint();
        return form;
    }
    int storedX(int slot) { return storedInteger(1, slotName("Ｘ座標", slot)); }
    int storedY(int slot) { return storedInteger(1, slotName("Ｙ座標", slot)); }
};

TEST_F(PlacementTest, TypedPositionsAreStoredAtOnceAndKeptOnThePaper) {
    struct Case {
        const char* typed;
        int stored;
        const char* millimetres;
    };
    const Case cases[] = {{"400", 400, "105"}, {"2000", 795, "209"}, {"-5", 0, "0"}};
    TMivoraForm& form = openPainted();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        form.XPosDBEdit->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(storedX(1), c.stored);
        EXPECT_EQ(form.XPosDBEdit->text(), QString::number(c.stored));
        EXPECT_EQ(form.XScrollBar->value(), c.stored);
        EXPECT_EQ(form.XPosPanel->text(), QString::fromUtf8(c.millimetres));
        EXPECT_EQ(form.PrintLabel(1)->x(), c.stored / 2);
    }
}

TEST_F(PlacementTest, ABarStepIsStoredAndCancelDoesNotTakeItBack) {
    storeLayout(1, {{"Ｙ座標1", "100"}});
    TMivoraForm& form = openPainted();
    ASSERT_EQ(form.YScrollBar->value(), 100);
    form.YScrollBar->setValue(101);
    EXPECT_EQ(storedY(1), 101);
    EXPECT_EQ(form.YPosDBEdit->text(), QStringLiteral("101"));
    form.CancelBtnClick();
    EXPECT_EQ(storedY(1), 101);
    EXPECT_EQ(integer("Ｙ座標1"), 101);
}

TEST_F(PlacementTest, ClickingALabelBindsThePlacementToItsItem) {
    storeLayout(
        1, {{"項目17", sj("車名")}, {"Ｘ座標17", "321"}, {"Ｙ座標17", "234"}, {"サイズ17", "14"}});
    TMivoraForm& form = openPainted();
    form.PrintLabelClick(17);
    EXPECT_EQ(form.currentItem(), 17);
    EXPECT_EQ(form.NoPanel->text(), QStringLiteral("17"));
    EXPECT_EQ(form.NoScrollBar->value(), 17);
    // The NO. bar is reached by the keyboard and moves by its arrows.
    EXPECT_TRUE(form.NoScrollBar->focusPolicy() & Qt::TabFocus);
    form.NoScrollBar->setFocus();
    QTest::keyClick(form.NoScrollBar, Qt::Key_Right);
    EXPECT_EQ(form.currentItem(), 18);
    QTest::keyClick(form.NoScrollBar, Qt::Key_Left);
    EXPECT_EQ(form.MenuDBComboBox->dataField(), slotName("項目", 17));
    EXPECT_EQ(form.FreeDBComboBox->dataField(), slotName("項目", 17));
    EXPECT_EQ(form.XPosDBEdit->dataField(), slotName("Ｘ座標", 17));
    EXPECT_EQ(form.YPosDBEdit->dataField(), slotName("Ｙ座標", 17));
    EXPECT_EQ(form.FSizDBComboBox->dataField(), slotName("サイズ", 17));
    EXPECT_EQ(form.MenuDBComboBox->currentText(), QStringLiteral("車名"));
    EXPECT_EQ(form.XScrollBar->value(), 321);
    EXPECT_EQ(form.YScrollBar->value(), 234);
    EXPECT_EQ(form.FSizDBComboBox->currentText(), QStringLiteral("14"));
}

TEST_F(PlacementTest, AnItemNameShowsTheBoxesItNeeds) {
    struct Case {
        const char* item;
        bool freeBox;
        const char* widthField;       // nullptr: no width box
        const char* stored = nullptr; // nullptr: as typed
    };
    // "？" is how "?" comes with Japanese input on.
    const Case cases[] = {{"?用途○印", true, "用途○印"},
                          {"用途", false, nullptr},
                          {"自家用事業用の別○印", false, "自家用事業用の別○印"},
                          {"?受付番号", true, nullptr},
                          {"？受付番号", true, nullptr, "?受付番号"},
                          {"受付番号？", false, nullptr}};
    TMivoraForm& form = openPainted();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        form.MenuDBComboBox->setEditText(QString::fromUtf8(c.item));
        EXPECT_EQ(text("項目1"), sj(c.stored ? c.stored : c.item));
        EXPECT_EQ(form.MenuDBComboBox->currentText().toStdString(), c.stored ? c.stored : c.item);
        EXPECT_EQ(!form.FreeDBComboBox->isHidden(), c.freeBox);
        EXPECT_EQ(!form.LenDBComboBox->isHidden(), c.widthField != nullptr);
        EXPECT_EQ(!form.LenPanel->isHidden(), c.widthField != nullptr);
        if (c.widthField) {
            EXPECT_EQ(form.LenDBComboBox->dataField(), sj(c.widthField));
        }
    }
}

TEST_F(PlacementTest, ASpacedDateOffersTheDateWidthAndAWidthIsStoredAtOnce) {
    storeLayout(1, {{"項目1", sj("登録年月日")}, {"日付の表示", "False"}});
    TMivoraForm& form = openPainted();
    EXPECT_FALSE(form.DateSPPanel->isHidden());
    EXPECT_FALSE(form.LenDBComboBox->isHidden());
    EXPECT_EQ(form.LenDBComboBox->dataField(), sj("日付の幅"));
    const QString narrow = form.PrintLabel(1)->text();
    form.LenDBComboBox->setEditText(QStringLiteral("4"));
    EXPECT_EQ(storedInteger(1, sj("日付の幅")), 4);
    EXPECT_GT(form.PrintLabel(1)->text().size(), narrow.size());
}

TEST_F(PlacementTest, AFreeContentIsStoredAndShownAtOnce) {
    TMivoraForm& form = openPainted();
    form.MenuDBComboBox->setEditText(QStringLiteral("?受付番号"));
    form.FreeDBComboBox->setEditText(QStringLiteral("Ａ－１２３"));
    EXPECT_EQ(session().freeData.state(), TableState::Browse);
    EXPECT_EQ(session().freeData.text(slotName("項目", 1)), sj("Ａ－１２３"));
    EXPECT_EQ(form.PrintLabel(1)->text(), QStringLiteral("Ａ－１２３"));
}

TEST_F(PlacementTest, ASizeDividesByTheScaleWhileTheFieldKeepsIt) {
    TMivoraForm& form = openPainted();
    form.ScaleComboBox->setEditText(QStringLiteral("3"));
    form.FSizDBComboBox->setEditText(QStringLiteral("9"));
    EXPECT_EQ(form.PrintLabel(1)->font().pointSize(), 3);
    EXPECT_EQ(integer("サイズ1"), 9);
}

TEST_F(PlacementTest, TheFontChooserRewritesCarFontEvenWhenCancelled) {
    writeLines(dir() / "CarFont.INI", {sj("ＭＳ ゴシック")});
    storeLayout(1, {{"サイズ1", "12"}});
    TMivoraForm& form = openPainted();
    FontChooser* chooser = form.fontChooser();
    whenShown(chooser, [chooser] { QTest::keyClick(chooser->familyList, Qt::Key_Escape); });
    form.Edit1Click();
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(lines("CarFont.INI"), std::vector<std::string>{sj("ＭＳ ゴシック")});
    EXPECT_EQ(form.Edit1->text(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(form.PrintLabel1->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(integer("サイズ1"), 12);

    // The family found by typing its name in the list, as the system lists it
    // (Windows: "IPA Pゴシック", through the input method), the size clicked, Enter.
    const QString proportional = QFontInfo(QFont(QStringLiteral("IPAPGothic"))).family();
    whenShown(chooser, [chooser, proportional] {
        const bool keys = std::all_of(proportional.begin(), proportional.end(),
                                      [](QChar c) { return c.unicode() < 0x80; });
        if (keys) {
            QTest::keyClicks(chooser->familyList, proportional);
        } else {
            QInputMethodEvent typed;
            typed.setCommitString(proportional);
            QApplication::sendEvent(chooser->familyList, &typed);
        }
        clickRow(chooser->sizeList, QStringLiteral("14"));
        QTest::keyClick(chooser->sizeList, Qt::Key_Return);
    });
    form.Edit1Click();
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(lines("CarFont.INI"), std::vector<std::string>{fromUtf8(proportional.toStdString())});
    EXPECT_EQ(integer("サイズ1"), 14);
    EXPECT_EQ(form.PrintLabel(60)->font().family(), proportional);
}

// Sends one mouse event at a place on the screen. Events are made one at a time:
// those of one pointer share its state.
void mouse(ItemLabel& label, QEvent::Type type, QPoint screen, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(1, 1), QPointF(screen), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&label, &event);
}

void drag(ItemLabel& label, QPoint distance) {
    const QPoint from(200, 200);
    mouse(label, QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(label, QEvent::MouseMove, from + distance, Qt::LeftButton);
    mouse(label, QEvent::MouseButtonRelease, from + distance, Qt::NoButton);
}

TEST_F(PlacementTest, DraggingALabelStoresItsNewPlace) {
    struct Case {
        const char* title;
        QPoint distance;
        QPoint stored;
    };
    const Case cases[] = {{"a drag", {30, 10}, {360, 130}},
                          {"a shaky click", {1, 1}, {360, 130}},
                          {"off the paper", {-400, 900}, {0, 1125}}};
    TMivoraForm& form = openPainted();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        drag(*form.PrintLabel(2), c.distance);
        EXPECT_EQ(form.currentItem(), 2);
        EXPECT_EQ(QPoint(storedX(2), storedY(2)), c.stored);
        EXPECT_EQ(form.PrintLabel(2)->pos(), QPoint(c.stored.x() / 2, c.stored.y() / 2));
    }
}

TEST_F(PlacementTest, ArrowKeysOnThePreviewMoveTheCurrentItem) {
    TMivoraForm& form = openPainted();
    form.PrintLabelClick(2);
    auto key = [&](Qt::Key which, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, which, modifiers);
        QApplication::sendEvent(form.ScrollBox1, &event);
    };
    key(Qt::Key_Right, Qt::NoModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(QPoint(storedX(2), storedY(2)), QPoint(291, 120));
}

} // namespace
} // namespace mivora::test
