// The designer window and the layout records: PrintName.INI, PrnFree.ini, OK and
// Cancel, size and keys.

#include "designer/dbcheckbox.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/dbnavigator.h"
#include "designer/layoutnamelist.h"
#include "designertest.h"
#include "dialogs/fontchooser.h"
#include "store/datafolder.h"
#include "text/codec.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <string>
#include <vector>

namespace mivora::test {
namespace {

namespace fs = std::filesystem;
using Nav = DBNavigator::Button;

void type(DBEdit* edit, const char* utf8) {
    edit->setText(QString::fromUtf8(utf8));
}

std::vector<std::string> cp932Lines(const std::vector<const char*>& utf8) {
    std::vector<std::string> lines;
    for (const char* line : utf8)
        lines.push_back(sj(line));
    return lines;
}

struct NameListCase {
    const char* title;
    bool withNameFile; // three layouts and their PrintName.INI; else the sample's two
    std::function<void(DesignerFolder&, TMivoraForm&)> steps;
    std::vector<const char*> expected; // UTF-8 lines of PrintName.INI
};

// Adds a layout with the navigator, names it, and stores it by moving away.
void addByNavigator(DesignerFolder& folder, TMivoraForm& form, const char* name) {
    folder.press(Nav::nbInsert);
    type(form.DBEdit1, name);
    folder.press(Nav::nbPrior);
}

TEST(PrintNameFile, FollowsTheStoresOfOneRunAndIsWrittenAtClose) {
    const NameListCase cases[] = {
        {"a layout renamed",
         true,
         [](DesignerFolder& folder, TMivoraForm& form) {
             folder.press(Nav::nbLast);
             type(form.DBEdit1, "点検記録簿");
             form.OKBtnClick();
         },
         {"継続検査諸費用明細", "2", "点検記録簿", "3", "新規追加", "4"}},
        {"a layout added",
         true,
         [](DesignerFolder& folder, TMivoraForm& form) {
             addByNavigator(folder, form, "追加");
             form.reject();
         },
         {"継続検査諸費用明細", "2", "点検整備記録", "3", "新規追加", "4", "新規追加", "5"}},
        {"a layout added and stored once more",
         true,
         [](DesignerFolder& folder, TMivoraForm& form) {
             addByNavigator(folder, form, "追加");
             folder.press(Nav::nbLast);
             type(form.DBEdit1, "追加２");
             form.OKBtnClick();
         },
         {"継続検査諸費用明細", "2", "点検整備記録", "3", "追加２", "4", "新規追加", "5"}},
        {"two layouts added before one close",
         true,
         [](DesignerFolder& folder, TMivoraForm& form) {
             addByNavigator(folder, form, "追加Ａ");
             addByNavigator(folder, form, "追加Ｂ");
             form.reject();
         },
         {"継続検査諸費用明細", "2", "点検整備記録", "3", "新規追加", "4", "追加Ｂ", "-1",
          "新規追加", "6"}},
        {"no file before",
         false,
         [](DesignerFolder& folder, TMivoraForm& form) {
             folder.press(Nav::nbLast);
             type(form.DBEdit1, "明細書");
             form.OKBtnClick();
         },
         {"明細書", "2", "新規追加", "3"}},
        {"an empty table",
         false,
         [](DesignerFolder& folder, TMivoraForm& form) {
             folder.layouts().removeAll();
             form.OKBtnClick();
         },
         {}},
    };
    for (const NameListCase& c : cases) {
        SCOPED_TRACE(c.title);
        DesignerFolder folder;
        if (c.withNameFile) {
            folder.addLayout(sj("点検整備記録"));
            writeLines(
                folder.dir() / "PrintName.INI",
                cp932Lines({"継続検査諸費用明細", "2", "点検整備記録", "3", "新規追加", "4"}));
        }
        TMivoraForm& form = folder.open();
        c.steps(folder, form);
        EXPECT_EQ(folder.lines("PrintName.INI"), cp932Lines(c.expected));
        EXPECT_TRUE(folder.prompter_.errors.empty());
    }
}

TEST(LayoutNameList, GrowsWithTheTableAndReadsAnOddFile) {
    TempDir dir;
    const fs::path file = dir.path() / "PrintName.INI";
    writeLines(file, {"A", "2", "B"});
    LayoutNameList list;
    list.read(file);
    ASSERT_EQ(list.pairs().size(), 2u);
    EXPECT_EQ(list.pairs()[1], (LayoutNameList::Pair{"B", ""}));

    for (int layout = 3; layout <= 60; ++layout) {
        std::string name = "L";
        name += std::to_string(layout);
        list.upkeep(std::to_string(layout), name);
    }
    list.write(file, 60);
    const std::vector<std::string> lines = readLines(file).value();
    ASSERT_EQ(lines.size(), 120u);
    EXPECT_EQ(lines[116], "L59");
    EXPECT_EQ(lines[118], sj("新規追加"));
    EXPECT_EQ(lines[119], "61");
}

TEST_F(DesignerTest, TheChosenImageGivesItsBareNameAndACancelNothing) {
    TMivoraForm& form = open();
    const std::string before = text("印刷フォーム");
    QTimer::singleShot(0, form.OpenDialog1, &QDialog::reject);
    form.ReadButtonClick();
    EXPECT_EQ(text("印刷フォーム"), before);

    // What the dialog gives is a path from any folder: only the bare name is kept.
    form.useFormFile(QStringLiteral("/somewhere/else/form.B.jpg"));
    EXPECT_EQ(form.DBEdit2->text(), QStringLiteral("form.B"));
    EXPECT_EQ(text("印刷フォーム"), "form.B");
}

TEST_F(DesignerTest, ANewLayoutNobodyFilledInIsDroppedByTheNextMove) {
    open();
    const int count = layouts().recordCount();
    press(DBNavigator::nbInsert);
    EXPECT_EQ(layouts().state(), TableState::Insert);
    press(DBNavigator::nbFirst);
    EXPECT_EQ(layouts().recordCount(), count);
    EXPECT_EQ(layouts().recNo(), 1);
}

TEST_F(DesignerTest, AnUnwritablePrintNameKeepsTheWindowOpenAndTriesAgain) {
    TMivoraForm& form = open();
    form.show();
    fs::create_directory(dir() / "PrintName.INI"); // a folder where the file should go
    form.OKBtnClick();
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(prompter_.errors.size(), 1u);

    fs::remove(dir() / "PrintName.INI");
    form.reject();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(lines("PrintName.INI"), cp932Lines({"", "", "新規追加", "3"}));
}

TEST(DesignerWithoutTables, OpensReportsAndLeavesPrintNameAlone) {
    TempDir dir;
    writeLines(dir.path() / "PrintName.INI", {"A", "2", "B", "3"});
    ScriptedPrompter prompter;
    Forms forms;
    forms.prompter = &prompter;
    ProgramSettings settings;
    settings.programDir = dir.path();
    Session session(settings, dir.path() / "CARDATA");
    {
        TMivoraForm form(session, forms);
        EXPECT_EQ(prompter.errors.size(), 1u);
        form.FormPaint();
        form.XScrollBar->setValue(5);
        form.OKBtnClick();
    }
    EXPECT_EQ(readLines(dir.path() / "PrintName.INI").value(),
              (std::vector<std::string>{"A", "2", "B", "3"}));
}

struct ChoiceCase {
    const char* title;
    std::vector<std::pair<const char*, std::vector<const char*>>> files;
    std::vector<const char*> prnFree;
    std::vector<const char*> offered;
};

TEST(PrnFreeFile, GathersTheChoiceListsInTheirOrderOrSaysNot) {
    const ChoiceCase cases[] = {
        {"no choice-list file", {}, {"Not"}, {"貨物", "乗用", "特種用途", "自家用", "事業用", ""}},
        {"two of them",
         {{"FuelType.INI", {"ガソリン"}}, {"CarUse.INI", {"乗用", "貨物"}}},
         {"乗用", "貨物", "ガソリン"},
         {"乗用", "貨物", "ガソリン"}},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.title);
        DesignerFolder folder;
        writeLines(folder.dir() / "PrnFree.ini", {"old", "lines"});
        for (const auto& [file, lines] : c.files)
            writeLines(folder.dir() / file, cp932Lines(lines));
        TMivoraForm& form = folder.open();
        EXPECT_EQ(folder.lines("PrnFree.ini"), cp932Lines(c.prnFree));
        QStringList offered;
        for (const char* choice : c.offered)
            offered << QString::fromUtf8(choice);
        EXPECT_EQ(form.freeChoices(), offered);
        // Filling the list writes nothing into the free contents.
        EXPECT_EQ(folder.session().freeData.state(), TableState::Browse);
    }
}

TEST_F(DesignerTest, CancelDropsWhatIsPendingAndOkStoresIt) {
    TMivoraForm& form = open();
    const std::string name = storedText(1, sj("印刷名"));
    type(form.DBEdit1, "取り消す名前");
    form.CancelBtnClick();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(storedText(1, sj("印刷名")), name);
    EXPECT_EQ(form.DBEdit1->text().toStdString(), toUtf8(name));

    type(form.DBEdit1, "残す名前");
    form.FreeDBComboBox->setEditText(QStringLiteral("手書き"));
    form.OKBtnClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(storedText(1, sj("印刷名")), sj("残す名前"));
    EXPECT_EQ(session().freeData.state(), TableState::Browse);
    EXPECT_EQ(session().freeData.text(sj("項目1")), sj("手書き"));
}

// Two PCs on one data folder or server.
class SharedDesignerTest : public ::testing::TestWithParam<Engine>, public DesignerFolder {
  protected:
    SharedDesignerTest() : DesignerFolder(GetParam()) {}

