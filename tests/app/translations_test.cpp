// The framework's own dialogs speak Japanese once the program has started.

#include "app/translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <gtest/gtest.h>

namespace mivora::test {
namespace {

TEST(FrameworkTranslations, TheFileDialogCancelsInJapanese) {
    ASSERT_TRUE(loadFrameworkTranslations(*qApp));
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    const auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
}

} // namespace
} // namespace mivora::test
