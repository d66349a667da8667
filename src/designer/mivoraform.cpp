#include "designer/mivoraform.h"

#include "app/forms.h"
#include "designer/datasource.h"
#include "designer/dbcheckbox.h"
#include "designer/dbcombobox.h"
#include "designer/dbedit.h"
#include "designer/dbnavigator.h"
#include "designer/designerwindow.h"
#include "designer/formpicture.h"
#include "designer/freechoices.h"
#include "designer/itemlabel.h"
#include "designer/layoutunits.h"
#include "dialogs/placement.h"
#include "dialogs/tooleditform.h"
#include "print/formimage.h"
#include "print/printfont.h"
#include "session/prompter.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include <algorithm>

namespace mivora {

namespace {

constexpr int kDesignWidth = 620;
constexpr int kDesignHeight = 400;
// The amount cells lie between the labels of items 40 and 41.
constexpr int kLabelsUnderAmounts = 40;
// The scrolled area reaches this far below the lowest label.
constexpr int kVerticalMargin = 2;

QString shown(const std::string& cp932) {
    return QString::fromStdString(toUtf8(cp932));
}

std::string numbered(const char* prefix, int number) {
    return sj(prefix) + std::to_string(number);
}

} // namespace

TMivoraForm::TMivoraForm(Session& session, Forms& forms, QWidget* parent)
    : QDialog(parent), RestorePos1(*this), session_(session), forms_(forms) {
    setWindowTitle(QStringLiteral("Mivora For Win32"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    QFont windowFont = fontNamed(sj("ＭＳ Ｐゴシック"));
    windowFont.setPointSize(9);
    setFont(windowFont);
    setMaximumSize(kDesignWidth, kDesignHeight);

    for (int number = 1; number <= kSlotCount; ++number)
        slotFields_[static_cast<std::size_t>(number - 1)] = {
            numbered("項目", number), numbered("Ｘ座標", number), numbered("Ｙ座標", number),
            numbered("サイズ", number), numbered("項目", number)};
    DataSource1 = new DataSource(session_.layouts, this);
    DataSource2 = new DataSource(session_.freeData, this);
    buildDesignerWindow(*this);
    buildLabels();
    axes_ = {Axis{sj("Ｘ座標"), sj("印刷サイズＸ"), XPosDBEdit, XScrollBar, XPosPanel, true},
             Axis{sj("Ｙ座標"), sj("印刷サイズＹ"), YPosDBEdit, YScrollBar, YPosPanel, false}};
    resize(kDesignWidth, kDesignHeight);

    openTables();
    resolver_ = std::make_unique<ItemResolver>(session_, nullptr);
    session_.preparation.cellsChanged = [this] { mirrorAmountCells(); };
    mirrorAmountCells();
    bindControls();
    connectHandlers();
    RestorePos1.useNames(QStringLiteral("Mivora"), QStringLiteral("Print"));
    RestorePos1.restore();
    FormCreate();
    DBEdit2Change();
}

TMivoraForm::~TMivoraForm() {
    qApp->removeEventFilter(this);
    session_.layouts.beforePost = nullptr;
    session_.layouts.afterScroll = nullptr;
    session_.freeData.afterScroll = nullptr;
    session_.preparation.cellsChanged = nullptr;
}

// Stacked from the bottom: the picture, items 1 to 40, the amount cells, items 41
// to 60, so a later item covers an earlier one.
void TMivoraForm::buildLabels() {
    labelFont_ = fontNamed(sj("ＪＳゴシック"));
    for (int number = 1; number <= kSlotCount; ++number) {
        auto* label = new ItemLabel(number, ScrolledArea);
        label->setFont(labelFont_);
        label->hide();
        printLabels_[static_cast<std::size_t>(number - 1)] = label;
        if (number == kLabelsUnderAmounts)
            for (QLabel*& cell : expLabels_) {
                cell = new QLabel(ScrolledArea);
                cell->hide();
            }
    }
    PrintLabel1 = PrintLabel(1);
}

void TMivoraForm::openTables() {
    attempt([&] { session_.openDesignerTables(); });
    session_.layouts.beforePost = [this](Table&) { Table1BeforePost(); };
    // Moves made elsewhere (a start-up request, a print run) show in the controls too.
    session_.layouts.afterScroll = [this](Table&) { DataSource1->recordChanged(); };
    session_.freeData.afterScroll = [this](Table&) { DataSource2->recordChanged(); };
}

void TMivoraForm::bindControls() {
    const std::pair<DBEdit*, const char*> edits[] = {{DBEdit1, "印刷名"},
                                                     {DBEdit2, "印刷フォーム"},
                                                     {DBEdit3, "印刷サイズＸ"},
                                                     {DBEdit4, "印刷サイズＹ"}};
    for (const auto& [edit, field] : edits) {
        edit->setDataSource(DataSource1);
        edit->setDataField(sj(field));
    }
    // A paper of negative size has no place to put anything.
    DBEdit3->setNegativeAllowed(false);
    DBEdit4->setNegativeAllowed(false);
    const std::pair<DBCheckBox*, const char*> flags[] = {{CalDBCheckBox, "日付の表示"},
                                                         {DBCheckBox1, "連続印刷"},
                                                         {CheckBox1, "印刷フォームの印刷"}};
    for (const auto& [box, field] : flags) {
        box->setDataSource(DataSource1);
        box->setDataField(sj(field));
    }
    for (DBComboBox* box : {MenuDBComboBox, LenDBComboBox, FSizDBComboBox})
        box->setDataSource(DataSource1);
    for (const Axis& axis : axes_)
        axis.edit->setDataSource(DataSource1);
    FreeDBComboBox->setDataSource(DataSource2);
    MenuDBComboBox->setDataField(slot(1).item);
    FreeDBComboBox->setDataField(slot(1).freeItem);
    YPosDBEdit->setDataField(slot(1).y);
    XPosDBEdit->setDataField(slot(1).x);
    FSizDBComboBox->setDataField(slot(1).size);
}

void TMivoraForm::connectHandlers() {
    connect(DBNavigator1, &DBNavigator::clicked, this, &TMivoraForm::DBNavigator1Click);
    connect(DBNavigator1, &DBNavigator::failed, this,
            [this](const QString& message) { report(message.toStdString()); });
    connect(DBEdit2, &DBEdit::changed, this, &TMivoraForm::DBEdit2Change);
    connect(DBEdit3, &DBEdit::changed, this, &TMivoraForm::DBEdit3Change);
    connect(DBEdit4, &DBEdit::changed, this, &TMivoraForm::DBEdit3Change);
    connect(ReadButton, &QPushButton::clicked, this, &TMivoraForm::ReadButtonClick);
    connect(ScaleComboBox, &QComboBox::currentTextChanged, this, &TMivoraForm::FormPaint);
    connect(CalDBCheckBox, &DBCheckBox::changed, this, &TMivoraForm::FormPaint);
    connect(OKBtn, &QPushButton::clicked, this, &TMivoraForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TMivoraForm::CancelBtnClick);
    connect(CheckBox2, &QCheckBox::clicked, this, &TMivoraForm::CheckBox2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TMivoraForm::SpeedButton1Click);

    connect(NoScrollBar, &QScrollBar::valueChanged, this, &TMivoraForm::NoScrollBarChange);
    for (ItemLabel* label : printLabels_) {
        // The arrow keys then move the item just clicked.
        connect(label, &ItemLabel::pressed, ScrollBox1, qOverload<>(&QWidget::setFocus));
        connect(label, &ItemLabel::pressed, this, &TMivoraForm::PrintLabelClick);
        connect(label, &ItemLabel::dropped, this, &TMivoraForm::PrintLabelDrop);
    }
    connect(MenuDBComboBox, &DBComboBox::changed, this, &TMivoraForm::MenuDBComboBoxChange);
    connect(XScrollBar, &QScrollBar::valueChanged, this, &TMivoraForm::XScrollBarChange);
    connect(YScrollBar, &QScrollBar::valueChanged, this, &TMivoraForm::YScrollBarChange);
    connect(XPosDBEdit, &DBEdit::changed, this, &TMivoraForm::XPosDBEditChange);
    connect(YPosDBEdit, &DBEdit::changed, this, &TMivoraForm::YPosDBEditChange);
    connect(FSizDBComboBox, &DBComboBox::changed, this, &TMivoraForm::FSizDBComboBoxClick);
    // The font dialog opens once the click that asked for it is over.
    connect(FSizDBComboBox, &DBComboBox::doubleClicked, this, &TMivoraForm::Edit1Click,
            Qt::QueuedConnection);
    connect(LenDBComboBox, &DBComboBox::changed, this, &TMivoraForm::LenDBComboBoxChange);
    connect(FreeDBComboBox, &DBComboBox::changed, this, &TMivoraForm::FreeDBComboBoxChange);

    // Enter, the arrow keys of the preview and the clicks on Edit1 are seen before
    // any control of the window gets them.
    qApp->installEventFilter(this);
}

// ---- Window and layout records -------------------------------------------------

void TMivoraForm::FormCreate() {
    const std::filesystem::path& folder = session_.settings.programDir;
    OpenDialog1->setDirectory(QString::fromStdString(pathText(folder)));
    current_ = 1;
    Edit1->setText(shown(sj("ＪＳゴシック")));
    attempt([&] {
        if (const auto choices = rebuildPrnFree(folder)) {
            QStringList list;
            for (const std::string& line : *choices)
                list << shown(line);
            FreeDBComboBox->setChoices(list);
        }
        layoutNames_.read(folder / "PrintName.INI");
        const std::string fontName = printFontName(folder);
        Edit1->setText(shown(fontName));
        setLabelFontName(fontName);
    });
}

void TMivoraForm::Table1BeforePost() {
    const Table& layouts = session_.layouts;
    const std::string key =
        layouts.state() == TableState::Insert ? "-1" : std::to_string(layouts.recNo());
    layoutNames_.upkeep(key, layouts.text(sj("印刷名")));
}

// Without its table the designer knows no layouts, and leaves the file as it is.
bool TMivoraForm::FormCloseQuery() {
    if (!session_.layouts.active())
        return true;
    return attempt([&] {
        layoutNames_.write(session_.settings.programDir / "PrintName.INI",
                           session_.layouts.recordCount());
    });
}

void TMivoraForm::done(int result) {
    if (FormCloseQuery())
        QDialog::done(result);
}

void TMivoraForm::DBNavigator1Click() {
    FormPaint();
}

void TMivoraForm::DBEdit3Change() {
    attempt([&] { postLayoutIfEdited(); });
    FormPaint();
}

void TMivoraForm::ReadButtonClick() {
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty())
        return;
    useFormFile(OpenDialog1->selectedFiles().constFirst());
}

// Form images are looked up in the program directory: only the bare name is kept.
void TMivoraForm::useFormFile(const QString& path) {
    Table& layouts = session_.layouts;
    if (!layouts.active())
        return;
    attempt([&] {
        const std::string name = fromUtf8(QFileInfo(path).completeBaseName().toStdString());
        layouts.edit();
        DataSource1->setText(sj("印刷フォーム"), name);
    });
}

// A picture that cannot be read leaves the one shown before.
void TMivoraForm::DBEdit2Change() {
    if (!session_.layouts.active())
        return;
    // Never shown larger than the paper in dots (scale 1).
    const FormImage form =
        loadFormImage(session_.settings.programDir, session_.layouts.text(sj("印刷フォーム")),
                      QSize(paperDotsOf(axes_[0]), paperDotsOf(axes_[1])));
    if (!form.problem.empty())
        report(form.problem);
    else if (!form.image.isNull())
        Image1->setPicture(form.image);
}

void TMivoraForm::OKBtnClick() {
    const bool stored = attempt([&] {
        postLayoutIfEdited();
        // The input record is stored even when the table was empty and got it just now.
        if (session_.freeData.active() && session_.freeData.state() != TableState::Browse)
            session_.freeData.post();
    });
    if (stored)
        accept();
}

// A new layout being added is left as it is: the next move stores it, or drops it
// when nothing was filled in.
void TMivoraForm::CancelBtnClick() {
    for (DataSource* source : {DataSource1, DataSource2})
        if (source->table().active() && source->table().state() == TableState::Edit) {
            source->table().cancel();
            source->recordChanged();
        }
    reject();
}

void TMivoraForm::FormResize() {
    if (width() > kDesignWidth || height() > kDesignHeight)
        resize(std::min(width(), kDesignWidth), std::min(height(), kDesignHeight));
    placeInThirds(*OKBtn, *CancelBtn, BtnPanel->width());
    SpeedButton1->move(BtnPanel->width() - SpeedButton1->width() - 8, SpeedButton1->y());
}

bool TMivoraForm::FormKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    focusNextChild();
    return true;
}

void TMivoraForm::CheckBox2Click() {
    PosSetPanel->setVisible(CheckBox2->isChecked());
}

void TMivoraForm::SpeedButton1Click() {
    if (forms_.toolEdit)
        forms_.toolEdit->exec();
}

void TMivoraForm::mirrorAmountCells() {
    const auto& cells = session_.preparation.amountCells;
    for (std::size_t i = 0; i < expLabels_.size(); ++i)
        expLabels_[i]->setText(shown(cells[i]));
}

QStringList TMivoraForm::freeChoices() const {
    QStringList choices;
    for (int i = 0; i < FreeDBComboBox->count(); ++i)
        choices << FreeDBComboBox->itemText(i);
    return choices;
}

// ---- Preview ---------------------------------------------------------------------

int TMivoraForm::scale() const {
    return previewScale(ScaleComboBox->currentText().toStdString());
}

int TMivoraForm::paperDotsOf(const Axis& axis) const {
    return paperDots(session_.layouts.integer(axis.paperField));
}

// Item 1 becomes the current item, whatever was chosen before, and never lies
// beyond the paper afterwards.
void TMivoraForm::FormPaint() {
    if (!session_.layouts.active())
        return;
    attempt([&] {
        current_ = 1;
        NoPanel->setText(QStringLiteral("1"));
        if (NoScrollBar->value() != 1)
            NoScrollBar->setValue(1);
        else
            for (const Axis& axis : axes_)
                showPosition(axis);
        const int divisor = scale();
        for (const Axis& axis : axes_)
            axis.bar->setMaximum(paperDotsOf(axis));
        Image1->resize(std::min(paperDotsOf(axes_[0]) / divisor, QWIDGETSIZE_MAX),
                       std::min(paperDotsOf(axes_[1]) / divisor, QWIDGETSIZE_MAX));
        ScrollBox1->horizontalScrollBar()->setValue(0);
        ScrollBox1->verticalScrollBar()->setValue(0);
        for (int number = 1; number <= kSlotCount; ++number)
            showItem(number);
        fitScrolledArea();
        MenuDBComboBoxChange();
    });
}

void TMivoraForm::showItem(int number) {
    const Table& layouts = session_.layouts;
    const SlotFields& fields = slot(number);
    ItemLabel& label = *PrintLabel(number);
    const int divisor = scale();
    const std::string text = resolve(layouts.text(fields.item), number).text;
    label.setText(shown(text));
    label.move(layouts.integer(fields.x) / divisor, layouts.integer(fields.y) / divisor);
    setLabelSize(label, scaledFontSize(layouts.integer(fields.size), divisor));
    label.adjustSize();
    label.setVisible(!text.empty());
}

// The preview shows what the resolver makes of an item, or nothing; it never asks
// and never reports, since it runs at every paint.
ResolvedItem TMivoraForm::resolve(const std::string& itemText, int number) {
    try {
        return resolver_->MenuTextCheck(itemText, number, ResolveMode::Preview);
    } catch (const Error&) {
        return {};
    }
}

void TMivoraForm::showOnLabel(ItemLabel& label, const std::string& text) {
    label.setText(shown(text));
    label.adjustSize();
    label.setVisible(!text.empty());
    fitScrolledArea();
}

// A size of nothing takes the window's own size.
void TMivoraForm::setLabelSize(ItemLabel& label, int points) {
    QFont font = labelFont_;
    font.setPointSize(points > 0 ? points : this->font().pointSize());
    if (label.font() != font)
        label.setFont(font);
}

void TMivoraForm::setLabelFontName(const std::string& name) {
    labelFont_ = fontNamed(name);
    for (ItemLabel* label : printLabels_) {
        QFont font = labelFont_;
        font.setPointSize(label->font().pointSize());
        label->setFont(font);
        label->adjustSize();
    }
}

// The scroll box reaches over the picture and every label shown.
void TMivoraForm::fitScrolledArea() {
    QRect reach = Image1->geometry();
    for (const ItemLabel* label : printLabels_)
        if (!label->isHidden())
            reach = reach.united(label->geometry());
    ScrolledArea->resize(std::max(reach.right() + 1, 0),
                         std::max(reach.bottom() + 1 + kVerticalMargin, 0));
}

// ---- Placement of the current item ---------------------------------------------

void TMivoraForm::NoScrollBarChange() {
    attempt([&] { postLayoutIfEdited(); });
    current_ = NoScrollBar->value();
    NoPanel->setText(QString::number(current_));
    const SlotFields& fields = slot(current_);
    MenuDBComboBox->setDataField(fields.item);
    FreeDBComboBox->setDataField(fields.freeItem);
    YPosDBEdit->setDataField(fields.y);
    XPosDBEdit->setDataField(fields.x);
    FSizDBComboBox->setDataField(fields.size);
    MenuDBComboBoxChange();
}

void TMivoraForm::PrintLabelClick(int number) {
    NoScrollBar->setValue(number);
    NoScrollBarChange();
}

void TMivoraForm::MenuDBComboBoxChange() {
    static const std::string circleMarks[] = {sj("用途○印"), sj("自家用事業用の別○印"),
                                              sj("?用途○印"), sj("?自家用事業用の別○印")};
    const Table& layouts = session_.layouts;
    const std::string itemText = layouts.active() ? layouts.text(slot(current_).item) : "";
    const bool handWritten = !itemText.empty() && itemText.front() == '?';
    if (std::find(std::begin(circleMarks), std::end(circleMarks), itemText) !=
        std::end(circleMarks)) {
        LenDBComboBox->setDataField(handWritten ? itemText.substr(1) : itemText);
        LenDBComboBox->show();
        LenPanel->show();
    } else {
        LenDBComboBox->hide();
        LenPanel->hide();
    }
    FreeDBComboBox->setVisible(handWritten);
    const ResolvedItem resolved = resolve(itemText, current_);
    if (resolved.spacedDate) {
        LenDBComboBox->setDataField(sj("日付の幅"));
        LenDBComboBox->show();
        DateSPPanel->show();
    } else {
        DateSPPanel->hide();
        if (LenPanel->isHidden())
            LenDBComboBox->hide();
    }
    showOnLabel(*PrintLabel(current_), resolved.text);
}

const std::string& TMivoraForm::positionField(const Axis& axis, int number) const {
    return axis.horizontal ? slot(number).x : slot(number).y;
}

void TMivoraForm::XScrollBarChange() {
    positionBarChange(axes_[0]);
}

void TMivoraForm::YScrollBarChange() {
    positionBarChange(axes_[1]);
}

// A layout being added takes no position from the bars.
void TMivoraForm::positionBarChange(const Axis& axis) {
    Table& layouts = session_.layouts;
    if (!layouts.active())
        return;
    attempt([&] {
        layouts.edit();
        if (layouts.state() == TableState::Edit)
            DataSource1->setInteger(positionField(axis, current_), axis.bar->value());
    });
}

void TMivoraForm::XPosDBEditChange() {
    positionEditChange(axes_[0]);
}

void TMivoraForm::YPosDBEditChange() {
    positionEditChange(axes_[1]);
}

// Every keystroke and every step of a bar is stored at once.
void TMivoraForm::positionEditChange(const Axis& axis) {
    if (!session_.layouts.active())
        return;
    attempt([&] {
        postAndEditLayout();
        showPosition(axis);
    });
}

// The bar, the label and the millimetres follow the stored position. A position
// off the paper (beyond it, or below 0) is brought onto it and written back; the
// write comes back here through the edit.
void TMivoraForm::showPosition(const Axis& axis) {
    const std::string& field = positionField(axis, current_);
    const int dots = session_.layouts.integer(field);
    const int paper = paperDotsOf(axis);
    const int onPaper = std::clamp(dots, 0, paper);
    if (onPaper != dots) {
        DataSource1->setInteger(field, onPaper);
        return;
    }
    {
        // The bar only follows here; its range is this layout's paper, whatever
        // layout it showed before.
        const QSignalBlocker quiet(axis.bar);
        axis.bar->setMaximum(paper);
        axis.bar->setValue(dots);
    }
    placeLabel(*PrintLabel(current_), axis, dots);
    axis.millimetres->setText(QString::number(dotsToMillimetres(dots)));
}

// Labels stand in the scrolled area, so the scroll position is already allowed for.
void TMivoraForm::placeLabel(ItemLabel& label, const Axis& axis, int dots) {
    const int place = dots / scale();
    if (axis.horizontal)
        label.move(place, label.y());
    else
        label.move(label.x(), place);
    fitScrolledArea();
}

void TMivoraForm::placeCurrentLabel() {
    if (!session_.layouts.active())
        return;
    for (const Axis& axis : axes_)
        placeLabel(*PrintLabel(current_), axis,
                   session_.layouts.integer(positionField(axis, current_)));
}

void TMivoraForm::FSizDBComboBoxClick() {
    ItemLabel& label = *PrintLabel(current_);
    setLabelSize(label, scaledFontSize(leadingInteger(FSizDBComboBox->currentText().toStdString()),
                                       scale()));
    label.adjustSize();
    fitScrolledArea();
}

// The dialog's Cancel keeps the font it was given, so the same name and size are
// written back.
void TMivoraForm::Edit1Click() {
    Table& layouts = session_.layouts;
    const std::string& sizeField = slot(current_).size;
    const int storedSize = layouts.active() ? layouts.integer(sizeField) : 0;
    QFont given = PrintLabel1->font();
    if (storedSize > 0)
        given.setPointSize(storedSize);
    FontDialog1->setCurrentFont(given);
    const bool chosen = FontDialog1->exec() == QDialog::Accepted;
    const QFont font = chosen ? FontDialog1->selectedFont() : given;
    const int size = chosen ? font.pointSize() : storedSize;
    Edit1->setText(font.family());
    attempt([&] {
        const std::string name = fromUtf8(font.family().toStdString());
        if (layouts.active()) {
            layouts.edit();
            DataSource1->setInteger(sizeField, size);
        }
        setLabelFontName(name);
        writeLines(session_.settings.programDir / "CarFont.INI", {name});
    });
    FSizDBComboBoxClick();
}

void TMivoraForm::LenDBComboBoxChange() {
    attempt([&] { postAndEditLayout(); });
    MenuDBComboBoxChange();
}

void TMivoraForm::FreeDBComboBoxChange() {
    Table& freeData = session_.freeData;
    attempt([&] {
        if (freeData.active() && freeData.state() != TableState::Browse)
            freeData.post();
    });
    MenuDBComboBoxChange();
}

// ---- Moving items with the mouse and the keys ------------------------------------

// The label went distance pixels; at scale s that is s times as many dots.
void TMivoraForm::PrintLabelDrop(int number, QPoint distance) {
    if (number != current_)
        PrintLabelClick(number);
    if (session_.layouts.active()) {
        const int divisor = scale();
        const Table& layouts = session_.layouts;
        moveCurrentItemTo(axes_[0], layouts.integer(slot(number).x) + distance.x() * divisor);
        moveCurrentItemTo(axes_[1], layouts.integer(slot(number).y) + distance.y() * divisor);
    }
    placeCurrentLabel();
}

void TMivoraForm::MoveCurrentItem(int dx, int dy) {
    if (!session_.layouts.active())
        return;
    const Table& layouts = session_.layouts;
    moveCurrentItemTo(axes_[0], layouts.integer(slot(current_).x) + dx);
    moveCurrentItemTo(axes_[1], layouts.integer(slot(current_).y) + dy);
    placeCurrentLabel();
}

// Through the bar, so the position is stored and kept on the paper as the bar keeps it.
void TMivoraForm::moveCurrentItemTo(const Axis& axis, int dots) {
    axis.bar->setValue(std::clamp(dots, axis.bar->minimum(), axis.bar->maximum()));
}

bool TMivoraForm::previewKeyPress(int key, Qt::KeyboardModifiers modifiers) {
    const int step = modifiers & Qt::ShiftModifier ? 10 : 1;
    switch (key) {
    case Qt::Key_Left:
        MoveCurrentItem(-step, 0);
        return true;
    case Qt::Key_Right:
        MoveCurrentItem(step, 0);
        return true;
    case Qt::Key_Up:
        MoveCurrentItem(0, -step);
        return true;
    case Qt::Key_Down:
        MoveCurrentItem(0, step);
        return true;
    default:
        return false;
    }
}

// ---- Events ------------------------------------------------------------------------

bool TMivoraForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == ScrollBox1 && previewKeyPress(key->key(), key->modifiers()))
            return true;
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this)
            return FormKeyPress(key->key());
    }
    if (watched == Edit1 && event->type() == QEvent::MouseButtonPress) {
        QMetaObject::invokeMethod(this, &TMivoraForm::Edit1Click, Qt::QueuedConnection);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TMivoraForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormPaint();
}

void TMivoraForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
    FormPaint();
}

// ---- Table states --------------------------------------------------------------------

void TMivoraForm::postLayoutIfEdited() {
    Table& layouts = session_.layouts;
    if (layouts.active() && layouts.state() == TableState::Edit)
        layouts.post();
}

void TMivoraForm::postAndEditLayout() {
    Table& layouts = session_.layouts;
    if (layouts.state() != TableState::Edit)
        return;
    layouts.post();
    layouts.edit();
}

void TMivoraForm::report(const std::string& message) {
    if (forms_.prompter)
        forms_.prompter->showError(message);
}

bool TMivoraForm::attempt(const std::function<void()>& work) {
    try {
        work();
    } catch (const Error& error) {
        report(error.what());
        return false;
    }
    return true;
}

} // namespace mivora
