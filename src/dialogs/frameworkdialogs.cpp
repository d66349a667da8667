#include "dialogs/frameworkdialogs.h"

#include "platform/paths.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
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

} // namespace mivora
