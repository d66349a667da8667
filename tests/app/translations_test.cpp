// The framework's own dialogs speak Japanese once the program has started.

#include "app/translations.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

bool loadCatalogues() {
    return loadFrameworkTranslations(*qApp, QFileInfo(QStringLiteral(MIVORA_EXECUTABLE)).path());
}

// What a dialog can show: texts, titles, tabs, choices and column heads, of the
// parts still folded away too (the user unfolds them).
QStringList shownTexts(const QWidget& root) {
    QList<const QWidget*> widgets{&root};
    for (const QWidget* child : root.findChildren<QWidget*>())
        widgets.push_back(child);
    QStringList texts{root.windowTitle()};
    for (const QWidget* widget : widgets) {
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            texts << label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            texts << button->text();
        else if (const auto* group = qobject_cast<const QGroupBox*>(widget))
            texts << group->title();
        else if (const auto* tabs = qobject_cast<const QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        else if (const auto* choices = qobject_cast<const QComboBox*>(widget))
            for (int i = 0; i < choices->count(); ++i)
                texts << choices->itemText(i);
        else if (const auto* view = qobject_cast<const QAbstractItemView*>(widget);
                 view && view->model())
            for (int i = 0; i < view->model()->columnCount(); ++i)
                texts << view->model()->headerData(i, Qt::Horizontal).toString();
    }
    return texts;
}

// The texts holding an English word; units, paper names and the like stay as
// a Japanese office writes them too.
std::string english(const QStringList& texts) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    static const QStringList kept{"PDF", "OK", "mm", "pt", "in", "pc", "CC", "DD", "Alt", "JPEG"};
    // Paper sizes go by their standard names ("JIS B5", "A4 Extra"), as on printers.
    QStringList papers;
    for (int id = 0; id <= QPageSize::LastPageSize; ++id)
        papers << QPageSize::name(QPageSize::PageSizeId(id));
    QStringList found;
    for (const QString& text : texts) {
        if (papers.contains(text) || QFileInfo::exists(text))
            continue;
        for (const auto& match : word.globalMatch(text)) {
            if (!kept.contains(match.captured())) {
                found << text;
                break;
            }
        }
    }
    return found.join(QStringLiteral(" | ")).toStdString();
}

TEST(FrameworkTranslations, TheFileDialogCancelsInJapanese) {
    ASSERT_TRUE(loadCatalogues());
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    const auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
}

TEST(FrameworkTranslations, TheStandardDialogsShowNoEnglishWord) {
    ASSERT_TRUE(loadCatalogues());
    QPrinter printer;
    QPrintDialog print(&printer);
    print.show();
    QStringList properties;
    QTimer::singleShot(0, [&] {
        if (QWidget* shown = QApplication::activeModalWidget(); shown && shown != &print) {
            properties = shownTexts(*shown);
            shown->close();
        }
    });
    for (QPushButton* button : print.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("プロパティ(&R)") && button->isEnabled())
            button->click();
    EXPECT_FALSE(properties.isEmpty());
    EXPECT_EQ(english(shownTexts(print) + properties), "");

    // The kind and date of each entry, which the file system tells in the locale.
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("白地")));
    QFile picture(folder.filePath(QStringLiteral("白地.jpg")));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write("\xFF\xD8\xFF\xE0");
    picture.close();
    QFileDialog files(nullptr, QString(), folder.path());
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setViewMode(QFileDialog::Detail);
    files.show();
    auto* entries = files.findChild<QFileSystemModel*>();
    ASSERT_NE(entries, nullptr);
    const QModelIndex root = entries->index(folder.path());
    for (int wait = 0; wait < 100 && entries->rowCount(root) < 2; ++wait)
        QTest::qWait(20);
    ASSERT_EQ(entries->rowCount(root), 2);
    QStringList listed = shownTexts(files);
    for (int row = 0; row < 2; ++row)
        for (int column = 1; column < entries->columnCount(root); ++column)
            listed << entries->index(row, column, root).data().toString();
    EXPECT_EQ(english(listed), "");

    QFontDialog font;
    font.setOption(QFontDialog::DontUseNativeDialog);
    font.show();
    EXPECT_EQ(english(shownTexts(font)), "");
}

} // namespace
} // namespace mivora::test
