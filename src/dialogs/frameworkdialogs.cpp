#include "dialogs/frameworkdialogs.h"

#include "platform/paths.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

namespace mivora {

void prepareFileDialog(QFileDialog& dialog) {
    if (kSystemFileDialogs)
        return;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* entries = dialog.findChild<QFileSystemModel*>();
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!entries || !details)
        return;
    // The entries' sizes and dates are known once the folder is loaded; a column
    // the person widened stays as wide.
    QObject::connect(entries, &QFileSystemModel::directoryLoaded, details, [details] {
        const QAbstractItemView& view = *details;
        QHeaderView* header = details->header();
        for (int column = 1; column < header->count(); ++column)
            header->resizeSection(
                column, std::max(header->sectionSize(column), view.sizeHintForColumn(column)));
    });
}

namespace {

// Word by word, as the fonts combine them ("Condensed Bold Oblique"); the words of
// weights follow the names a Japanese type catalogue gives them.
QString japaneseStyleName(const QString& style) {
    static const QHash<QString, QString> words{
        {QStringLiteral("Regular"), QStringLiteral("標準")},
        {QStringLiteral("Normal"), QStringLiteral("標準")},
        {QStringLiteral("Roman"), QStringLiteral("標準")},
        {QStringLiteral("Book"), QStringLiteral("標準")},
        {QStringLiteral("Bold"), QStringLiteral("太字")},
        {QStringLiteral("Italic"), QStringLiteral("斜体")},
        {QStringLiteral("Oblique"), QStringLiteral("斜体")},
        {QStringLiteral("Thin"), QStringLiteral("極細")},
        {QStringLiteral("ExtraLight"), QStringLiteral("極細")},
        {QStringLiteral("UltraLight"), QStringLiteral("極細")},
        {QStringLiteral("Light"), QStringLiteral("細字")},
        {QStringLiteral("DemiLight"), QStringLiteral("中細")},
        {QStringLiteral("SemiLight"), QStringLiteral("中細")},
        {QStringLiteral("Medium"), QStringLiteral("中太")},
        {QStringLiteral("Demi"), QStringLiteral("やや太字")},
        {QStringLiteral("DemiBold"), QStringLiteral("やや太字")},
        {QStringLiteral("SemiBold"), QStringLiteral("やや太字")},
        {QStringLiteral("ExtraBold"), QStringLiteral("極太")},
        {QStringLiteral("UltraBold"), QStringLiteral("極太")},
        {QStringLiteral("Black"), QStringLiteral("特太")},
        {QStringLiteral("Heavy"), QStringLiteral("特太")},
        {QStringLiteral("Condensed"), QStringLiteral("長体")},
        {QStringLiteral("Expanded"), QStringLiteral("平体")},
    };
    QStringList parts = style.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = words.value(part, part);
    return parts.join(QLatin1Char(' '));
}

// The dialog finds the font by the names in its style list, so the list keeps
// them and only shows them in Japanese.
class JapaneseStyleNames : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale&) const override {
        return japaneseStyleName(value.toString());
    }
};

} // namespace

void prepareFontDialog(QFontDialog& dialog) {
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // The dialog lists its writing systems in the order of their numbers and has
    // no other way to choose one than the person's choice.
    if (auto* writingSystems = dialog.findChild<QComboBox*>()) {
        writingSystems->setCurrentIndex(QFontDatabase::Japanese);
        emit writingSystems->activated(QFontDatabase::Japanese);
    }
    // Its lists, as it makes them: the fonts, their styles, the sizes. The box
    // above the styles shows the chosen one, and stands in for the list.
    const QList<QListView*> lists = dialog.findChildren<QListView*>();
    if (lists.size() != 3)
        return;
    QListView* styles = lists[1];
    styles->setItemDelegate(new JapaneseStyleNames(styles));
    for (QLineEdit* box : dialog.findChildren<QLineEdit*>()) {
        if (box->focusProxy() != styles)
            continue;
        box->setText(japaneseStyleName(box->text()));
        QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString& style) {
            const QString japanese = japaneseStyleName(style);
            if (japanese != style)
                box->setText(japanese);
        });
    }
}

} // namespace mivora
