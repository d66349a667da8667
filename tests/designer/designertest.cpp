#include "designertest.h"

#include "designer/dbnavigator.h"
#include "store/datafolder.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QTest>
#include <QTimer>

namespace mivora::test {

namespace fs = std::filesystem;

DesignerFolder::DesignerFolder(Engine engine) {
    if (engine == Engine::Postgres)
        useServerFor(dataFolder());
    createTables(dataFolder());
    fillSampleData(dataFolder());
    // The blank form every program folder has.
    QImage blank(40, 56, QImage::Format_RGB32);
    blank.fill(Qt::white);
    blank.save(QString::fromStdString(pathOf(dir(), "白地.jpg").string()), "JPG");
    forms_.prompter = &prompter_;
    ProgramSettings settings;
    settings.programDir = dir();
    session_ = std::make_unique<Session>(settings, dataFolder());
    session_->openMainTables();
}

// The window first: it unhooks itself from the tables it handled.
DesignerFolder::~DesignerFolder() {
    form_.reset();
    session_.reset();
}

TMivoraForm& DesignerFolder::open() {
    if (!form_) {
        form_ = std::make_unique<TMivoraForm>(*session_, forms_);
        forms_.designer = form_.get();
    }
    return *form_;
}

std::string DesignerFolder::name(const char* field) {
    return sj(field);
}

std::string DesignerFolder::slotName(const char* prefix, int slot) {
    return sj(prefix) + std::to_string(slot);
}

int DesignerFolder::storedInteger(int layout, const std::string& field) const {
    return leadingInteger(storedText(layout, field));
}

std::string DesignerFolder::storedText(int layout, const std::string& field) const {
    Table table(tablePath(dataFolder(), layoutTable()));
    table.open();
    table.setRecNo(layout);
    return table.text(field);
}

void DesignerFolder::storeLayout(int layout,
                                 const std::vector<std::pair<std::string, std::string>>& fields) {
    Table& table = session_->layouts;
    table.open();
    table.setRecNo(layout);
    for (const auto& [field, value] : fields)
        table.setText(sj(field), value);
    table.post();
    table.first();
}

void DesignerFolder::addLayout(const std::string& layoutName) {
    Table& table = session_->layouts;
    table.open();
    table.append();
    table.setText(sj("印刷名"), layoutName);
    table.setInteger(sj("印刷サイズＸ"), 210);
    table.setInteger(sj("印刷サイズＹ"), 297);
    table.post();
    table.first();
}

std::vector<std::string> DesignerFolder::lines(const char* file) const {
    return readLines(dir() / file).value_or(std::vector<std::string>{"(missing)"});
}

void DesignerFolder::press(int button) {
    open().DBNavigator1->BtnClick(static_cast<DBNavigator::Button>(button));
}

} // namespace mivora::test

namespace mivora::test {

TMivoraForm& DesignerFolder::openForEditing() {
    TMivoraForm& form = open();
    form.RestorePos1.Enabled = false;
    form.show();
    QApplication::setActiveWindow(&form);
    // On the box itself, at the left end of the check box's row.
    if (!form.CheckBox2->isChecked())
        QTest::mouseClick(form.CheckBox2, Qt::LeftButton, Qt::NoModifier,
                          QPoint(8, form.CheckBox2->height() / 2));
    QApplication::processEvents();
    return form;
}

void DesignerFolder::typeInto(QWidget* control, const char* utf8) {
    QTest::mouseClick(control, Qt::LeftButton);
    control->setFocus();
    typeKeys(control, utf8);
}

void DesignerFolder::retype(QWidget* control, const char* utf8) {
    QTest::mouseClick(control, Qt::LeftButton);
    control->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    typeKeys(control, utf8);
}

// Japanese comes through the input method, one committed word; the rest key by
// key, each to whatever has the focus then, as a keyboard does.
void DesignerFolder::typeKeys(QWidget* control, const char* utf8) {
    const QString text = QString::fromUtf8(utf8);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (!ascii) {
        commitText(control, text);
        return;
    }
    for (QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void DesignerFolder::dragLabel(QWidget* label, QPoint distance) {
    const QPoint grip = label->rect().center();
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(label, grip + distance);
    // The label has followed the mouse: it is let go where it is held.
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, grip);
}

void DesignerFolder::commitText(QWidget* control, const QString& text) {
    control->setFocus();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
}

void DesignerFolder::pressEnter(QWidget* control) {
    QTest::keyClick(control, Qt::Key_Return);
}

void DesignerFolder::whenShown(QWidget* window, const std::function<void()>& answer) {
    QTimer::singleShot(10, window, [window, answer] {
        if (window->isVisible())
            answer();
        else
            whenShown(window, answer);
    });
}

void DesignerFolder::clickRow(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> rows = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1) << text.toStdString();
    list->scrollToItem(rows.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(rows.front()).center());
}

} // namespace mivora::test
