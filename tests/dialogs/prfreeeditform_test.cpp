#include "dialogs/prfreeeditform.h"

#include "dialogs/captionpanel.h"
#include "dialogs/restorepos.h"
#include "text/codec.h"

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
    PrFreeEditFormTest() : form_(std::make_unique<TPrFreeEditForm>(choices_)) {}

    std::string field(int n) { return toUtf8(form_->answers().at(n - 1)); }

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

// The window shows the answers handed in and hands back what was typed, also when
// cancelled: the run keeps that for the next run to offer.
TEST_F(PrFreeEditFormTest, ConfirmShowsTheAnswersAndHandsBackTheTypingHoweverItCloses) {
    form_->offerItem(5, QStringLiteral("担当者"));
    HandWrittenAnswers answers;
    answers[8] = fromUtf8("前回の内容");
    QTimer::singleShot(0, form_.get(), [this] {
        EXPECT_EQ(form_->DBEdit(9)->text(), QStringLiteral("前回の内容"));
        typeInto(form_->DBEdit(5), QStringLiteral("佐藤"));
        form_->CancelBtn->click();
    });
    EXPECT_FALSE(form_->confirm(answers));
    EXPECT_EQ(toUtf8(answers[4]), "佐藤");

    answers[8].clear();
    QTimer::singleShot(0, form_.get(), [this] {
        EXPECT_EQ(form_->DBEdit(5)->text(), QStringLiteral("佐藤")); // offered again
        EXPECT_EQ(form_->DBEdit(9)->text(), QString());
        form_->OKBtn->click();
    });
    EXPECT_TRUE(form_->confirm(answers));
    EXPECT_EQ(toUtf8(answers[4]), "佐藤");
}

TEST_F(PrFreeEditFormTest, ATextWithoutShiftJisCodeIsRefusedAndUndone) {
    form_->show();
    typeInto(form_->DBEdit(2), QStringLiteral("元"));
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
