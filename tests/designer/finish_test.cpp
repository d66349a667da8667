// The font dialog, the size list, the widths of the edits and the smallest window.

#include "designer/dbcheckbox.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/dbnavigator.h"
#include "designer/itemlabel.h"
#include "designertest.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace mivora::test {
namespace {

// The font dialog as the person finds it when it opens, then OK without a change.
struct Opened {
    QString family;
    int size = 0;
    QString sample;
};

// Runs answer once the dialog is on the screen.
void whenShown(QDialog* dialog, const std::function<void()>& answer) {
    QTimer::singleShot(10, dialog, [dialog, answer] {
        if (dialog->isVisible())
            answer();
        else
            whenShown(dialog, answer);
    });
}

// Empty when the dialog did not come and go.
Opened acceptUnchanged(TMivoraForm& form, bool byEnter) {
    Opened opened;
    whenShown(form.fontDialog(), [&] {
        opened.family = form.fontDialog()->currentFont().family();
        opened.size = form.fontDialog()->currentFont().pointSize();
        // The sample is the only text field inside a group box.
        for (const QLineEdit* field : form.fontDialog()->findChildren<QLineEdit*>())
            if (qobject_cast<QGroupBox*>(field->parent()))
                opened.sample = field->text();
        form.fontDialog()->accept();
    });
    if (byEnter) {
        form.Edit1->setFocus();
        QTest::keyClick(form.Edit1, Qt::Key_Return);
    } else {
        QTest::mouseClick(form.Edit1, Qt::LeftButton);
    }
    // The click or the key opens the dialog once it is over.
    const bool answered = QTest::qWaitFor(
        [&] { return !opened.family.isEmpty() && !form.fontDialog()->isVisible(); });
    return answered ? opened : Opened{};
}

TEST_F(DesignerTest, TheFontDialogOpensOnTheFontDrawnAndOkKeepsItsName) {
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
        EXPECT_EQ(opened.size, 14);
        EXPECT_EQ(opened.sample, QFontDatabase::writingSystemSample(QFontDatabase::Japanese));
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
