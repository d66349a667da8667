// The font chooser, the size list, the widths of the edits and the smallest window.

#include "designer/dbcheckbox.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/dbnavigator.h"
#include "designer/itemlabel.h"
#include "designertest.h"
#include "dialogs/fontchooser.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

namespace mivora::test {
namespace {

// The font chooser as the person finds it when it opens, then Enter without a change.
struct Opened {
    QString family;
    QString size;
    QString sampleFamily; // the family the sample is drawn with
};

// Empty when the chooser did not come and go.
Opened acceptUnchanged(TMivoraForm& form, bool byEnter) {
    Opened opened;
    FontChooser* chooser = form.fontChooser();
    DesignerFolder::whenShown(chooser, [&] {
        if (const QListWidgetItem* family = chooser->familyList->currentItem())
            opened = {family->text(), chooser->sizeBox->text(),
                      QFontInfo(chooser->sample->font()).family()};
        QTest::keyClick(chooser->familyList, Qt::Key_Return);
    });
    if (byEnter) {
        form.Edit1->setFocus();
        QTest::keyClick(form.Edit1, Qt::Key_Return);
    } else {
        QTest::mouseClick(form.Edit1, Qt::LeftButton);
    }
    // The click or the key opens the chooser once it is over.
    const bool answered =
        QTest::qWaitFor([&] { return !opened.family.isEmpty() && !chooser->isVisible(); });
    return answered ? opened : Opened{};
}

TEST_F(DesignerTest, TheFontChooserOpensOnTheFontDrawnAndEnterKeepsItsName) {
    struct Case {
        const char* carFont; // nullptr: no CarFont.INI, the design font
        const char* kept;
        bool byEnter;
    };
    const Case cases[] = {{nullptr, "ＪＳゴシック", false},
                          {"ＭＳ Ｐゴシック", "ＭＳ Ｐゴシック", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kept);
        if (c.carFont)
            writeLines(dir() / "CarFont.INI", {sj(c.carFont)});
        storeLayout(1, {{"サイズ1", "14"}});
        TMivoraForm& form = openForEditing();
        const QString drawn = QFontInfo(form.PrintLabel1->font()).family();
        const Opened opened = acceptUnchanged(form, c.byEnter);
        EXPECT_EQ(opened.family, drawn);
        EXPECT_EQ(opened.size, QStringLiteral("14"));
        EXPECT_EQ(opened.sampleFamily, drawn);
        EXPECT_EQ(lines("CarFont.INI"), std::vector<std::string>{sj(c.kept)});
        EXPECT_EQ(form.Edit1->text(), QString::fromUtf8(c.kept));
        EXPECT_EQ(integer("サイズ1"), 14);
        form_.reset();
    }
}

TEST_F(DesignerTest, TheSizeListMarksTheCurrentSize) {
    storeLayout(1, {{"サイズ1", "12"}, {"サイズ2", "20"}});
    TMivoraForm& form = openForEditing();
    for (int item : {1, 2}) {
        QTest::mouseClick(form.PrintLabel(item), Qt::LeftButton);
        form.FSizDBComboBox->showPopup();
        EXPECT_EQ(form.FSizDBComboBox->view()->currentIndex().data().toString(),
                  QString::number(storedInteger(1, slotName("サイズ", item))));
        form.FSizDBComboBox->hidePopup();
    }
}

// An edit whose text is too wide scrolls it, so that its first characters fall off
// the left edge.
bool showsFromItsStart(QLineEdit* edit) {
    edit->end(false);
    return edit->cursorPositionAt(QPoint(4, edit->height() / 2)) == 0;
}

TEST_F(DesignerTest, EditsAreWideEnoughForTheirTexts) {
    writeLines(dir() / "CarFont.INI", {sj("ＭＳ Ｐゴシック")});
    TMivoraForm& form = openForEditing();
    QTest::mouseClick(form.DBNavigator1->button(DBNavigator::nbLast), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(form.DBEdit1->text(), QStringLiteral("継続検査諸費用明細"));
    EXPECT_TRUE(showsFromItsStart(form.DBEdit1));
    EXPECT_TRUE(showsFromItsStart(form.Edit1));
}

// However small the person drags the window, before or after checking 修正モード,
// the placement panel keeps clear of the check boxes below it.
TEST_F(DesignerTest, TheWindowIsNeverSoSmallThatThePanelsOverlap) {
    TMivoraForm& form = open();
    form.RestorePos1.Enabled = false;
    form.show();
    form.resize(300, 200);
    QApplication::processEvents();
    TMivoraForm& editing = openForEditing();
    QApplication::processEvents();
    ASSERT_FALSE(editing.PosSetPanel->isHidden());
    EXPECT_LE(form.PosSetPanel->geometry().bottom(), form.CheckBox2->geometry().top())
        << form.width() << "x" << form.height();
    EXPECT_LE(form.CalDBCheckBox->geometry().bottom(), form.PointPanel->height());
    EXPECT_LE(form.PointPanel->geometry().bottom(), form.BtnPanel->geometry().top());
    EXPECT_GE(form.minimumHeight(),
              form.PosSetPanel->height() + form.TopPanel->height() + form.BtnPanel->height());
}

} // namespace
} // namespace mivora::test
