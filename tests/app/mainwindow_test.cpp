#include "app/mivoraptnform.h"
#include "app/singleinstance.h"
#include "certificate/certificatefile.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/mivoraform.h"
#include "dialogs/certificatecheck.h"
#include "dialogs/prfreeeditform.h"
#include "store/datafolder.h"
#include "store/safetycopy.h"
#include "store/storetest.h"
#include "support/samplefolder.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/lines.h"
#include "text/sjis.h"

#include "widgets/dbgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <tuple>

#include <signal.h>
#include <sys/stat.h>

namespace mivora::test {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        createTables(dir_.path() / "CARDATA");
        fillSampleData(dir_.path() / "CARDATA");
        forms_.prompter = &prompter_;
    }

    std::unique_ptr<Session> makeSession() {
        ProgramSettings settings;
        settings.programDir = dir_.path();
        auto session = std::make_unique<Session>(settings, dir_.path() / "CARDATA");
        return session;
    }

    TempDir dir_;
    ScriptedPrompter prompter_;
    Forms forms_;
};

TEST_F(MainWindowTest, NewDataDeletesOnlyOnYes) {
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    const int count = session->vehicles.recordCount();
    ASSERT_GT(count, 10);

    prompter_.answers = {false};
    form.NewSpeedClick();
    EXPECT_EQ(session->vehicles.recordCount(), count);
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0], "全てのデータが消去されます！\n新規作成してよろしいですか？");

    EXPECT_TRUE(listSafetyCopies(session->vehicles).empty());

    prompter_.answers = {true};
    form.NewSpeedClick();
    EXPECT_EQ(session->vehicles.recordCount(), 0);
    EXPECT_EQ(session->digitCounts.recordCount(), 2); // no other table touched
    std::vector<SafetyCopy> copies = listSafetyCopies(session->vehicles);
    ASSERT_EQ(copies.size(), 1u); // written before the deletion, silently
    EXPECT_EQ(copies[0].records, count);
    EXPECT_TRUE(prompter_.errors.empty());

    prompter_.answers = {true};
    form.NewSpeedClick(); // an empty table: asked, nothing to delete, no error
    EXPECT_EQ(prompter_.questions.size(), 3u);
    EXPECT_TRUE(prompter_.errors.empty());
}

TEST_F(MainWindowTest, NewDataDeletesNothingWhenTheSafetyCopyFails) {
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    const int count = session->vehicles.recordCount();
    QFile blocker(QDir(dir_.path() / "CARDATA").filePath("safety"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder goes
    blocker.close();

    prompter_.answers = {true};
    form.NewSpeedClick();
    EXPECT_EQ(session->vehicles.recordCount(), count);
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors[0].find("safety"), std::string::npos) << prompter_.errors[0];
}

TEST_F(MainWindowTest, GridEditOverARecordAnotherProcessRestoredIsRefused) {
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    form.show();
    DBGrid& grid = *form.DBGrid1;
    const int user = session->vehicles.fieldIndex(sj("使用者"));
    grid.setCurrentIndex(grid.model().index(1, user)); // the record is read

    // Another process restores: every record replaced, the row ids used again.
    Table other(dir_.path() / "CARDATA" / "INDATA.db");
    other.open();
    other.transaction([&] {
        other.removeAll();
        for (const char* name : {"戻した一", "戻した二", "戻した三"})
            other.insertRecord({sj("ﾘｽﾄｱ"), "", sj(name)});
    });

    QTest::keyClicks(&grid, "X"); // typing into the cell opens its editor
    auto* editor = grid.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "X");
    QTest::keyClick(editor, Qt::Key_Return); // the editor commits from the event loop
    for (int i = 0; i < 50 && prompter_.errors.empty(); ++i)
        QTest::qWait(10);
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors[0].find("表示した後に別の操作で"), std::string::npos)
        << prompter_.errors[0];
    // What was typed is told, not kept in the cell.
    EXPECT_NE(prompter_.errors[0].find("使用者「X」"), std::string::npos) << prompter_.errors[0];
    QCoreApplication::processEvents(); // the rows are laid out anew once the editor is closed

    other.refresh();
    std::vector<std::string> users;
    for (other.first(); !other.eof(); other.next())
        users.push_back(toUtf8(other.text(sj("使用者"))));
    EXPECT_EQ(users,
              (std::vector<std::string>{"戻した一", "戻した三", "戻した二"})); // 88EA 8E4F 93F1
    EXPECT_EQ(grid.model().rowCount(), 3); // the grid shows the records read anew
}