    // The designer with a name typed, not yet stored, when another PC stores its
    // own name for the layout first.
    TMivoraForm& openWithANameStoredElsewhere() {
        TMivoraForm& form = open();
        form.show();
        type(form.DBEdit1, "こちらの名前");
        Table otherPc(tablePath(dataFolder(), layoutTable()));
        otherPc.open();
        otherPc.setText(sj("印刷名"), sj("あちらの名前"));
        otherPc.post();
        return form;
    }
};

INSTANTIATE_ON_BOTH_ENGINES(SharedDesignerTest);

// Another PC stores its name first: the box shows that name, the typed one is in
// the message, and nothing typed later stores the refused text over it.
TEST_P(SharedDesignerTest, ARefusedNameShowsTheStoredOneAndTellsTheTypedOne) {
    TMivoraForm& form = openWithANameStoredElsewhere();

    form.OKBtnClick();
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors[0].find("印刷名「こちらの名前」"), std::string::npos)
        << prompter_.errors[0];
    EXPECT_EQ(form.DBEdit1->text(), QStringLiteral("あちらの名前"));
    QTest::keyClick(form.DBEdit1, Qt::Key_End);
    QTest::keyClicks(form.DBEdit1, QStringLiteral("2"));
    form.OKBtnClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(storedText(1, sj("印刷名")), sj("あちらの名前2"));
}

