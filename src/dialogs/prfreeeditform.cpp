#include "dialogs/prfreeeditform.h"

#include "dialogs/captionpanel.h"
#include "dialogs/placement.h"
#include "text/codec.h"
#include "text/errors.h"
#include "widgets/composition.h"

#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace mivora {

namespace {

constexpr int kRowsPerColumn = 20;
constexpr int kRowHeight = 20;
constexpr int kBoxWidth = 140;
constexpr int kColumnGap = 10;
constexpr int kMargin = 4;

// Items 1-20 in the first column, 21-40 in the second, 41-60 in the third.
QPoint rowPosition(int n) {
    const int column = (n - 1) / kRowsPerColumn, row = (n - 1) % kRowsPerColumn;
    return {kMargin + column * (2 * kBoxWidth + kColumnGap), kMargin + row * kRowHeight};
}

} // namespace

TPrFreeEditForm::TPrFreeEditForm(const QStringList& choices, QWidget* parent)
    : QDialog(parent), RestorePos1(*this) {
    setWindowTitle(QStringLiteral("印刷内容確認"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    buildWindow();
    resize(3 * (2 * kBoxWidth + kColumnGap) + 40, 560);
    RestorePos1.useNames(QStringLiteral("Mivora"), QStringLiteral("FreeEdit"));
    RestorePos1.restore();
    FormCreate(choices);
}

void TPrFreeEditForm::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildTopPanel());
    layout->addWidget(buildItems(), 1);
    const OkCancelPanel buttons = okCancelPanel(this);
    ButtonPanel = buttons.panel;
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    layout->addWidget(ButtonPanel);
    connect(OKBtn, &QPushButton::clicked, this, &TPrFreeEditForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TPrFreeEditForm::buildTopPanel() {
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(panel);
    TopLabel =
        new QLabel(QStringLiteral("手書き印刷される内容を入力して下さい。　　　　　"), panel);
    QFont large = TopLabel->font();
    large.setPixelSize(19);
    TopLabel->setFont(large);
    TopLabel->setStyleSheet(QStringLiteral("color: green"));
    row->addWidget(TopLabel, 1);

    ComboBox1 = new QComboBox(panel);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->lineEdit()->setPlaceholderText(QStringLiteral("入力内容選択"));
    ComboBox1->setMinimumWidth(180);
    CompositionGuard::guard(*ComboBox1->lineEdit(), ComboBox1);
    // The list drops down as the person types, without completing the text.
    auto* list = new QCompleter(ComboBox1->model(), ComboBox1);
    list->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    ComboBox1->setCompleter(list);
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, list, [list] { list->complete(); });
    connect(ComboBox1, &QComboBox::editTextChanged, this, &TPrFreeEditForm::ComboBox1Change);
    row->addWidget(ComboBox1);
    return panel;
}

QWidget* TPrFreeEditForm::buildItems() {
    ScrollBox1 = new QScrollArea(this);
    auto* items = new QWidget(ScrollBox1);
    for (int n = 1; n <= kItems; ++n) {
        const QPoint at = rowPosition(n);
        auto* caption = new CaptionPanel(QStringLiteral("項目名"), Qt::AlignLeft, items);
        caption->setFrameShape(QFrame::Panel);
        caption->row().setContentsMargins(2, 0, 2, 0);
        caption->setGeometry(at.x(), at.y(), kBoxWidth, kRowHeight);
        auto* edit = new QLineEdit(items);
        edit->setGeometry(at.x() + kBoxWidth, at.y(), kBoxWidth, kRowHeight);
        // Japanese input stays on for these boxes (Qt enables the input method by
        // default; nothing turns it off).
        edit->setAttribute(Qt::WA_InputMethodEnabled);
        CompositionGuard::guard(*edit);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this,
                [this, n](const QString& text) { writeField(n, text); });
        panels_[n - 1] = caption;
        edits_[n - 1] = edit;
    }
    const QPoint last = rowPosition(kItems);
    items->setFixedSize(last.x() + 2 * kBoxWidth + kMargin, last.y() + kRowHeight + kMargin);
    ScrollBox1->setWidget(items);
    return ScrollBox1;
}

void TPrFreeEditForm::FormCreate(const QStringList& choices) {
    filling_ = true;
    ComboBox1->clear();
    ComboBox1->addItems(choices);
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
    filling_ = false;
    current_ = 1;
}

void TPrFreeEditForm::offerItem(int n, const std::optional<QString>& caption) {
    if (caption)
        Panel(n)->setCaption(*caption);
    Panel(n)->setVisible(caption.has_value());
    DBEdit(n)->setVisible(caption.has_value());
}

bool TPrFreeEditForm::confirm(HandWrittenAnswers& answers) {
    answers_ = answers;
    const bool ok = exec() == QDialog::Accepted;
    answers = answers_;
    return ok;
}

void TPrFreeEditForm::DBEditClick(int n) {
    current_ = n;
}

bool TPrFreeEditForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress)
        for (int n = 1; n <= kItems; ++n)
            if (watched == edits_[n - 1])
                DBEditClick(n);
    return QDialog::eventFilter(watched, event);
}

void TPrFreeEditForm::ComboBox1Change() {
    if (filling_)
        return;
    writeField(current_, ComboBox1->currentText());
    showField(current_);
}

void TPrFreeEditForm::OKBtnClick() {
    accept();
}

void TPrFreeEditForm::FormResize() {
    placeInThirds(*OKBtn, *CancelBtn, ButtonPanel->width());
}

void TPrFreeEditForm::showEvent(QShowEvent* event) {
    showFields();
    QDialog::showEvent(event);
}

void TPrFreeEditForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TPrFreeEditForm::showFields() {
    for (int n = 1; n <= kItems; ++n)
        showField(n);
}

void TPrFreeEditForm::showField(int n) {
    const QString text = QString::fromStdString(toUtf8(answers_.at(n - 1)));
    if (DBEdit(n)->text() != text)
        DBEdit(n)->setText(text);
}

void TPrFreeEditForm::writeField(int n, const QString& text) {
    try {
        answers_.at(n - 1) = fromUtf8(text.toStdString());
    } catch (const Error& error) {
        showError(QString::fromStdString(error.what()));
        showField(n);
    }
}

void TPrFreeEditForm::showError(const QString& message) {
    QMessageBox::critical(this, windowTitle(), message);
}

} // namespace mivora