TEST_F(MainWindowTest, WindowShowsTheRecordsAtItsNormalSize) {
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Mivora For Win32"));
    EXPECT_EQ(form.size(), QSize(435, 300));
    EXPECT_EQ(form.PathLabel->text().toStdString(), pathText(dir_.path()));
    EXPECT_EQ(form.DBGrid1->model().rowCount(), session->vehicles.recordCount());
    // The print button shows a printer, whatever icon theme the desktop has.
    EXPECT_EQ(form.SpeedButton3->toolTip(), QStringLiteral("印刷"));
    const QImage shown = form.SpeedButton3->icon().pixmap(16).toImage();
    EXPECT_FALSE(shown.isNull());
    EXPECT_NE(shown, form.style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(16).toImage());
}

TEST_F(MainWindowTest, RequestFileIsServedAndDeleted) {
    writeLines(dir_.path() / "Mivora.INI", {"", sj("自動車の種別 = '二輪'"), "2", "0", sj("設定")});
    auto session = makeSession();
    session->openDesignerTables();
    TMivoraPtnForm form(*session, forms_);
    EXPECT_EQ(session->settings.request.mode, StartupRequest::Settings);
    EXPECT_TRUE(session->vehicles.filtered());
    EXPECT_EQ(session->vehicles.recordCount(), 2);
    EXPECT_EQ(session->vehicles.recNo(), 2);
    EXPECT_EQ(form.size(), QSize(0, 0));
    form.start();
    EXPECT_FALSE(form.isVisible());
    form.Timer1Timer();
    EXPECT_EQ(session->layouts.recNo(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Mivora.INI"));
    EXPECT_TRUE(prompter_.errors.empty());
}

TEST_F(MainWindowTest, BadFilterInTheRequestIsReportedAndListStaysWhole) {
    writeLines(dir_.path() / "Mivora.INI", {"", "1=1; DELETE FROM records", "1", "1", ""});
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_FALSE(session->vehicles.filtered());
    EXPECT_EQ(session->vehicles.recordCount(), 20);
}

TEST_F(MainWindowTest, AMissingOrDamagedTableIsNamedAndTheOtherStillOpens) {
    std::filesystem::remove(dir_.path() / "CARDATA" / "INDATA.db");
    {
        auto session = makeSession();
        TMivoraPtnForm form(*session, forms_);
        ASSERT_EQ(prompter_.errors.size(), 1u);
        EXPECT_NE(prompter_.errors[0].find("INDATA.db が見つかりません"), std::string::npos)
            << prompter_.errors[0];
        EXPECT_TRUE(session->digitCounts.active()); // backups can still choose their row
        EXPECT_EQ(form.DBGrid1->model().rowCount(), 0);
    }
    std::ofstream(dir_.path() / "CARDATA" / "INDTLEN.db", std::ios::binary)
        << std::string(4096, 'x');
    prompter_.errors.clear();
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    ASSERT_EQ(prompter_.errors.size(), 1u);
    EXPECT_NE(prompter_.errors[0].find("INDATA.db"), std::string::npos);
    EXPECT_NE(prompter_.errors[0].find("INDTLEN.db のファイルが壊れています ("), std::string::npos)
        << prompter_.errors[0];
}

// Answers like a person and looks, at every question, for a progress window
// that would cover the question.
class WatchingPrompter : public ScriptedPrompter {
  public:
    explicit WatchingPrompter(QWidget& window) : window_(window) {}
    std::vector<int> progressWindows;

    bool chooseDigitCountRow(const std::string& prompt) override {
        look();
        return ScriptedPrompter::chooseDigitCountRow(prompt);
    }
    std::optional<std::string> chooseFile(const FileQuestion& question) override {
        look();
        return ScriptedPrompter::chooseFile(question);
    }

  private:
    void look() {
        progressWindows.push_back(
            static_cast<int>(window_.findChildren<QProgressDialog*>().size()));
    }
    QWidget& window_;
};

// After the backup the vehicle chosen before is still the one a print prints.
TEST_F(MainWindowTest, TheProgressWindowComesOnlyAfterTheQuestionsAndTheVehicleStays) {
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    DBGrid& grid = *form.DBGrid1;
    grid.setCurrentIndex(grid.model().index(3, 0));
    const std::int64_t chosen = grid.model().rowidAt(3);
    WatchingPrompter person(form);
    forms_.prompter = &person;
    person.digitCountAnswers = {true};
    person.files = {pathText(dir_.path() / "out.CSV")};
    form.SpeedButton2Click();
    EXPECT_TRUE(person.errors.empty()) << person.errors.front();
    EXPECT_EQ(person.progressWindows, (std::vector<int>{0, 0}));
    EXPECT_TRUE(std::filesystem::exists(dir_.path() / "out.CSV"));
    QCoreApplication::processEvents();
    EXPECT_EQ(session->vehicles.currentRowid(), chosen);
    EXPECT_EQ(grid.currentIndex().row(), 3);
}

// The record grid used from the keyboard, as a clerk does.
class RecordGridTest : public MainWindowTest {
  protected:
    RecordGridTest() : session_(makeSession()), form_(*session_, forms_) {
        form_.show();
        QApplication::setActiveWindow(&form_);
        grid().setFocus();
    }

    DBGrid& grid() { return *form_.DBGrid1; }
    int rows() { return grid().model().rowCount(); }

    // Keys go where the focus is: the grid, or the cell editor it opened.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        // Leaving an added row stores it, which then reselects the stored record.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // F2 opens the cell; digits and Latin letters come from the keyboard, Japanese
    // from the input method, one character at a time; Enter (or end) ends the cell.
    void type(const QString& text, Qt::Key end = Qt::Key_Return,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        press(Qt::Key_F2);
        for (QChar c : text) {
            QWidget* target = QApplication::focusWidget();
            if (c.unicode() < 0x80) {
                QTest::keyClick(target, c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QCoreApplication::sendEvent(target, &commit);
            }
        }
        press(end, modifiers);
    }
    std::string cell(int row, int column) {
        return grid().model().index(row, column).data().toString().toStdString();
    }

    std::unique_ptr<Session> session_;
    TMivoraPtnForm form_;
};

TEST_F(RecordGridTest, InsertAddsARowThatIsStoredWhenLeftAndTakesItsPlace) {
    const int count = session_->vehicles.recordCount();
    grid().setCurrentIndex(grid().model().index(5, 0));
    press(Qt::Key_Insert);
    EXPECT_EQ(rows(), count + 1);
    EXPECT_EQ(grid().currentIndex().row(), count);
    EXPECT_EQ(session_->vehicles.recordCount(), count); // nothing stored yet
    type(QStringLiteral("ｱｱｱ"), Qt::Key_Tab);
    type(QStringLiteral("03-0000〜1"), // a wave dash as Linux input methods type it
         Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid().currentIndex(), grid().model().index(count, 0));
    press(Qt::Key_Up);
    EXPECT_TRUE(prompter_.errors.empty()) << prompter_.errors.front();
    ASSERT_EQ(session_->vehicles.recordCount(), count + 1);
    EXPECT_EQ(rows(), count + 1);
    // ｱ sorts before every other reading: the new record is the first.
    EXPECT_EQ(session_->vehicles.recNo(), 1);
    EXPECT_EQ(session_->vehicles.text(sj("使用者ふりがな")), sj("ｱｱｱ"));
    EXPECT_EQ(session_->vehicles.text(sj("電話番号")), "03-0000\x81\x60"
                                                       "1");
    EXPECT_EQ(grid().currentIndex().row(), 0);
    EXPECT_EQ(cell(0, 1), "03-0000～1"); // read back as CP932's own character

    // Left by a click on another vehicle, the grid goes to that one.
    press(Qt::Key_Insert);
    type(QStringLiteral("ｲｲｲ"));
    const QModelIndex clicked = grid().model().index(5, 2);
    const std::int64_t clickedRowid = grid().model().rowidAt(5);
    QTest::mouseClick(grid().viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid().visualRect(clicked).center());
    for (int i = 0; i < 2; ++i) // storing the row reselects
        QCoreApplication::processEvents();
    ASSERT_EQ(session_->vehicles.recordCount(), count + 2);
    EXPECT_EQ(session_->vehicles.currentRowid(), clickedRowid);
    EXPECT_EQ(grid().model().rowidAt(grid().currentIndex().row()), clickedRowid);
}

TEST_F(RecordGridTest, AnAddedRowLeftEmptyOrEscapedIsDropped) {
    const int count = session_->vehicles.recordCount();
    grid().setCurrentIndex(grid().model().index(count - 1, 2));
    press(Qt::Key_Down); // past the last row
    EXPECT_EQ(rows(), count + 1);
    press(Qt::Key_Up);
    EXPECT_EQ(rows(), count);

    press(Qt::Key_Insert);
    type(QStringLiteral("取り消す人"));
    press(Qt::Key_Escape);
    EXPECT_EQ(rows(), count);
    EXPECT_EQ(session_->vehicles.recordCount(), count);
    EXPECT_TRUE(prompter_.errors.empty());
}

TEST_F(RecordGridTest, CtrlDeleteDeletesTheCurrentRecordOnYes) {
    const int count = session_->vehicles.recordCount();
    grid().setCurrentIndex(grid().model().index(3, 0));
    const std::string fourth = session_->vehicles.text(sj("使用者"));
    prompter_.answers = {false};
    press(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(prompter_.questions.size(), 1u);
    EXPECT_EQ(prompter_.questions[0], "レコードを削除しますか？");
    EXPECT_EQ(session_->vehicles.recordCount(), count);

    prompter_.answers = {true};
    press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(session_->vehicles.recordCount(), count - 1);
    EXPECT_EQ(rows(), count - 1);
    EXPECT_NE(session_->vehicles.text(sj("使用者")), fourth);
    EXPECT_EQ(grid().currentIndex().row() + 1, session_->vehicles.recNo());
}

TEST_F(RecordGridTest, AfterNewDataRecordsCanBeAddedAgain) {
    prompter_.answers = {true};
    form_.NewSpeedClick();
    ASSERT_EQ(rows(), 0);
    press(Qt::Key_Insert);
    type(QStringLiteral("ﾀﾅｶ"));
    press(Qt::Key_Insert); // a second new row: the first is stored first
    press(Qt::Key_Escape);
    EXPECT_EQ(session_->vehicles.recordCount(), 1);
    EXPECT_EQ(rows(), 1);
}

TEST_F(RecordGridTest, WhatAnotherPcAddedAppearsWhenTheGridHasTheFocusAgain) {
    const int count = rows();
    {
        Table other(session_->vehicles.file());
        other.open();
        other.append();
        other.setText(sj("使用者ふりがな"), sj("ｱｱｱ"));
        other.setText(sj("使用者"), sj("別の端末の車両"));
        other.post();
    }
    EXPECT_EQ(rows(), count); // not yet: the grid has not been left
    grid().clearFocus();
    grid().setFocus(Qt::ActiveWindowFocusReason);
    QCoreApplication::processEvents();
    ASSERT_EQ(rows(), count + 1);
    EXPECT_EQ(grid().model().index(0, 0).data().toString(), QStringLiteral("ｱｱｱ"));
}

// The edit ends with Enter or Tab: the grid moves on as a spreadsheet does, and
// the record the program then acts on (prints) is the one the grid shows.
TEST_F(RecordGridTest, EnterAndTabMoveOnFromTheEditedCellAndTheTableFollows) {
    const int user = session_->vehicles.fieldIndex(sj("使用者"));
    for (auto [key, row, column] :
         {std::tuple{Qt::Key_Return, 5, user}, std::tuple{Qt::Key_Tab, 4, user + 1}}) {
        grid().setCurrentIndex(grid().model().index(4, user));
        const QString other = grid().model().index(row, column).data().toString();
        QTest::keyClicks(&grid(), "X");
        QTest::keyClick(QApplication::focusWidget(), key);
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
        EXPECT_TRUE(prompter_.errors.empty());
        EXPECT_EQ(grid().model().index(4, user).data().toString(), QStringLiteral("X"));
        EXPECT_EQ(grid().currentIndex(), grid().model().index(row, column)) << key;
        EXPECT_EQ(session_->vehicles.recNo(), row + 1) << key;
        EXPECT_EQ(grid().model().index(row, column).data().toString(), other);
        for (const QLineEdit* editor : grid().findChildren<QLineEdit*>())
            EXPECT_FALSE(editor->isVisible()); // no cell left open
    }
}

// Typing with a Japanese input method: the reading shows in the box as a
// composition that is not yet the box's text, until the input method commits it.
// Whatever ends the typing, what is stored is what the clerk saw, once: a click
// elsewhere or Tab takes the composition, Esc and the close box drop it, and what
// the input method sends of it afterwards, into the box of a closed window or into
// whatever the clerk went on to, changes nothing.

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
// record it writes (the print-content window's answers are one record).
struct Scene {
    QWidget* window = nullptr;
    QPointer<QLineEdit> box;
    QWidget* elsewhere = nullptr; // where the clerk clicks next
    QPoint elsewhereAt;
    std::function<Records()> records;
    std::int64_t rowid = 0;
    int field = 0;
    bool cell = false;
};

class CompositionTest : public MainWindowTest,
                        public ::testing::WithParamInterface<CompositionCase> {
  protected:
    CompositionTest()
        : session_(makeSession()), main_(std::make_unique<TMivoraPtnForm>(*session_, forms_)) {}

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
                    [this] { return recordsOf(session_->vehicles); },
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
        return openBox(
            designer_.get(), item ? itemName : printName, item ? printName : itemName,
            [&layouts] { return recordsOf(layouts); }, layouts.currentRowid(),
            layouts.fieldIndex(sj(item ? "項目1" : "印刷名")));
    }

    Scene printContentBox() {
        printContent_ = std::make_unique<TPrFreeEditForm>(QStringList());
        printContent_->RestorePos1.Enabled = false;
        show(printContent_.get());
        const TPrFreeEditForm& window = *printContent_;
        const auto answers = [&window] {
            return Records{{0, Table::Row(window.answers().begin(), window.answers().end())}};
        };
        return openBox(printContent_.get(), printContent_->DBEdit(1), printContent_->DBEdit(2),
                       answers, 0, 0);
    }

    static Scene openBox(QWidget* window, QLineEdit* box, QWidget* elsewhere,
                         std::function<Records()> records, std::int64_t rowid, int field) {
        click(box, QPoint(3, 3));
        QTest::keyClick(box, Qt::Key_End);
        sendInputMethodEvent(QApplication::focusWidget(), kReading, {});
        return {window, box,  elsewhere, elsewhere->rect().center(), std::move(records),
                rowid,  field};
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
    Records expected = scene.records();
    if (c.taken)
        expected[scene.rowid][scene.field] = fromUtf8((scene.box->text() + kReading).toStdString());

    end(scene, c.ending);
    commitLate(scene);
    Records actual = scene.records();
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

// Two PCs on one set of records. This one shows its list and clicks a vehicle;
// the other adds, deletes, changes or restores vehicles before or after that
// click; then this one edits, deletes or prints. What it does lands on the
// vehicle it showed, wherever that one now stands, or is refused, changing
// nothing, when the other changed or deleted that very vehicle after it was shown.
enum class OtherMove { AddsFirst, DeletesAbove, ChangesIt, DeletesIt, Restores };
enum class Action { Edit, Delete, Print };
struct SharedCase {
    OtherMove move;
    bool beforeClick;
    Action action;
    bool refused;
};

std::vector<SharedCase> sharedCases() {
    std::vector<SharedCase> cases;
    for (Action action : {Action::Edit, Action::Delete, Action::Print}) {
        for (OtherMove move : {OtherMove::AddsFirst, OtherMove::DeletesAbove, OtherMove::ChangesIt})
            cases.push_back({move, true, action, false});
        for (OtherMove move : {OtherMove::AddsFirst, OtherMove::DeletesAbove})
            cases.push_back({move, false, action, false});
        for (OtherMove move : {OtherMove::ChangesIt, OtherMove::DeletesIt, OtherMove::Restores})
            cases.push_back({move, false, action, true});
    }
    return cases;
}

class SharedGridTest : public StoreTest,
                       public ::testing::WithParamInterface<std::tuple<Engine, SharedCase>> {
  protected:
    SharedGridTest() : StoreTest(std::get<0>(GetParam())) {
        openVehicles(shown_);
        for (const auto& [reading, user] : kVehicles)
            addVehicle(shown_, reading, "", user);
        openVehicles(other_);
        grid_.setPrompter(&prompter_);
        grid_.resize(900, 400);
        grid_.show();
        grid_.refresh();
    }

    static constexpr std::pair<const char*, const char*> kVehicles[] = {
        {"ｱﾍﾞ", "阿部"}, {"ｲﾄｳ", "伊藤"}, {"ｴﾝﾄﾞｳ", "遠藤"}, {"ｶﾄｳ", "加藤"}, {"ｻﾄｳ", "佐藤"}};

    void otherMoves(OtherMove move) {
        switch (move) {
        case OtherMove::AddsFirst:
            addVehicle(other_, "ｱｱ", "", "青木");
            break;
        case OtherMove::DeletesAbove:
            other_.first();
            other_.remove();
            break;
        case OtherMove::ChangesIt:
            other_.setRecNo(3);
            other_.setText(sj("使用者"), sj("他の編集"));
            other_.post();
            break;
        case OtherMove::DeletesIt:
            other_.setRecNo(3);
            other_.remove();
            break;
        case OtherMove::Restores: // the same vehicles, entered in another order
            other_.transaction([&] {
                other_.removeAll();
                for (std::size_t i = 1; i <= std::size(kVehicles); ++i) {
                    const auto& [reading, user] = kVehicles[i % std::size(kVehicles)];
                    other_.insertRecord({sj(reading), "", sj(user)});
                }
            });
            break;
        }
    }

    void settle() {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }

    void clickRow(int row) {
        const QModelIndex index = grid_.model().index(row, user());
        QTest::mouseClick(grid_.viewport(), Qt::LeftButton, {}, grid_.visualRect(index).center());
        settle();
    }

    bool act(Action action) {
        switch (action) {
        case Action::Edit:
            QTest::keyClicks(&grid_, "X");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            settle();
            return true;
        case Action::Delete:
            prompter_.answers = {true};
            QTest::keyClick(&grid_, Qt::Key_Delete, Qt::ControlModifier);
            settle();
            return true;
        case Action::Print:
            return grid_.holdShownRecord();
        }
        return false;
    }

    int user() const { return shown_.fieldIndex(sj("使用者")); }

    // Reading and user of every stored vehicle, in list order.
    std::vector<std::pair<std::string, std::string>> stored() {
        Table fresh(tableFile(vehicleTable()));
        openVehicles(fresh);
        std::vector<std::pair<std::string, std::string>> vehicles;
        for (fresh.first(); !fresh.eof() && fresh.recordCount(); fresh.next())
            vehicles.emplace_back(toUtf8(fresh.text(sj("使用者ふりがな"))),
                                  toUtf8(fresh.text(sj("使用者"))));
        return vehicles;
    }

    ScriptedPrompter prompter_;
    Table shown_{tableFile(vehicleTable())};
    Table other_{tableFile(vehicleTable())};
    DBGrid grid_{shown_};
};

TEST_P(SharedGridTest, WhatThisPcDoesLandsOnTheVehicleItShowed) {
    const SharedCase c = std::get<1>(GetParam());
    if (c.beforeClick)
        otherMoves(c.move);
    clickRow(2); // 遠藤 as shown
    if (!c.beforeClick)
        otherMoves(c.move);
    auto expected = stored();
    const auto endo = std::find_if(expected.begin(), expected.end(),
                                   [](const auto& vehicle) { return vehicle.first == "ｴﾝﾄﾞｳ"; });
    const std::string shownUser = c.beforeClick && endo != expected.end() ? endo->second : "遠藤";

    const bool held = act(c.action);
    if (c.refused) {
        ASSERT_EQ(prompter_.errors.size(), 1u);
        EXPECT_EQ(stored(), expected); // nothing changed by this PC
        EXPECT_FALSE(held && c.action == Action::Print);
        return;
    }
    EXPECT_TRUE(prompter_.errors.empty()) << prompter_.errors.front();
    ASSERT_NE(endo, expected.end());
    if (c.action == Action::Edit)
        endo->second = "X";
    else if (c.action == Action::Delete)
        expected.erase(endo);
    EXPECT_EQ(stored(), expected);
    if (c.action == Action::Print) {
        EXPECT_TRUE(held);
        EXPECT_EQ(toUtf8(shown_.text(sj("使用者"))), shownUser);
        EXPECT_EQ(grid_.model().index(grid_.currentIndex().row(), user()).data().toString(),
                  QString::fromStdString(shownUser)); // the grid stays on it
    }
}

std::string sharedCaseName(const ::testing::TestParamInfo<std::tuple<Engine, SharedCase>>& info) {
    static const char* moves[] = {"AddsFirst", "DeletesAbove", "ChangesIt", "DeletesIt",
                                  "Restores"};
    static const char* actions[] = {"Edit", "Delete", "Print"};
    const SharedCase c = std::get<1>(info.param);
    return std::string(std::get<0>(info.param) == Engine::Sqlite ? "Sqlite" : "Postgres") +
           "_Other" + moves[static_cast<int>(c.move)] +
           (c.beforeClick ? "BeforeTheClick_" : "AfterTheClick_") +
           actions[static_cast<int>(c.action)];
}

INSTANTIATE_TEST_SUITE_P(Engines, SharedGridTest,
                         ::testing::Combine(::testing::Values(Engine::Sqlite, Engine::Postgres),
                                            ::testing::ValuesIn(sharedCases())),
                         sharedCaseName);

TEST(SingleInstance, SecondCopyIsRefusedAndAStaleLockTakenOver) {
    TempDir dir;
    const QString lockPath = QString::fromStdString((dir.path() / "EX_Mivora.lock").string());
    {
        SingleInstance first(lockPath);
        ASSERT_TRUE(first.acquire());
        SingleInstance second(lockPath);
        EXPECT_FALSE(second.acquire());
    }
    // A lock file left by a killed copy, naming a process number that the system
    // has since given to a process that runs (this one).
    QFile stale(lockPath);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray::number(QCoreApplication::applicationPid()) + "\n" +
                QCoreApplication::applicationName().toUtf8() + "\n" +
                QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    SingleInstance next(lockPath);
    EXPECT_TRUE(next.acquire());
}

// The process holding the program folder's lock, as the system lists it; 0 for none.
// Read without taking the lock, which would keep a copy starting that moment out.
qint64 lockHolder(const QString& lockPath) {
    struct stat file {};
    if (::stat(lockPath.toLocal8Bit().constData(), &file) != 0)
        return 0;
    std::ifstream locks("/proc/locks");
    const std::string inode = ":" + std::to_string(file.st_ino) + " ";
    for (std::string line; std::getline(locks, line);)
        if (line.find("FLOCK") != std::string::npos && line.find(inode) != std::string::npos)
            return std::stoll(line.substr(line.find("WRITE") + 5));
    return 0;
}

// A copy ended by the system (a crash, kill -9) leaves nothing behind that keeps
// the next start out, however soon it comes and whatever process number it gets.
TEST(SingleInstance, AKilledCopyNeverKeepsTheNextStartOut) {
    const SampleFolder sample;
    const QString lockPath = SingleInstance::lockPathFor(sample.dir());
    for (int round = 1; round <= 20; ++round) {
        QProcess copy;
        copy.setWorkingDirectory(QString::fromStdString(pathText(sample.dir())));
        copy.start(QStringLiteral(MIVORA_EXECUTABLE), {});
        ASSERT_TRUE(copy.waitForStarted()) << round;
        const bool locked =
            QTest::qWaitFor([&] { return lockHolder(lockPath) == copy.processId(); }, 30000);
        ::kill(static_cast<pid_t>(copy.processId()), SIGKILL);
        copy.waitForFinished();
        ASSERT_TRUE(locked) << "start " << round << " did not take the program folder";
    }
}

// In the user's own runtime folder, one lock per program folder: another user, or
// another folder of the same user, is never kept out, and a refused start says why.
TEST(SingleInstance, OneLockPerUserAndProgramFolder) {
    namespace fs = std::filesystem;
    TempDir dir;
    const fs::path runtime = dir.path() / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
    const fs::path folder = pathOf(dir.path(), "事務所"), other = dir.path() / "other";
    fs::create_directories(folder / "CARDATA");
    fs::create_directories(other);

    const QString lockPath = SingleInstance::lockPathFor(folder);
    EXPECT_EQ(QFileInfo(lockPath).absolutePath(), QString::fromStdString(runtime.string()));
    for (const fs::path& spelling : {folder / "", folder / ".", folder / "CARDATA" / ".."})
        EXPECT_EQ(SingleInstance::lockPathFor(spelling), lockPath) << spelling;
    EXPECT_NE(SingleInstance::lockPathFor(other), lockPath);

    const auto first = lockProgramFolder(folder);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(lockProgramFolder(other), nullptr);
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        box->accept();
    });
    EXPECT_EQ(lockProgramFolder(folder / "."), nullptr);
    EXPECT_TRUE(shown.contains(QStringLiteral("既に"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromStdString(pathText(folder)))) << shown.toStdString();
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}

// What the certificate check window showed, answered with a key as a clerk does.
struct CheckWindowSeen {
    int files = 0;
    QString action;
    int marked = 0;
    bool okEnabled = false;
};

// What the certificate check window showed; then what the clerk does in it.
void answerCheckWindow(QWidget& window, CheckWindowSeen& seen,
                       std::function<void(CertificateCheckWindow&)> act) {
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, [poll, &seen, act] {
        auto* check = qobject_cast<CertificateCheckWindow*>(QApplication::activeModalWidget());
        if (!check)
            return;
        poll->deleteLater();
        seen.files = check->fileList->count();
        seen.action = check->actionLabel->text();
        for (int row = 0; row < check->fieldTable->rowCount(); ++row)
            seen.marked += check->fieldTable->item(row, 0)->text() == QStringLiteral("●");
        seen.okEnabled = check->okButton->isEnabled();
        act(*check);
    });
    poll->start(10);
}

std::function<void(CertificateCheckWindow&)> press(Qt::Key key) {
    return [key](CertificateCheckWindow& check) { QTest::keyClick(&check, key); };
}

TEST_F(MainWindowTest, DroppedCertificatesAreCheckedWrittenAndTheListStandsOnTheLast) {
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    form.show();
    const int count = session->vehicles.recordCount();
    CertificateMembers added = registeredCar();
    added["CarNo"] = "NEW-1";
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(pathText(
                       writeCertificate(dir_.path() / "kei.json", certificateJson(keiCar()))))),
                   QUrl::fromLocalFile(QString::fromStdString(pathText(
                       writeCertificate(dir_.path() / "new.json", certificateJson(added)))))});

    CheckWindowSeen seen;
    answerCheckWindow(form, seen, press(Qt::Key_Return));
    QDragEnterEvent enter(QPoint(40, 80), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.DBGrid1->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(40, 80), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.DBGrid1->viewport(), &drop);
    EXPECT_TRUE(QTest::qWaitFor([&] { return session->vehicles.recordCount() == count + 1; }));

    EXPECT_EQ(seen.files, 2);
    EXPECT_TRUE(seen.action.contains(QStringLiteral("MK53S-912345 の車両の")))
        << seen.action.toStdString();
    EXPECT_GT(seen.marked, 0);
    EXPECT_EQ(session->vehicles.text(sj("車台番号")), "NEW-1");
    EXPECT_EQ(form.DBGrid1->currentIndex().row() + 1, session->vehicles.recNo());
    EXPECT_TRUE(prompter_.errors.empty());
}

