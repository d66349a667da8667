// Typing with a Japanese input method: the reading shows in the box as a
// composition that is not yet the box's text, until the input method commits it.
// Whatever ends the typing, what is stored is what the clerk saw, once: a click
// elsewhere or Tab takes the composition, Esc and the close box drop it, and what
// the input method sends of it afterwards, into the box of a closed window or into
// whatever the clerk went on to, changes nothing.

#include "app/mivoraptnform.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/mivoraform.h"
#include "dialogs/prfreeeditform.h"
#include "scriptedprompter.h"
#include "store/datafolder.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/sjis.h"
#include "widgets/dbgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace mivora::test {
namespace {

enum class Box { GridCell, ItemName, PrintName, PrintContent };
enum class Ending { ClickElsewhere, Tab, CloseBox, Esc };

struct CompositionCase {
    Box box;
    Ending ending;
    bool taken; // whether the composition ends up in the box's field
};

const QString kReading = QStringLiteral("すずき");

void sendInputMethodEvent(QWidget* target, const QString& preedit, const QString& commit) {
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(target, &event);
}

void settle() {
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

void click(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    settle();
}

using Records = std::map<std::int64_t, Table::Row>;

Records recordsOf(const Table& table) {
    Records records;
    for (std::int64_t rowid : table.viewRowids())
        records[rowid] = table.recordOf(rowid);
    return records;
}

// The box typed into, in the window the program shows it in, and the field of the
// record it writes.
struct Scene {
    QWidget* window = nullptr;
    QPointer<QLineEdit> box;
    QWidget* elsewhere = nullptr; // where the clerk clicks next
    QPoint elsewhereAt;
    const Table* table = nullptr;
    std::int64_t rowid = 0;
    int field = 0;
    bool cell = false;
};

class CompositionTest : public ::testing::TestWithParam<CompositionCase> {
  protected:
    CompositionTest() {
        createTables(dir_.path() / "CARDATA");
        fillSampleData(dir_.path() / "CARDATA");
        forms_.prompter = &prompter_;
        ProgramSettings settings;
        settings.programDir = dir_.path();
        session_ = std::make_unique<Session>(settings, dir_.path() / "CARDATA");
        main_ = std::make_unique<TMivoraPtnForm>(*session_, forms_);
    }

    void show(QWidget* window) {
        window->show();
        QApplication::setActiveWindow(window);
        settle();
    }

    // The first key of a reading opens the cell, which the composition replaces.
    Scene gridCell() {
        show(main_.get());
        DBGrid& grid = *main_->DBGrid1;
        const int user = session_->vehicles.fieldIndex(sj("使用者"));
        grid.setFocus();
        grid.setCurrentIndex(grid.model().index(2, user));
        const QModelIndex phone =
            grid.model().index(5, session_->vehicles.fieldIndex(sj("電話番号")));
        Scene scene{main_.get(),
                    nullptr,
                    grid.viewport(),
                    grid.visualRect(phone).center(),
                    &session_->vehicles,
                    grid.model().rowidAt(2),
                    user,
                    true};
        sendInputMethodEvent(&grid, kReading, {});
        settle();
        for (QLineEdit* editor : grid.viewport()->findChildren<QLineEdit*>())
            if (editor->isVisible())
                scene.box = editor;
        return scene;
    }

    // The designer in 修正モード, the composition typed after what the box holds.
    Scene designerField(Box box) {
        designer_ = std::make_unique<TMivoraForm>(*session_, forms_, main_.get());
        designer_->RestorePos1.Enabled = false;
        show(designer_.get());
        designer_->CheckBox2->setChecked(true);
        designer_->CheckBox2Click();
        QLineEdit* itemName = designer_->MenuDBComboBox->lineEdit();
        QLineEdit* printName = designer_->DBEdit1;
        const bool item = box == Box::ItemName;
        const Table& layouts = session_->layouts;
        return openBox(designer_.get(), item ? itemName : printName, item ? printName : itemName,
                       layouts, layouts.fieldIndex(sj(item ? "項目1" : "印刷名")));
    }

    Scene printContentBox() {
        session_->openDesignerTables();
        session_->freeData.first();
        printContent_ = std::make_unique<TPrFreeEditForm>(session_->freeData, QStringList());
        printContent_->RestorePos1.Enabled = false;
        show(printContent_.get());
        return openBox(printContent_.get(), printContent_->DBEdit(1), printContent_->DBEdit(2),
                       session_->freeData, session_->freeData.fieldIndex(sj("項目1")));
    }

    static Scene openBox(QWidget* window, QLineEdit* box, QWidget* elsewhere, const Table& table,
                         int field) {
        click(box, QPoint(3, 3));
        QTest::keyClick(box, Qt::Key_End);
        sendInputMethodEvent(QApplication::focusWidget(), kReading, {});
        return {window, box, elsewhere, elsewhere->rect().center(), &table, table.currentRowid(),
                field};
    }

    Scene open(Box box) {
        switch (box) {
        case Box::GridCell:
            return gridCell();
        case Box::PrintContent:
            return printContentBox();
        default:
            return designerField(box);
        }
    }

    static void end(const Scene& scene, Ending ending) {
        switch (ending) {
        case Ending::ClickElsewhere:
            click(scene.elsewhere, scene.elsewhereAt);
            break;
        case Ending::Tab:
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            break;
        case Ending::CloseBox:
            scene.window->close();
            break;
        case Ending::Esc:
            QTest::keyClick(scene.box, Qt::Key_Escape);
            break;
        }
        settle();
    }

    // What the input method still sends of the composition: into the box of the
    // window just closed, or into whatever the clerk went on to (in the grid, the
    // cell the clerk opens next); the clerk then presses Enter there.
    static void commitLate(const Scene& scene) {
        if (!scene.window->isVisible()) {
            sendInputMethodEvent(scene.box, {}, kReading);
            return;
        }
        if (scene.cell)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        sendInputMethodEvent(QApplication::focusWidget(), {}, kReading);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        settle();
    }

    TempDir dir_;
    ScriptedPrompter prompter_;
    Forms forms_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TMivoraPtnForm> main_;
    std::unique_ptr<TMivoraForm> designer_;
    std::unique_ptr<TPrFreeEditForm> printContent_;
};

TEST_P(CompositionTest, IsTakenOrDroppedOnceAndNothingComesAfter) {
    const CompositionCase& c = GetParam();
    Scene scene = open(c.box);
    ASSERT_TRUE(scene.box);
    ASSERT_FALSE(scene.box->text().contains(kReading)); // shown, not yet the text
    Records expected = recordsOf(*scene.table);
    if (c.taken)
        expected[scene.rowid][scene.field] = fromUtf8((scene.box->text() + kReading).toStdString());

    end(scene, c.ending);
    commitLate(scene);
    Records actual = recordsOf(*scene.table);
    EXPECT_EQ(actual[scene.rowid][scene.field], expected[scene.rowid][scene.field]);
    actual[scene.rowid][scene.field] = expected[scene.rowid][scene.field];
    EXPECT_TRUE(actual == expected) << "another field changed";
}

const CompositionCase kCases[] = {{Box::GridCell, Ending::ClickElsewhere, true},
                                  {Box::GridCell, Ending::Tab, true},
                                  {Box::GridCell, Ending::Esc, false},
                                  {Box::ItemName, Ending::ClickElsewhere, true},
                                  {Box::ItemName, Ending::Tab, true},
                                  {Box::ItemName, Ending::CloseBox, false},
                                  {Box::ItemName, Ending::Esc, false},
                                  {Box::PrintName, Ending::ClickElsewhere, true},
                                  {Box::PrintName, Ending::CloseBox, false},
                                  {Box::PrintContent, Ending::ClickElsewhere, true},
                                  {Box::PrintContent, Ending::Tab, true},
                                  {Box::PrintContent, Ending::CloseBox, false},
                                  {Box::PrintContent, Ending::Esc, false}};

std::string caseName(const ::testing::TestParamInfo<CompositionCase>& info) {
    static const char* boxes[] = {"GridCell", "ItemName", "PrintName", "PrintContent"};
    static const char* endings[] = {"ClickElsewhere", "Tab", "CloseBox", "Esc"};
    return std::string(boxes[static_cast<int>(info.param.box)]) +
           endings[static_cast<int>(info.param.ending)];
}

INSTANTIATE_TEST_SUITE_P(Boxes, CompositionTest, ::testing::ValuesIn(kCases), caseName);

} // namespace
} // namespace mivora::test
