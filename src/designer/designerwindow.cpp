#include "designer/designerwindow.h"

#include "designer/dbcheckbox.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/dbnavigator.h"
#include "designer/formpicture.h"
#include "designer/freechoices.h"
#include "designer/mivoraform.h"
#include "designer/previewarea.h"
#include "dialogs/frameworkdialogs.h"
#include "dialogs/placement.h"
#include "items/vocabulary.h"
#include "widgets/composition.h"
#include "widgets/numberentry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace mivora {

namespace {

constexpr int kControlHeight = 21;

QLabel* caption(const char* text, QWidget* parent) {
    return new QLabel(QString::fromUtf8(text), parent);
}

// A control of the placement panel at its place (left, top) and width.
template <typename Control> Control* placed(Control* control, int left, int top, int width) {
    control->setGeometry(left, top, width, kControlHeight);
    return control;
}

QLabel* placedCaption(const char* text, QWidget* parent, int left, int top) {
    QLabel* label = caption(text, parent);
    label->move(left, top + 3);
    label->adjustSize();
    return label;
}

QLabel* numberDisplay(QWidget* parent, int left, int top) {
    auto* display = placed(new QLabel(parent), left, top, 40);
    display->setFrameShape(QFrame::Panel);
    display->setFrameShadow(QFrame::Sunken);
    display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return display;
}

// An edit wide enough for sample in its own font, frame and margins included.
void fitFor(QLineEdit& edit, const QString& sample) {
    const int margins = edit.textMargins().left() + edit.textMargins().right();
    edit.setMinimumWidth(edit.fontMetrics().horizontalAdvance(sample) + margins + 12);
}

QStringList numbers(std::initializer_list<int> values) {
    QStringList list;
    for (int value : values)
        list << QString::number(value);
    return list;
}

QStringList vocabularyTexts() {
    QStringList list;
    for (const VocabularyEntry& entry : itemVocabulary())
        list << QString::fromUtf8(entry.text.data(), static_cast<qsizetype>(entry.text.size()));
    return list;
}

QScrollBar* scrollBar(Qt::Orientation orientation, int minimum, int maximum, int largeStep,
                      QWidget* parent) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setFocusPolicy(Qt::StrongFocus); // the arrow keys move it, as a click does
    bar->setRange(minimum, maximum);
    bar->setPageStep(largeStep);
    bar->setSingleStep(1);
    return bar;
}

void buildTopPanel(TMivoraForm& form, QWidget* parent) {
    form.TopPanel = new QWidget(parent);
    form.TopPanel->setFixedHeight(55);
    auto* row = new QHBoxLayout(form.TopPanel);
    row->setContentsMargins(6, 2, 6, 2);

    auto* typeColumn = new QVBoxLayout;
    typeColumn->addWidget(caption("印刷タイプ：", form.TopPanel));
    form.DBNavigator1 = new DBNavigator(*form.DataSource1, form.TopPanel);
    typeColumn->addWidget(form.DBNavigator1);
    row->addLayout(typeColumn);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    auto add = [&](QWidget* widget, int line, int column, int span = 1) {
        grid->addWidget(widget, line, column, 1, span);
        return widget;
    };
    add(caption("印刷名：", form.TopPanel), 0, 0);
    form.DBEdit1 = new DBEdit(form.TopPanel);
    fitFor(*form.DBEdit1, QStringLiteral("継続検査諸費用明細書"));
    add(form.DBEdit1, 0, 1, 2);
    add(caption("印刷フォーム：", form.TopPanel), 0, 3);
    form.DBEdit2 = new DBEdit(form.TopPanel);
    add(form.DBEdit2, 0, 4, 3);
    form.ReadButton = new QPushButton(QStringLiteral("参照"), form.TopPanel);
    form.ReadButton->setFixedWidth(44);
    add(form.ReadButton, 0, 7);

    add(caption("印刷横サイズ：", form.TopPanel), 1, 0);
    form.DBEdit3 = new DBEdit(form.TopPanel);
    form.DBEdit3->setFixedWidth(40);
    add(form.DBEdit3, 1, 1);
    add(caption("mm", form.TopPanel), 1, 2);
    add(caption("印刷縦サイズ：", form.TopPanel), 1, 3);
    form.DBEdit4 = new DBEdit(form.TopPanel);
    form.DBEdit4->setFixedWidth(40);
    add(form.DBEdit4, 1, 4);
    add(caption("mm", form.TopPanel), 1, 5);
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(caption("尺度：", form.TopPanel));
    scaleRow->addWidget(caption("1/", form.TopPanel));
    form.ScaleComboBox = new QComboBox(form.TopPanel);
    form.ScaleComboBox->setEditable(true);
    form.ScaleComboBox->setInsertPolicy(QComboBox::NoInsert);
    form.ScaleComboBox->addItems(numbers({1, 2, 3, 4, 5}));
    form.ScaleComboBox->setEditText(QStringLiteral("2"));
    validateAsInteger(*form.ScaleComboBox->lineEdit(), true, false);
    CompositionGuard::guard(*form.ScaleComboBox->lineEdit(), form.ScaleComboBox);
    form.ScaleComboBox->setFixedWidth(44);
    scaleRow->addWidget(form.ScaleComboBox);
    grid->addLayout(scaleRow, 1, 6, 1, 2);
    row->addLayout(grid, 1);
}