// The name typed is stored before the font chooser opens; refused there, it is
// told, and the chooser stays closed.
TEST_P(SharedDesignerTest, ANameRefusedBeforeTheFontChooserKeepsItClosed) {
    TMivoraForm& form = openWithANameStoredElsewhere();

    bool opened = false;
    whenShown(form.fontChooser(), [&] {
        opened = true;
        form.fontChooser()->reject();
    });
    form.Edit1Click();
    EXPECT_FALSE(opened);
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors[0].find("印刷名「こちらの名前」"), std::string::npos)
        << prompter_.errors[0];
    EXPECT_EQ(form.DBEdit1->text(), QStringLiteral("あちらの名前"));
    EXPECT_EQ(lines("CarFont.INI"), std::vector<std::string>{"(missing)"});
}

TEST_F(DesignerTest, TheWindowKeepsItsLargestSizeAndPlacesItsButtons) {
    TMivoraForm& form = open();
    form.show();
    form.resize(800, 600);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(620, 400));
    EXPECT_EQ(form.OKBtn->x(), 620 / 3 - 37);
    EXPECT_EQ(form.CancelBtn->x(), 620 / 3 * 2 - 37);
}

TEST_F(DesignerTest, EnterMovesTheFocusOnAndTypesNothing) {
    TMivoraForm& form = open();
    form.show();
    QApplication::setActiveWindow(&form);
    form.DBEdit1->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), form.DBEdit1);
    const QString before = form.DBEdit1->text();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(form.DBEdit1, &enter);
    EXPECT_EQ(QApplication::focusWidget(), form.DBEdit2);
    EXPECT_EQ(form.DBEdit1->text(), before);
    EXPECT_TRUE(form.isVisible()); // the default button was not pressed
}

