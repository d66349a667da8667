// What a person types and drags in the designer stays where it was put: new
// layouts survive the close, a half-typed paper size moves nothing, the focus
// stays in the box being typed in, and what cannot be stored is said.

#include "designer/dbcheckbox.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/dbnavigator.h"
#include "designer/itemlabel.h"
#include "designertest.h"
#include "dialogs/fontchooser.h"
#include "store/datafolder.h"
#include "text/codec.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;
using Nav = DBNavigator::Button;

class KeepingTest : public DesignerTest {
  public:
    int storedCount() const {
        Table table(tablePath(dataFolder(), layoutTable()));
        table.open();
        return table.recordCount();
    }
    void click(Nav button) {
        QTest::mouseClick(open().DBNavigator1->button(button), Qt::LeftButton);
    }
};

struct CloseCase {
    const char* title;
    std::function<void(KeepingTest&, TMivoraForm&)> close;
};

const CloseCase kCloses[] = {
    {"OK", [](KeepingTest&, TMivoraForm& form) { QTest::mouseClick(form.OKBtn, Qt::LeftButton); }},
    {"ｷｬﾝｾﾙ",
     [](KeepingTest&, TMivoraForm& form) { QTest::mouseClick(form.CancelBtn, Qt::LeftButton); }},
    {"the close box", [](KeepingTest&, TMivoraForm& form) { form.close(); }},
    {"the end of the program", [](KeepingTest& test, TMivoraForm&) { test.form_.reset(); }},
};

class NewLayoutTest : public KeepingTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(NewLayoutTest, ANewLayoutFilledInIsStoredByTheClose) {
    TMivoraForm& form = openForEditing();
    click(Nav::nbInsert);
    typeInto(form.DBEdit1, "新しい様式");
    GetParam().close(*this, form);
    ASSERT_EQ(storedCount(), 3);
    EXPECT_EQ(storedText(3, sj("印刷名")), sj("新しい様式"));
    EXPECT_TRUE(prompter_.errors.empty());
}

TEST_P(NewLayoutTest, ANewLayoutNobodyFilledInIsDroppedByTheClose) {
    TMivoraForm& form = openForEditing();
    click(Nav::nbInsert);
    GetParam().close(*this, form);
    EXPECT_EQ(storedCount(), 2);
    if (form_) {
        EXPECT_EQ(layouts().state(), TableState::Browse);
    }
}

INSTANTIATE_TEST_SUITE_P(Closes, NewLayoutTest, ::testing::ValuesIn(kCloses),
                         [](const auto& info) { return std::to_string(info.index); });

struct FinishCase {
    const char* title;
    std::function<void(KeepingTest&, TMivoraForm&)> finish;
};

// Item 1 stands at Y = 1000 dots on a 297 mm paper (1125 dots); the person retypes
// the height as 257 mm (974 dots), passing through 2 and 25 mm on the way.
TEST_F(KeepingTest, APaperSizeIsTakenWhenItsEditIsFinished) {
    const FinishCase cases[] = {
        {"Enter", [](KeepingTest&, TMivoraForm& form) { pressEnter(form.DBEdit4); }},
        {"the focus leaving",
         [](KeepingTest&, TMivoraForm& form) { QTest::mouseClick(form.DBEdit1, Qt::LeftButton); }},
        {"OK",
         [](KeepingTest&, TMivoraForm& form) { QTest::mouseClick(form.OKBtn, Qt::LeftButton); }},
        {"another layout",
         [](KeepingTest& test, TMivoraForm&) {
             test.click(Nav::nbNext);
             test.click(Nav::nbPrior);
         }},
    };
    for (const FinishCase& c : cases) {
        SCOPED_TRACE(c.title);
        storeLayout(1, {{"印刷サイズＹ", "297"}, {"Ｙ座標1", "1000"}});
        TMivoraForm& form = openForEditing();
        retype(form.DBEdit4, "257");
        EXPECT_EQ(storedInteger(1, sj("印刷サイズＹ")), 297);
        EXPECT_EQ(storedInteger(1, slotName("Ｙ座標", 1)), 1000);
        c.finish(*this, form);
        EXPECT_EQ(storedInteger(1, sj("印刷サイズＹ")), 257);
        EXPECT_EQ(storedInteger(1, slotName("Ｙ座標", 1)), 974);
        form_.reset();
    }
}

