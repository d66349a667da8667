// Undo and redo of placement changes, with the keys and the buttons.

#include "designer/dbcheckbox.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/dbnavigator.h"
#include "designer/itemlabel.h"
#include "designertest.h"
#include "text/sjis.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace mivora::test {
namespace {

class UndoTest : public DesignerTest {
  protected:
    struct Placement {
        int x, y, size;
        std::string item;
        bool operator==(const Placement&) const = default;
    };
    // Item 2 of layout 1 as the table file holds it.
    Placement stored2() const {
        return {storedInteger(1, slotName("Ｘ座標", 2)), storedInteger(1, slotName("Ｙ座標", 2)),
                storedInteger(1, slotName("サイズ", 2)), storedText(1, slotName("項目", 2))};
    }
    void keys(QWidget* control, Qt::Key key) { QTest::keyClick(control, key, Qt::ControlModifier); }
};

// Item 2 starts at (300, 110), size 10, 登録年月日: a drag, a typed X, a typed size
// and a new name are four steps back and four forward.
TEST_F(UndoTest, KeysAndButtonsWalkTheHistory) {
    TMivoraForm& form = openForEditing();
    EXPECT_EQ(form.UndoButton->toolTip(), QStringLiteral("元に戻す"));
    EXPECT_EQ(form.RedoButton->toolTip(), QStringLiteral("やり直し"));
    EXPECT_FALSE(form.UndoButton->isEnabled());
    form.PrintLabelClick(2);
    const Placement start = stored2();

    dragLabel(form.PrintLabel(2), {20, 15});
    const Placement dragged{340, 140, 10, start.item};
    ASSERT_EQ(stored2(), dragged);
    retype(form.XPosDBEdit, "400");
    const Placement typed{400, 140, 10, start.item};
    ASSERT_EQ(stored2(), typed);
    retype(form.FSizDBComboBox, "14");
    const Placement sized{400, 140, 14, start.item};
    retype(form.MenuDBComboBox, "車名");

    // Neither the size nor the name was stored yet; undoing the name stores the
    // record with the name before.
    keys(form.ScrollBox1, Qt::Key_Z);
    EXPECT_EQ(stored2(), sized);
    EXPECT_EQ(form.MenuDBComboBox->currentText(), QStringLiteral("登録年月日"));
    keys(form.ScrollBox1, Qt::Key_Z);
    EXPECT_EQ(stored2(), typed);
    EXPECT_EQ(form.FSizDBComboBox->currentText(), QStringLiteral("10"));
    QTest::mouseClick(form.UndoButton, Qt::LeftButton);
    EXPECT_EQ(stored2(), dragged);
    EXPECT_EQ(form.XPosDBEdit->text(), QString::number(dragged.x));
    EXPECT_EQ(form.XScrollBar->value(), dragged.x);
    EXPECT_EQ(form.PrintLabel(2)->x(), dragged.x / 2);
    QTest::mouseClick(form.UndoButton, Qt::LeftButton);
    EXPECT_EQ(stored2(), start);
    EXPECT_EQ(form.PrintLabel(2)->pos(), QPoint(start.x / 2, start.y / 2));
    EXPECT_FALSE(form.UndoButton->isEnabled());

    keys(form.ScrollBox1, Qt::Key_Y);
    EXPECT_EQ(stored2(), dragged);
    QTest::mouseClick(form.RedoButton, Qt::LeftButton);
    EXPECT_EQ(stored2(), typed);

    // A change after an undo drops what was left to redo.
    retype(form.YPosDBEdit, "50");
    EXPECT_FALSE(form.RedoButton->isEnabled());
    keys(form.ScrollBox1, Qt::Key_Z);
    EXPECT_EQ(stored2(), typed);
}

TEST_F(UndoTest, AnotherLayoutOkAndCancelStartAFreshHistory) {
    TMivoraForm& form = openForEditing();
    retype(form.XPosDBEdit, "123");
    ASSERT_TRUE(form.UndoButton->isEnabled());
    QTest::mouseClick(form.DBNavigator1->button(DBNavigator::nbNext), Qt::LeftButton);
    EXPECT_FALSE(form.UndoButton->isEnabled());
    QTest::mouseClick(form.DBNavigator1->button(DBNavigator::nbPrior), Qt::LeftButton);
    keys(form.ScrollBox1, Qt::Key_Z);
    EXPECT_EQ(storedInteger(1, slotName("Ｘ座標", 1)), 123);

    for (QPushButton* close : {form.OKBtn, form.CancelBtn}) {
        SCOPED_TRACE(close->text().toStdString());
        retype(form.XPosDBEdit, "200");
        QTest::mouseClick(close, Qt::LeftButton);
        ASSERT_FALSE(form.isVisible());
        openForEditing();
        EXPECT_FALSE(form.UndoButton->isEnabled());
        keys(form.ScrollBox1, Qt::Key_Z);
        EXPECT_EQ(storedInteger(1, slotName("Ｘ座標", 1)), 200);
    }
}

TEST_F(UndoTest, AFreeContentAndAWidthGoBackToo) {
    storeLayout(1, {{"項目1", sj("?用途○印")}});
    TMivoraForm& form = openForEditing();
    const std::string width = storedText(1, sj("用途○印"));
    retype(form.FreeDBComboBox, "自家用");
    retype(form.LenDBComboBox, "6");
    ASSERT_EQ(storedInteger(1, sj("用途○印")), 6);
    keys(form.ScrollBox1, Qt::Key_Z);
    EXPECT_EQ(storedText(1, sj("用途○印")), width);
    EXPECT_EQ(session().freeData.text(slotName("項目", 1)), sj("自家用"));
    keys(form.ScrollBox1, Qt::Key_Z);
    EXPECT_EQ(session().freeData.text(slotName("項目", 1)), "");
    EXPECT_EQ(session().freeData.state(), TableState::Browse);
}

// In a text box Ctrl+Z and Ctrl+Y undo and redo its typing and leave the item
// moved just before alone; the 編集 menu undoes the move from anywhere.
TEST_F(UndoTest, InATextBoxTheKeysUndoItsTyping) {
    TMivoraForm& form = openForEditing();
    EXPECT_EQ(form.EditMenu->title(), QStringLiteral("編集(&E)"));
    EXPECT_EQ(form.UndoAction->text(), QStringLiteral("元に戻す"));
    EXPECT_EQ(form.UndoAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(form.RedoAction->text(), QStringLiteral("やり直し"));
    EXPECT_EQ(form.RedoAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));
    const std::string name = text("印刷名");
    const int x = storedInteger(1, slotName("Ｘ座標", 1));
    QTest::mouseClick(form.PrintLabel(1), Qt::LeftButton);
    QTest::keyClick(form.ScrollBox1, Qt::Key_Right);
    ASSERT_EQ(storedInteger(1, slotName("Ｘ座標", 1)), x + 1);

    QTest::mouseClick(form.DBEdit1, Qt::LeftButton);
    QTest::keyClick(form.DBEdit1, Qt::Key_End);
    typeKeys(form.DBEdit1, "XYZ");
    keys(form.DBEdit1, Qt::Key_Z);
    EXPECT_EQ(text("印刷名"), name);
    EXPECT_EQ(storedInteger(1, slotName("Ｘ座標", 1)), x + 1);
    keys(form.DBEdit1, Qt::Key_Y);
    EXPECT_EQ(text("印刷名"), name + "XYZ");
    keys(form.DBEdit1, Qt::Key_Z);

    form.UndoAction->trigger();
    EXPECT_EQ(storedInteger(1, slotName("Ｘ座標", 1)), x);
    QTest::mouseClick(form.OKBtn, Qt::LeftButton);
    EXPECT_EQ(storedText(1, sj("印刷名")), name);
}

} // namespace
} // namespace mivora::test
