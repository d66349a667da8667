#include "dialogs/prfreeeditform.h"

#include "dialogs/captionpanel.h"
#include "dialogs/restorepos.h"
#include "store/datafolder.h"
#include "store/table.h"
#include "support/tempdir.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace mivora::test {
namespace {

class PrFreeEditFormTest : public ::testing::Test {
  protected:
    PrFreeEditFormTest() {
        createTables(dir_.path());
        free_.open();
        free_.append(); // the input record
        free_.post();
        free_.first();
        form_ = std::make_unique<TPrFreeEditForm>(free_, choices_);
    }

    // Item N of the stored input record, read from the file anew.
    std::string stored(int n) {
        Table reread(free_.file());
        reread.open();
        return toUtf8(reread.text(sj("項目") + std::to_string(n)));
    }
    std::string field(int n) { return toUtf8(free_.text(sj("項目") + std::to_string(n))); }

    void click(QWidget* widget) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3),
                          widget->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
    }
    void typeInto(QLineEdit* edit, const QString& text) {
        for (const char32_t c : text.toUcs4())
            edit->insert(QString::fromUcs4(&c, 1)); // one keystroke at a time, as typed
    }

    TempDir dir_;
    Table free_{dir_.path() / "PrtFreeData.DB"};
    const QStringList choices_ = {QStringLiteral("貨物"), QStringLiteral("乗用"),
                                  QStringLiteral("")};
    std::unique_ptr<TPrFreeEditForm> form_;
};

TEST_F(PrFreeEditFormTest, SixtyRowsInThreeColumnsOfTwenty) {
    TPrFreeEditForm& form = *form_;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("印刷内容確認"));
    EXPECT_EQ(form.TopLabel->text(),
              QStringLiteral("手書き印刷される内容を入力して下さい。　　　　　"));
    EXPECT_EQ(form.TopLabel->font().pixelSize(), 19);
    EXPECT_EQ(form.ComboBox1->lineEdit()->placeholderText(), QStringLiteral("入力内容選択"));
    EXPECT_EQ(form.OKBtn->text(), QStringLiteral("OK(&Y)"));
    EXPECT_EQ(form.Panel(1)->caption(), QStringLiteral("項目名"));
    for (int n = 1; n <= 60; ++n) {
        EXPECT_EQ(form.Panel(n)->width(), 140);
        EXPECT_EQ(form.DBEdit(n)->width(), 140);
        EXPECT_EQ(form.DBEdit(n)->y(), form.Panel(n)->y());
    }
    EXPECT_EQ(form.Panel(2)->y() - form.Panel(1)->y(), 20);
    EXPECT_EQ(form.Panel(21)->y(), form.Panel(1)->y());
    EXPECT_EQ(form.Panel(41)->y(), form.Panel(1)->y());
    EXPECT_GT(form.Panel(21)->x(), form.DBEdit(20)->x());
    EXPECT_GT(form.Panel(41)->x(), form.DBEdit(40)->x());
    EXPECT_EQ(form.Panel(20)->y() - form.Panel(1)->y(), 19 * 20);
    // Making the window writes nothing.
    EXPECT_EQ(free_.state(), TableState::Browse);
    EXPECT_EQ(form.ComboBox1->count(), 3);
}

TEST_F(PrFreeEditFormTest, OfferedItemsShowTheirCaptionsAndTheOthersHide) {
    form_->offerItem(3, QStringLiteral("受付番号"));
    form_->offerItem(4, std::nullopt);
    EXPECT_EQ(form_->Panel(3)->caption(), QStringLiteral("受付番号"));
    EXPECT_TRUE(form_->Panel(3)->isVisibleTo(form_.get()));
    EXPECT_TRUE(form_->DBEdit(3)->isVisibleTo(form_.get()));
    EXPECT_FALSE(form_->Panel(4)->isVisibleTo(form_.get()));
    EXPECT_FALSE(form_->DBEdit(4)->isVisibleTo(form_.get()));
}