// Esc drops what was typed as ｷｬﾝｾﾙ does: a half-typed paper size moves no item,
// and a name typed is no pending change that a later store (a print run) takes.
TEST_F(KeepingTest, CancelAndEscDropWhatWasTyped) {
    const FinishCase cases[] = {
        {"ｷｬﾝｾﾙ", [](KeepingTest&,
                     TMivoraForm& form) { QTest::mouseClick(form.CancelBtn, Qt::LeftButton); }},
        {"Esc", [](KeepingTest&,
                   TMivoraForm&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
    };
    for (const FinishCase& c : cases) {
        SCOPED_TRACE(c.title);
        storeLayout(1, {{"印刷サイズＹ", "297"}, {"Ｙ座標1", "1000"}});
        const std::string name = storedText(1, sj("印刷名"));
        TMivoraForm& form = openForEditing();
        typeInto(form.DBEdit1, "XYZ");
        retype(form.DBEdit4, "20");
        c.finish(*this, form);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(storedInteger(1, sj("印刷サイズＹ")), 297);
        EXPECT_EQ(storedInteger(1, slotName("Ｙ座標", 1)), 1000);
        EXPECT_EQ(form.DBEdit4->text(), QStringLiteral("297"));
        EXPECT_EQ(layouts().state(), TableState::Browse);
        EXPECT_EQ(text("印刷名"), name);
        form_.reset();
    }
}

// A name typed and not yet stored is stored before a window opens over the
// designer: whatever happens while that window is open, the name is kept.
TEST_F(KeepingTest, WhatWasTypedIsStoredBeforeAWindowOpensOverTheDesigner) {
    struct Case {
        const char* title;
        std::function<QWidget*(TMivoraForm&)> window;
        std::function<void(TMivoraForm&)> open; // as a person opens it
        const char* typed;
    };
    const Case cases[] = {
        {"the font chooser", [](TMivoraForm& form) { return form.fontChooser(); },
         [](TMivoraForm& form) { QTest::mouseClick(form.Edit1, Qt::LeftButton); }, "Shaken2024"},
        {"the font chooser from the size box", [](TMivoraForm& form) { return form.fontChooser(); },
         [](TMivoraForm& form) {
             QTest::mouseDClick(form.FSizDBComboBox->lineEdit(), Qt::LeftButton);
         },
         "Kei5"},
        {"the form image file", [](TMivoraForm& form) { return form.OpenDialog1; },
         [](TMivoraForm& form) { QTest::mouseClick(form.ReadButton, Qt::LeftButton); }, "Form3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const std::string before = storedText(1, sj("印刷名"));
        TMivoraForm& form = openForEditing();
        QTest::mouseClick(form.DBEdit1, Qt::LeftButton);
        QTest::keyClick(form.DBEdit1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(form.DBEdit1, QString::fromLatin1(c.typed));
        ASSERT_EQ(storedText(1, sj("印刷名")), before);
        QWidget* window = c.window(form);
        std::string storedWhileOpen;
        whenShown(window, [&] {
            storedWhileOpen = storedText(1, sj("印刷名"));
            QTest::keyClick(window, Qt::Key_Escape);
        });
        c.open(form);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !storedWhileOpen.empty() && !window->isVisible(); }));
        EXPECT_EQ(storedWhileOpen, c.typed);
        EXPECT_TRUE(prompter_.errors.empty());
        form_.reset();
    }
}

// "１５０" as the input method commits it in full-width mode is 150 in every
// number box.
TEST_F(KeepingTest, NumberBoxesTakeFullWidthDigits) {
    storeLayout(1, {{"項目1", sj("登録年月日")}, {"日付の表示", "False"}});
    TMivoraForm& form = openForEditing();
    struct Case {
        const char* title;
        QWidget* box;
        const char* typed;
        std::function<int()> value;
        int expected;
    };
    const Case cases[] = {
        {"Ｘ座標", form.XPosDBEdit, "１５０",
         [&] { return storedInteger(1, slotName("Ｘ座標", 1)); }, 150},
        {"Ｙ座標", form.YPosDBEdit, "２０３",
         [&] { return storedInteger(1, slotName("Ｙ座標", 1)); }, 203},
        {"印刷横サイズ", form.DBEdit3, "２００",
         [&] { return storedInteger(1, sj("印刷サイズＸ")); }, 200},
        {"印刷縦サイズ", form.DBEdit4, "２５０",
         [&] { return storedInteger(1, sj("印刷サイズＹ")); }, 250},
        {"文字サイズ", form.FSizDBComboBox, "１４", [&] { return integer("サイズ1"); }, 14},
        {"日付の幅", form.LenDBComboBox, "７", [&] { return storedInteger(1, sj("日付の幅")); }, 7},
        {"尺度", form.ScaleComboBox, "３", [&] { return form.scale(); }, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        retype(c.box, c.typed);
        pressEnter(c.box);
        EXPECT_EQ(c.value(), c.expected);
    }
}

TEST_F(KeepingTest, APaperSizeOutOfBoundsIsRefusedWithAMessage) {
    struct Case {
        const char* typed;
        int stored;
    };
    const Case cases[] = {{"99999", 297}, {"0", 297}, {"2000", 2000}, {"1", 1}};
    TMivoraForm& form = openForEditing();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::size_t errorsBefore = prompter_.errors.size();
        retype(form.DBEdit4, c.typed);
        pressEnter(form.DBEdit4);
        EXPECT_EQ(storedInteger(1, sj("印刷サイズＹ")), c.stored);
        EXPECT_EQ(form.DBEdit4->text(), QString::number(c.stored));
        EXPECT_EQ(prompter_.errors.size() - errorsBefore,
                  QString::number(c.stored) == c.typed ? 0u : 1u);
        EXPECT_EQ(form.YScrollBar->maximum(), c.stored * 379 / 100);
    }
    EXPECT_NE(prompter_.errors.front().find("2000"), std::string::npos);
}

TEST_F(KeepingTest, TypingADateWidthKeepsTheFocusInItsBox) {
    storeLayout(1, {{"項目1", sj("登録年月日")}, {"日付の表示", "False"}, {"Ｙ座標1", "200"}});
    TMivoraForm& form = openForEditing();
    ASSERT_FALSE(form.LenDBComboBox->isHidden());
    retype(form.LenDBComboBox, "10");
    EXPECT_EQ(storedInteger(1, sj("日付の幅")), 10);
    EXPECT_EQ(storedInteger(1, slotName("Ｙ座標", 1)), 200);
    EXPECT_EQ(form.YPosDBEdit->text(), QStringLiteral("200"));
    EXPECT_EQ(QApplication::focusWidget(), form.LenDBComboBox);
}

// A new layout takes the mouse and the arrow keys as a stored one, and what the
// controls show is what is stored with it.
TEST_F(KeepingTest, ItemsOfANewLayoutMoveAsInAStoredOne) {
    TMivoraForm& form = openForEditing();
    click(Nav::nbInsert);
    typeInto(form.DBEdit1, "新しい様式");
    typeInto(form.DBEdit3, "210");
    pressEnter(form.DBEdit3);
    typeInto(form.DBEdit4, "297");
    pressEnter(form.DBEdit4);
    typeInto(form.MenuDBComboBox, "車名");
    ItemLabel& label = *form.PrintLabel(1);
    ASSERT_FALSE(label.isHidden());

    dragLabel(&label, {30, 10});
    EXPECT_EQ(label.pos(), QPoint(30, 10));
    EXPECT_EQ(form.XPosDBEdit->text(), QStringLiteral("60"));
    EXPECT_EQ(form.YPosDBEdit->text(), QStringLiteral("20"));
    EXPECT_EQ(form.XScrollBar->value(), 60);

    QTest::keyClick(form.ScrollBox1, Qt::Key_Right);
    EXPECT_EQ(form.XPosDBEdit->text(), QStringLiteral("61"));
    EXPECT_EQ(form.XPosPanel->text(), QStringLiteral("16"));
    QTest::mouseClick(form.OKBtn, Qt::LeftButton);
    ASSERT_EQ(storedCount(), 3);
    EXPECT_EQ(storedInteger(3, slotName("Ｘ座標", 1)), 61);
    EXPECT_EQ(storedInteger(3, slotName("Ｙ座標", 1)), 20);
    EXPECT_EQ(storedText(3, slotName("項目", 1)), sj("車名"));
}

// 𠮷 has no Shift-JIS code: every edit bound to a text field says so and keeps
// what it held.
TEST_F(KeepingTest, ACharacterWithoutShiftJisIsRefusedWithAMessage) {
    storeLayout(1, {{"項目1", sj("?受付番号")}});
    TMivoraForm& form = openForEditing();
    struct Case {
        const char* title;
        QWidget* control;
        std::function<std::string()> field;
    };
    const Case cases[] = {
        {"印刷名", form.DBEdit1, [&] { return text("印刷名"); }},
        {"印刷フォーム", form.DBEdit2, [&] { return text("印刷フォーム"); }},
        {"項目名", form.MenuDBComboBox, [&] { return text("項目1"); }},
        {"free content", form.FreeDBComboBox,
         [&] { return session().freeData.text(slotName("項目", 1)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const std::string before = c.field();
        const std::size_t errorsBefore = prompter_.errors.size();
        commitText(c.control, QString::fromUtf8("𠮷"));
        EXPECT_EQ(c.field(), before);
        ASSERT_EQ(prompter_.errors.size(), errorsBefore + 1);
        EXPECT_NE(prompter_.errors.back().find("Shift-JIS"), std::string::npos);
        const auto* box = qobject_cast<QComboBox*>(c.control);
        const QString shown =
            box ? box->currentText() : qobject_cast<QLineEdit*>(c.control)->text();
        EXPECT_EQ(shown.toStdString(), toUtf8(before));
    }
}

TEST_F(KeepingTest, AMissingBlankFormIsReported) {
    fs::remove(pathOf(dir(), "白地.jpg"));
    open();
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors.front().find("白地.jpg"), std::string::npos);
}

} // namespace
} // namespace mivora::test
