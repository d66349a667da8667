#pragma once
// A program folder with the sample tables, and the designer opened on it once the
// test has laid out the settings files it wants.

#include "designer/mivoraform.h"
#include "dialogs/forms.h"
#include "session/session.h"
#include "store/storetest.h"
#include "support/scriptedprompter.h"
#include "support/tempdir.h"

#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QListWidget;

namespace mivora::test {

class DesignerFolder {
  public:
    // The sample tables as files, or on the test server.
    explicit DesignerFolder(Engine engine = Engine::Sqlite);
    virtual ~DesignerFolder();
    DesignerFolder(const DesignerFolder&) = delete;
    DesignerFolder& operator=(const DesignerFolder&) = delete;

    const std::filesystem::path& dir() const { return dir_.path(); }
    std::filesystem::path dataFolder() const { return dir_.path() / "CARDATA"; }

    // Creates the session and the designer (once).
    TMivoraForm& open();
    Session& session() { return *session_; }
    Table& layouts() { return session_->layouts; }

    // A field of the current layout (UTF-8 name, CP932 value / integer).
    std::string text(const char* field) { return layouts().text(name(field)); }
    int integer(const char* field) { return layouts().integer(name(field)); }
    static std::string name(const char* field);
    static std::string slotName(const char* prefix, int slot);

    // What the layout table file holds, read afresh: only what was stored.
    int storedInteger(int layout, const std::string& field) const;
    std::string storedText(int layout, const std::string& field) const;

    // Writes fields of layout N (UTF-8 names, CP932 values) and stores them, before
    // the designer opens.
    void storeLayout(int layout, const std::vector<std::pair<std::string, std::string>>& fields);
    void addLayout(const std::string& layoutName);

    std::vector<std::string> lines(const char* file) const;

    // Moves PrtData.DB as the navigator's buttons do.
    void press(int button);

    // The designer shown (again) and active, in 修正モード, as a person sees it.
    TMivoraForm& openForEditing();
    // Clicks into a control and types text (UTF-8); retype first selects what the
    // control holds, so the text replaces it.
    static void typeInto(QWidget* control, const char* utf8);
    static void retype(QWidget* control, const char* utf8);
    static void typeKeys(QWidget* control, const char* utf8);
    // Commits text as a Japanese input method does (for characters no key makes).
    static void commitText(QWidget* control, const QString& text);
    // Drags a label of the preview by distance pixels with the mouse.
    static void dragLabel(QWidget* label, QPoint distance);
    // Presses Enter in a control.
    static void pressEnter(QWidget* control);
    // Runs answer once window is on the screen: for a window shown modally after
    // this call, whose showing waits for the answer.
    static void whenShown(QWidget* window, const std::function<void()>& answer);
    // Clicks the row of a list that shows text.
    static void clickRow(QListWidget* list, const QString& text);

    TempDir dir_;
    ScriptedPrompter prompter_;
    Forms forms_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<TMivoraForm> form_;
};

class DesignerTest : public ::testing::Test, public DesignerFolder {};

} // namespace mivora::test