TEST_F(PrFreeEditFormTest, TheListWritesIntoTheItemClickedLastAndItemOneBefore) {
    form_->ComboBox1->setCurrentIndex(1);
    EXPECT_EQ(field(1), "乗用");

    click(form_->DBEdit(7));
    EXPECT_EQ(form_->currentItem(), 7);
    form_->ComboBox1->lineEdit()->selectAll();
    typeInto(form_->ComboBox1->lineEdit(), QStringLiteral("特種"));
    EXPECT_EQ(field(7), "特種"); // after every keystroke
    EXPECT_EQ(form_->DBEdit(7)->text(), QStringLiteral("特種"));
    EXPECT_EQ(field(1), "乗用");

    // Another showing keeps the item clicked last.
    form_->show();
    form_->hide();
    EXPECT_EQ(form_->currentItem(), 7);
}

TEST_F(PrFreeEditFormTest, OkStoresTheTextsAndCancelLeavesThemPending) {
    form_->offerItem(5, QStringLiteral("担当者"));
    QTimer::singleShot(0, form_.get(), [this] {
        typeInto(form_->DBEdit(5), QStringLiteral("佐藤"));
        form_->CancelBtn->click();
    });
    EXPECT_FALSE(form_->confirm());
    EXPECT_EQ(free_.state(), TableState::Edit);
    EXPECT_EQ(field(5), "佐藤");
    EXPECT_EQ(stored(5), "");

    QTimer::singleShot(0, form_.get(), [this] {
        EXPECT_EQ(form_->DBEdit(5)->text(), QStringLiteral("佐藤")); // offered again
        form_->OKBtn->click();
    });
    EXPECT_TRUE(form_->confirm());
    EXPECT_EQ(free_.state(), TableState::Browse);
    EXPECT_EQ(stored(5), "佐藤");
}

TEST_F(PrFreeEditFormTest, TheBoxesShowTheRecordAsItIsWhenShown) {
    free_.setText(sj("項目9"), sj("前回の内容"));
    free_.post();
    form_->show();
    EXPECT_EQ(form_->DBEdit(9)->text(), QStringLiteral("前回の内容"));
    form_->hide();
}

TEST_F(PrFreeEditFormTest, ATextWithoutShiftJisCodeIsRefusedAndUndone) {
    free_.setText(sj("項目2"), sj("元"));
    free_.post();
    form_->show();
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    typeInto(form_->DBEdit(2), QStringLiteral("😀")); // no Shift-JIS code
    EXPECT_EQ(field(2), "元");
    EXPECT_EQ(form_->DBEdit(2)->text(), QStringLiteral("元"));
    form_->hide();
}

TEST_F(PrFreeEditFormTest, ButtonsSitAtTheThirdsOfTheirPanel) {
    form_->resize(600, 400);
    form_->FormResize();
    const int third = form_->ButtonPanel->width() / 3;
    EXPECT_EQ(form_->OKBtn->x(), third - 37);
    EXPECT_EQ(form_->CancelBtn->x(), 2 * third - 37);
}

TEST_F(PrFreeEditFormTest, ThePositionIsKeptUnderItsOwnNames) {
    openPositionKey(QStringLiteral("Mivora"))->clear();
    form_->setGeometry(40, 50, 700, 450);
    form_.reset();
    auto key = openPositionKey(QStringLiteral("Mivora"));
    EXPECT_EQ(key->value(QStringLiteral("FreeEditWidth")).toInt(), 700);
    EXPECT_EQ(key->value(QStringLiteral("FreeEditHeight")).toInt(), 450);
    EXPECT_TRUE(key->contains(QStringLiteral("FreeEditPosX")));
    EXPECT_TRUE(key->contains(QStringLiteral("FreeEditPosY")));
    key->clear();
}

} // namespace
} // namespace mivora::test