// Two vehicles carry the certificate's chassis number: OK waits for the clerk to
// pick one (Esc writes nothing), and only the one picked is updated.
TEST_F(MainWindowTest, OfSeveralVehiclesTheClerkPicksOneOrCancels) {
    auto session = makeSession();
    TMivoraPtnForm form(*session, forms_);
    form.show();
    Table& vehicles = session->vehicles;
    vehicles.setRecNo(1);
    vehicles.setText(sj("車台番号"), "MK53S-912345");
    vehicles.post();
    const auto newUsers = [&] {
        int count = 0;
        for (std::int64_t rowid : vehicles.viewRowids())
            count += vehicles.recordOf(rowid)[vehicles.fieldIndex(sj("使用者"))] ==
                     sj("トヨタファイナンス株式会社");
        return count;
    };
    const std::string kei =
        pathText(writeCertificate(dir_.path() / "kei.json", certificateJson(keiCar())));

    CheckWindowSeen seen;
    prompter_.files = {kei};
    answerCheckWindow(form, seen, press(Qt::Key_Escape));
    QTest::mouseClick(form.certificateButton, Qt::LeftButton);
    EXPECT_TRUE(seen.action.contains(QStringLiteral("2 台あります"))) << seen.action.toStdString();
    EXPECT_FALSE(seen.okEnabled);
    EXPECT_EQ(newUsers(), 0);

    prompter_.files = {kei};
    answerCheckWindow(form, seen, [](CertificateCheckWindow& check) {
        check.vehicleChoice->setFocus();
        QTest::keyClick(check.vehicleChoice, Qt::Key_Down); // the first vehicle offered
        EXPECT_TRUE(check.okButton->isEnabled());
        QTest::keyClick(&check, Qt::Key_Return);
    });
    QTest::mouseClick(form.certificateButton, Qt::LeftButton);
    EXPECT_EQ(newUsers(), 1);
    EXPECT_TRUE(prompter_.errors.empty());
}

} // namespace
} // namespace mivora::test