// Tab visits the controls as the window reads, the record navigator where it
// stands; the preview, which moves items by the arrow keys, shows the focus.
TEST_F(DesignerTest, TabGoesThroughTheWindowInReadingOrder) {
    TMivoraForm& form = openForEditing();
    form.MoveCurrentItem(1, 0); // undo and redo both have a step to take
    form.MoveCurrentItem(0, 1);
    form.UndoBtnClick();
    const std::pair<QWidget*, std::string> reading[] = {
        {form.DBNavigator1->button(Nav::nbFirst), "nbFirst"},
        {form.DBNavigator1->button(Nav::nbPrior), "nbPrior"},
        {form.DBNavigator1->button(Nav::nbNext), "nbNext"},
        {form.DBNavigator1->button(Nav::nbLast), "nbLast"},
        {form.DBNavigator1->button(Nav::nbInsert), "nbInsert"},
        {form.DBEdit1, "DBEdit1"},
        {form.DBEdit2, "DBEdit2"},
        {form.ReadButton, "ReadButton"},
        {form.DBEdit3, "DBEdit3"},
        {form.DBEdit4, "DBEdit4"},
        {form.ScaleComboBox, "ScaleComboBox"},
        {form.NoScrollBar, "NoScrollBar"},
        {form.MenuDBComboBox, "MenuDBComboBox"},
        {form.YScrollBar, "YScrollBar"},
        {form.YPosDBEdit, "YPosDBEdit"},
        {form.FSizDBComboBox, "FSizDBComboBox"},
        {form.Edit1, "Edit1"},
        {form.XPosDBEdit, "XPosDBEdit"},
        {form.XScrollBar, "XScrollBar"},
        {form.CheckBox2, "CheckBox2"},
        {form.CalDBCheckBox, "CalDBCheckBox"},
        {form.ScrollBox1, "ScrollBox1"},
        {form.DBCheckBox1, "DBCheckBox1"},
        {form.CheckBox1, "CheckBox1"},
        {form.UndoButton, "UndoButton"},
        {form.RedoButton, "RedoButton"},
        {form.OKBtn, "OKBtn"},
        {form.CancelBtn, "CancelBtn"},
        {form.SpeedButton1, "SpeedButton1"},
    };
    auto nameOf = [&](const QWidget* widget) -> std::string {
        for (const auto& [control, name] : reading)
            if (control == widget)
                return name;
        return widget ? widget->metaObject()->className() : "(none)";
    };
    auto frameColour = [&] {
        const QImage preview = form.ScrollBox1->grab().toImage();
        return preview.pixelColor(0, preview.height() / 2);
    };
    const QColor unfocused = frameColour();
    const QColor highlight = form.ScrollBox1->palette().color(QPalette::Highlight);
    ASSERT_NE(unfocused, highlight);

    form.DBNavigator1->button(Nav::nbFirst)->setFocus();
    std::string expected;
    std::string visited;
    for (const auto& [control, name] : reading) {
        expected += name + ' ';
        visited += nameOf(QApplication::focusWidget()) + ' ';
        if (QApplication::focusWidget() == form.ScrollBox1) {
            EXPECT_EQ(frameColour(), highlight);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(nameOf(QApplication::focusWidget()), reading[0].second); // round again
    EXPECT_EQ(frameColour(), unfocused);
}
} // namespace
} // namespace mivora::test
