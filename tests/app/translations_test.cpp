// The framework's own dialogs speak Japanese once the program has started.

#include "app/translations.h"
#include "dialogs/fontchooser.h"
#include "dialogs/frameworkdialogs.h"

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
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStringListModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

bool loadCatalogues() {
    return loadFrameworkTranslations(*qApp, QFileInfo(QStringLiteral(MIVORA_EXECUTABLE)).path());
}

// The rows of a plain list as its items draw them.
QStringList shownRows(const QAbstractItemView& view) {
    QStringList rows;
    for (int row = 0; row < view.model()->rowCount(); ++row) {
        const QModelIndex index = view.model()->index(row, 0);
        const auto* items = qobject_cast<QStyledItemDelegate*>(view.itemDelegateForIndex(index));
        rows << (items ? items->displayText(index.data(), view.locale()) : index.data().toString());
    }
    return rows;
}

// What a dialog can show: texts, titles, tabs, choices, the rows of its plain
// lists and column heads, of the parts still folded away too (the user unfolds
// them).
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
        else if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
            texts << edit->text();
        else if (const auto* view = qobject_cast<const QAbstractItemView*>(widget);
                 view && view->model()) {
            for (int i = 0; i < view->model()->columnCount(); ++i)
                texts << view->model()->headerData(i, Qt::Horizontal).toString();
            if (qobject_cast<const QStringListModel*>(view->model()))
                texts << shownRows(*view);
        }
    }
    return texts;
}

// The texts holding an English word; units, paper and font names and the like
// stay as a Japanese office writes them too.
std::string english(const QStringList& texts) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    static const QStringList kept{"PDF", "OK", "mm",  "pt",   "in",  "pc",
                                  "CC",  "DD", "Alt", "JPEG", "KiB", "MiB"};
    // Paper sizes go by their standard names ("JIS B5", "A4 Extra"), as on printers.
    QStringList papers;
    for (int id = 0; id <= QPageSize::LastPageSize; ++id)
        papers << QPageSize::name(QPageSize::PageSizeId(id));
    const QStringList fonts = QFontDatabase::families();
    QStringList found;
    for (const QString& text : texts) {
        if (papers.contains(text) || fonts.contains(text) || QFileInfo::exists(text))
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

    // The kind and date of each entry, which the file system tells in the locale,
    // and no size or date cut short.
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("白地")));
    QFile picture(folder.filePath(QStringLiteral("白地.jpg")));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write(QByteArray("\xFF\xD8\xFF\xE0").leftJustified(56'400, '\0'));
    picture.close();
    QFileDialog files(nullptr, QString(), folder.path());
    prepareFileDialog(files);
    files.setViewMode(QFileDialog::Detail);
    auto* entries = files.findChild<QFileSystemModel*>();
    auto* details = files.findChild<QTreeView*>();
    ASSERT_NE(entries, nullptr);
    ASSERT_NE(details, nullptr);
    QSignalSpy loaded(entries, &QFileSystemModel::directoryLoaded);
    files.show();
    const QModelIndex root = entries->index(folder.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return entries->rowCount(root) == 2 && !loaded.isEmpty(); }));
    QStringList listed = shownTexts(files);
    const int margins = 2 * (details->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    for (int row = 0; row < 2; ++row) {
        for (int column = 1; column < entries->columnCount(root); ++column) {
            const QString text = entries->index(row, column, root).data().toString();
            listed << text;
            EXPECT_LE(details->fontMetrics().horizontalAdvance(text) + margins,
                      details->header()->sectionSize(column))
                << text.toStdString();
        }
    }
    EXPECT_EQ(english(listed), "");

    // The font chooser: every font offered with its styles, and the sample.
    FontChooser font;
    font.show();
    QStringList offered;
    for (int row = 0; row < font.familyList->count(); ++row) {
        font.familyList->setCurrentRow(row);
        offered << shownTexts(font);
        for (int style = 0; style < font.styleList->count(); ++style)
            offered << font.styleList->item(style)->text();
    }
    EXPECT_FALSE(offered.isEmpty());
    EXPECT_EQ(english(offered), "");
}

} // namespace
} // namespace mivora::test
