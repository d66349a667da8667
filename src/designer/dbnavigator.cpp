#include "designer/dbnavigator.h"

#include "designer/datasource.h"
#include "text/errors.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace mivora {

namespace {

struct ButtonLook {
    QStyle::StandardPixmap icon;
    const char* hint;
};

constexpr ButtonLook kLooks[] = {
    {QStyle::SP_MediaSkipBackward, "先頭レコード"},
    {QStyle::SP_MediaSeekBackward, "前レコード"},
    {QStyle::SP_MediaSeekForward, "次レコード"},
    {QStyle::SP_MediaSkipForward, "最終レコード"},
    {QStyle::SP_FileDialogNewFolder, "レコードの挿入"},
};

} // namespace

DBNavigator::DBNavigator(DataSource& source, QWidget* parent) : QWidget(parent), source_(source) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = new QToolButton(this);
        button->setIcon(style()->standardIcon(kLooks[i].icon));
        button->setToolTip(QString::fromUtf8(kLooks[i].hint));
        button->setFixedSize(25, 25);
        row->addWidget(button);
        buttons_[i] = button;
        connect(button, &QToolButton::clicked, this,
                [this, i] { BtnClick(static_cast<Button>(i)); });
    }
}

void DBNavigator::BtnClick(Button button) {
    emit aboutToAct();
    try {
        act(button);
    } catch (const Error& error) {
        source_.recordChanged();
        emit failed(QString::fromStdString(error.what()));
        return;
    }
    source_.recordChanged();
    emit clicked(button);
}

// A new record that nobody filled in is dropped rather than stored by the move.
void DBNavigator::act(Button button) {
    Table& table = source_.table();
    if (!table.active())
        return;
    if (table.state() == TableState::Insert && isBlankRecord(table))
        table.cancel();
    switch (button) {
    case nbFirst:
        table.first();
        break;
    case nbPrior:
        table.prior();
        break;
    case nbNext:
        table.next();
        break;
    case nbLast:
        table.last();
        break;
    case nbInsert:
        table.insert();
        break;
    }
}

} // namespace mivora