void buildNumberSelector(TMivoraForm& form, QWidget* parent) {
    form.NoSetPanel = new QWidget(parent);
    auto* row = new QHBoxLayout(form.NoSetPanel);
    row->setContentsMargins(0, 4, 0, 4);
    form.NPanel = caption("NO.", form.NoSetPanel);
    row->addWidget(form.NPanel);
    form.NoPanel = new QLabel(QStringLiteral("1"), form.NoSetPanel);
    form.NoPanel->setFrameShape(QFrame::Panel);
    form.NoPanel->setFrameShadow(QFrame::Sunken);
    form.NoPanel->setAlignment(Qt::AlignCenter);
    form.NoPanel->setFixedWidth(32);
    row->addWidget(form.NoPanel);
    form.NoScrollBar = scrollBar(Qt::Horizontal, 1, 60, 5, form.NoSetPanel);
    row->addWidget(form.NoScrollBar, 1);
}

// The placement panel keeps the fixed places of its controls.
void buildPlacementPanel(TMivoraForm& form, QWidget* parent) {
    QWidget* panel = form.PosSetPanel = new QWidget(parent);
    panel->setFixedSize(248, 214);

    form.KPanel = placedCaption("項目名", panel, 5, 10);
    form.MenuDBComboBox = placed(new DBComboBox(panel), 95, 10, 150);
    form.MenuDBComboBox->setChoices(vocabularyTexts());
    form.FreeDBComboBox = placed(new DBComboBox(panel), 5, 32, 90);
    QStringList builtIn;
    for (const std::string& choice : builtInFreeChoices())
        builtIn << QString::fromStdString(choice);
    form.FreeDBComboBox->setChoices(builtIn);
    form.LenPanel = placedCaption("○～○の幅", panel, 125, 32);
    form.DateSPPanel = placedCaption("日付の幅", panel, 125, 32);
    form.LenDBComboBox = placed(new DBComboBox(panel), 190, 32, 55);
    form.LenDBComboBox->setChoices(numbers({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    form.YScrollBar = scrollBar(Qt::Vertical, 0, 0, 10, panel);
    form.YScrollBar->setGeometry(100, 35, 17, 130);
    form.YPanel = placedCaption("Ｙ座標", panel, 4, 80);
    form.YPosDBEdit = placed(new DBEdit(panel), 55, 80, 42);
    form.YPosPanel = numberDisplay(panel, 4, 100);
    placedCaption("mm", panel, 46, 100);

    form.FPPanel = placedCaption("文字サイズ", panel, 125, 80);
    form.FSizDBComboBox = placed(new DBComboBox(panel), 190, 80, 55);
    form.FSizDBComboBox->setChoices(
        numbers({8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}));
    // The font name stands under its caption, where the longest name fits.
    form.Panel7 = placedCaption("文字フォント", panel, 125, 120);
    form.Edit1 = placed(new QLineEdit(panel), 125, 140, 120);
    fitFor(*form.Edit1, QStringLiteral("ＭＳ Ｐゴシック"));
    form.Edit1->setReadOnly(true);
    form.Edit1->setCursor(Qt::PointingHandCursor);

    form.XPanel = placedCaption("Ｘ座標", panel, 5, 170);
    form.XPosDBEdit = placed(new DBEdit(panel), 55, 170, 42);
    form.XScrollBar = scrollBar(Qt::Horizontal, 0, 0, 10, panel);
    form.XScrollBar->setGeometry(100, 172, 145, 17);
    form.XPosPanel = numberDisplay(panel, 5, 190);
    placedCaption("mm", panel, 47, 190);

    for (QWidget* hidden :
         {static_cast<QWidget*>(form.FreeDBComboBox), static_cast<QWidget*>(form.LenPanel),
          static_cast<QWidget*>(form.DateSPPanel), static_cast<QWidget*>(form.LenDBComboBox)})
        hidden->hide();
    // Until 修正モード is checked; its place stays taken, so the window is never
    // smaller than the panel needs and nothing moves when it shows.
    QSizePolicy keepPlace = panel->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    panel->setSizePolicy(keepPlace);
    panel->hide();
}

void buildPointPanel(TMivoraForm& form, QWidget* parent) {
    form.PointPanel = new QWidget(parent);
    form.PointPanel->setFixedWidth(250);
    auto* column = new QVBoxLayout(form.PointPanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildNumberSelector(form, form.PointPanel);
    column->addWidget(form.NoSetPanel);
    buildPlacementPanel(form, form.PointPanel);
    column->addWidget(form.PosSetPanel);
    column->addStretch();
    form.CheckBox2 = new QCheckBox(QStringLiteral("修正モード"), form.PointPanel);
    column->addWidget(form.CheckBox2);
    form.CalDBCheckBox = new DBCheckBox(QStringLiteral("日付の年月日の表示"), form.PointPanel);
    column->addWidget(form.CalDBCheckBox);
}

void buildPreviewPanel(TMivoraForm& form, QWidget* parent) {
    form.Panel3 = new QWidget(parent);
    auto* column = new QVBoxLayout(form.Panel3);
    column->setContentsMargins(0, 0, 0, 0);
    form.ScrollBox1 = new PreviewArea(form.Panel3);
    form.ScrolledArea = new QWidget;
    form.ScrollBox1->setWidget(form.ScrolledArea);
    form.Image1 = new FormPicture(form.ScrolledArea);
    column->addWidget(form.ScrollBox1, 1);
    auto* flags = new QHBoxLayout;
    form.DBCheckBox1 = new DBCheckBox(QStringLiteral("連続印刷"), form.Panel3);
    flags->addWidget(form.DBCheckBox1);
    form.CheckBox1 = new DBCheckBox(QStringLiteral("印刷フォームの印刷"), form.Panel3);
    flags->addWidget(form.CheckBox1);
    flags->addStretch();
    column->addLayout(flags);
}

void buildButtonPanel(TMivoraForm& form, QWidget* parent) {
    const OkCancelPanel buttons = okCancelPanel(parent);
    form.BtnPanel = buttons.panel;
    form.BtnPanel->setFixedHeight(45);
    form.OKBtn = buttons.ok;
    form.CancelBtn = buttons.cancel;
    // A click on ｷｬﾝｾﾙ takes no focus: the edit left behind must not count as
    // finished, and store what ｷｬﾝｾﾙ is meant to drop.
    form.CancelBtn->setFocusPolicy(Qt::TabFocus);
    form.SpeedButton1 = new QToolButton(form.BtnPanel);
    form.SpeedButton1->setIcon(form.style()->standardIcon(QStyle::SP_ComputerIcon));
    form.SpeedButton1->setToolTip(QStringLiteral("印刷機能修正"));
    form.SpeedButton1->setGeometry(0, 10, 25, 25);
    form.UndoButton = new QToolButton(form.BtnPanel);
    form.UndoButton->setIcon(form.style()->standardIcon(QStyle::SP_ArrowBack));
    form.UndoButton->setToolTip(QStringLiteral("元に戻す"));
    form.UndoButton->setGeometry(10, 10, 25, 25);
    form.RedoButton = new QToolButton(form.BtnPanel);
    form.RedoButton->setIcon(form.style()->standardIcon(QStyle::SP_ArrowForward));
    form.RedoButton->setToolTip(QStringLiteral("やり直し"));
    form.RedoButton->setGeometry(38, 10, 25, 25);
}

void buildMenu(TMivoraForm& form) {
    form.MenuBar = new QMenuBar(&form);
    form.EditMenu = form.MenuBar->addMenu(QStringLiteral("編集(&E)"));
    form.UndoAction = form.EditMenu->addAction(QStringLiteral("元に戻す"));
    form.UndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    form.RedoAction = form.EditMenu->addAction(QStringLiteral("やり直し"));
    form.RedoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
}

void buildDialogs(TMivoraForm& form) {
    form.OpenDialog1 =
        new QFileDialog(&form, QString(), QString(), QStringLiteral("ｲﾒｰｼﾞﾌｧｲﾙ (*.jpg *.bmp)"));
    form.OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    prepareFileDialog(*form.OpenDialog1);
}

// Tab goes through the window as it reads: the top panel row by row, the item
// column down, the preview and its check boxes, the buttons at the bottom from
// the left. Enter moves on in the same order.
void setReadingOrder(TMivoraForm& form) {
    QList<QWidget*> order;
    for (int button = DBNavigator::nbFirst; button <= DBNavigator::nbInsert; ++button)
        order << form.DBNavigator1->button(static_cast<DBNavigator::Button>(button));
    order << QList<QWidget*>{
        form.DBEdit1,        form.DBEdit2,       form.ReadButton,  form.DBEdit3,
        form.DBEdit4,        form.ScaleComboBox, form.NoScrollBar, form.MenuDBComboBox,
        form.FreeDBComboBox, form.LenDBComboBox, form.YScrollBar,  form.YPosDBEdit,
        form.FSizDBComboBox, form.Edit1,         form.XPosDBEdit,  form.XScrollBar,
        form.CheckBox2,      form.CalDBCheckBox, form.ScrollBox1,  form.DBCheckBox1,
        form.CheckBox1,      form.UndoButton,    form.RedoButton,  form.OKBtn,
        form.CancelBtn,      form.SpeedButton1};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

void buildDesignerWindow(TMivoraForm& form) {
    auto* layout = new QVBoxLayout(&form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenu(form);
    layout->setMenuBar(form.MenuBar);
    buildTopPanel(form, &form);
    layout->addWidget(form.TopPanel);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    form.LeftPanel = new QWidget(&form);
    form.LeftPanel->setFixedWidth(10);
    middle->addWidget(form.LeftPanel);
    buildPointPanel(form, &form);
    middle->addWidget(form.PointPanel);
    buildPreviewPanel(form, &form);
    middle->addWidget(form.Panel3, 1);
    layout->addLayout(middle, 1);

    buildButtonPanel(form, &form);
    layout->addWidget(form.BtnPanel);
    setReadingOrder(form);
    buildDialogs(form);
}

} // namespace mivora
