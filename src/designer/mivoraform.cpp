#include "designer/mivoraform.h"

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
#include "dialogs/fontchooser.h"
#include "dialogs/forms.h"
#include "dialogs/placement.h"
#include "dialogs/tooleditform.h"
#include "print/formimage.h"
#include "print/printfont.h"
#include "session/prompter.h"
#include "text/codec.h"
#include "text/errors.h"
#include "text/filenames.h"
#include "text/lines.h"
#include "text/sjis.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
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

// With Japanese input on, "?" comes as the full-width "？"; at the start of an item
// name the clerk means the mark of a hand-written item.
QString withHandWrittenMark(const QString& typed) {
    return typed.startsWith(u'？') ? u'?' + typed.mid(1) : typed;
}

void showIfNeeded(QWidget& widget, bool visible) {
    if (widget.isHidden() == visible)
        widget.setVisible(visible);
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
    for (const SlotFields& fields : slotFields_)
        placementFields_.insert(placementFields_.end(),
                                {fields.item, fields.x, fields.y, fields.size});
    for (const char* width : {"用途○印", "自家用事業用の別○印", "日付の幅"})
        placementFields_.push_back(sj(width));
    DataSource1 = new DataSource(session_.layouts, this);
    DataSource2 = new DataSource(session_.freeData, this);
    buildDesignerWindow(*this);
    // The smallest window in which nothing overlaps, placement panel included,
    // told to the window system before the window shows.
    setMinimumSize(layout()->totalMinimumSize());
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
    startHistory();
}

TMivoraForm::~TMivoraForm() {
    qApp->removeEventFilter(this);
    attempt([&] { storeNewLayout(); });
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
    // A paper of negative size has no place to put anything. A half-typed size
    // stays in the edit: a refresh on it would pull item 1 back onto it.
    for (DBEdit* paper : {DBEdit3, DBEdit4}) {
        paper->setNegativeAllowed(false);
        paper->setWriteOnFinish(true);
    }
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
    MenuDBComboBox->setTypingRule(withHandWrittenMark);
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
    connect(DBNavigator1, &DBNavigator::aboutToAct, this, &TMivoraForm::DBEdit3Change);
    for (DataSource* source : {DataSource1, DataSource2})
        connect(source, &DataSource::refused, this, &TMivoraForm::report);
    connect(DBEdit3, &DBEdit::finished, this, &TMivoraForm::DBEdit3Change);
    connect(DBEdit4, &DBEdit::finished, this, &TMivoraForm::DBEdit3Change);
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
    connect(MenuDBComboBox, &DBComboBox::changed, this, [this] {
        MenuDBComboBoxChange();
        notePlacement();
    });
    connect(UndoButton, &QToolButton::clicked, this, &TMivoraForm::UndoBtnClick);
    connect(RedoButton, &QToolButton::clicked, this, &TMivoraForm::RedoBtnClick);
    connect(UndoAction, &QAction::triggered, this, &TMivoraForm::UndoBtnClick);
    connect(RedoAction, &QAction::triggered, this, &TMivoraForm::RedoBtnClick);
    connect(XScrollBar, &QScrollBar::valueChanged, this, &TMivoraForm::XScrollBarChange);
    connect(YScrollBar, &QScrollBar::valueChanged, this, &TMivoraForm::YScrollBarChange);
    connect(XPosDBEdit, &DBEdit::changed, this, &TMivoraForm::XPosDBEditChange);
    connect(YPosDBEdit, &DBEdit::changed, this, &TMivoraForm::YPosDBEditChange);
    connect(FSizDBComboBox, &DBComboBox::changed, this, &TMivoraForm::FSizDBComboBoxClick);
    // The font chooser opens once the click that asked for it is over.
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
        layoutNames_.read(findFile(folder, "PrintName.INI"));
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
        layoutNames_.write(findFile(session_.settings.programDir, "PrintName.INI"),
                           session_.layouts.recordCount());
    });
}

// A new layout filled in is never left pending behind a closed window, where the
// end of the program would lose it.
void TMivoraForm::storeNewLayout() {
    Table& layouts = session_.layouts;
    if (!layouts.active() || layouts.state() != TableState::Insert)
        return;
    if (isBlankRecord(layouts))
        layouts.cancel();
    else
        layouts.post();
    DataSource1->recordChanged();
}

void TMivoraForm::done(int result) {
    if (!attempt([&] { storeNewLayout(); }))
        return;
    if (!FormCloseQuery())
        return;
    startHistory();
    QDialog::done(result);
}

void TMivoraForm::DBNavigator1Click() {
    FormPaint();
    startHistory();
}

// The paper size is taken when its edit is finished (Enter, the focus leaving, OK,
// a move to another layout); the refresh then keeps item 1 on the new paper.
void TMivoraForm::DBEdit3Change() {
    if (takePaperSizes())
        FormPaint();
}

// Whether a typed size was taken; one out of bounds is refused with a message and
// the edit shows the stored size again.
bool TMivoraForm::takePaperSizes() {
    bool taken = false;
    for (DBEdit* paper : {DBEdit3, DBEdit4}) {
        if (!paper->pending() || !session_.layouts.active())
            continue;
        const QString typed = paper->text();
        const int millimetres = leadingInteger(typed.toStdString());
        if (typed.isEmpty() || millimetres < 1 || millimetres > kLargestPaperMillimetres) {
            report("印刷サイズは 1～" + std::to_string(kLargestPaperMillimetres) +
                   " mm の範囲で入力してください。");
            paper->revert();
            continue;
        }
        const bool stored = attempt([&] {
            DataSource1->setText(paper->dataField(), typed.toStdString());
            postLayoutIfEdited();
        });
        taken = taken || stored;
    }
    return taken;
}

void TMivoraForm::ReadButtonClick() {
    if (!storeTyped())
        return;
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
    else if (!form.blankProblem.empty())
        report(form.blankProblem);
    else if (!form.image.isNull())
        Image1->setPicture(form.image);
}

void TMivoraForm::OKBtnClick() {
    DBEdit3Change();
    const bool stored = attempt([&] {
        postLayoutIfEdited();
        storeNewLayout();
        // The input record is stored even when the table was empty and got it just now.
        postInputIfEdited();
    });
    if (stored)
        accept();
}

// A new layout being added is left as it is: the close stores it, or drops it
// when nothing was filled in.
void TMivoraForm::CancelBtnClick() {
    for (DBEdit* paper : {DBEdit3, DBEdit4})
        paper->revert();
    for (DataSource* source : {DataSource1, DataSource2})
        if (source->table().active() && source->table().state() == TableState::Edit) {
            source->table().cancel();
            source->recordChanged();
        }
    QDialog::reject();
}

void TMivoraForm::reject() {
    CancelBtnClick();
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
    if (!storeTyped())
        return;
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
    const bool circleWidth = std::find(std::begin(circleMarks), std::end(circleMarks), itemText) !=
                             std::end(circleMarks);
    const ResolvedItem resolved = resolve(itemText, current_);
    if (resolved.spacedDate)
        LenDBComboBox->setDataField(sj("日付の幅"));
    else if (circleWidth)
        LenDBComboBox->setDataField(handWritten ? itemText.substr(1) : itemText);
    // Each box is shown or hidden once, and only when that changes: hiding the box
    // the person types in, even for a moment, would send the next keys elsewhere.
    showIfNeeded(*LenPanel, circleWidth);
    showIfNeeded(*DateSPPanel, resolved.spacedDate);
    showIfNeeded(*LenDBComboBox, circleWidth || resolved.spacedDate);
    showIfNeeded(*FreeDBComboBox, handWritten);
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

// A layout being added takes its positions from the bars as a stored one does;
// they are stored with it.
void TMivoraForm::positionBarChange(const Axis& axis) {
    Table& layouts = session_.layouts;
    if (!layouts.active())
        return;
    attempt([&] { DataSource1->setInteger(positionField(axis, current_), axis.bar->value()); });
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
    notePlacement();
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
    notePlacement();
}

FontChooser* TMivoraForm::fontChooser() {
    if (!fontChooser_)
        fontChooser_ = new FontChooser(this);
    return fontChooser_;
}

// The chooser knows the families that are drawn, not the names that stand for them
// (ＪＳゴシック is drawn with IPAGothic): it opens on the family drawn, and a family
// left as it was keeps the name that was set. Its Cancel keeps the font it was
// given, so the same name and size are written back. What was typed is stored
// before it opens.
void TMivoraForm::Edit1Click() {
    if (!storeTyped())
        return;
    Table& layouts = session_.layouts;
    const std::string& sizeField = slot(current_).size;
    const int storedSize = layouts.active() ? layouts.integer(sizeField) : 0;
    QFont given = PrintLabel1->font();
    given.setFamily(QFontInfo(given).family());
    if (storedSize > 0)
        given.setPointSize(storedSize);
    const std::optional<QFont> chosen = fontChooser()->choose(given);
    const QFont font = chosen.value_or(given);
    const int size = chosen ? font.pointSize() : storedSize;
    const QString family = font.family() == given.family() ? labelFont_.family() : font.family();
    Edit1->setText(family);
    attempt([&] {
        const std::string name = fromUtf8(family.toStdString());
        if (layouts.active()) {
            layouts.edit();
            DataSource1->setInteger(sizeField, size);
        }
        setLabelFontName(name);
        writeLines(findFile(session_.settings.programDir, "CarFont.INI"), {name});
    });
    FSizDBComboBoxClick();
}

void TMivoraForm::LenDBComboBoxChange() {
    attempt([&] { postAndEditLayout(); });
    MenuDBComboBoxChange();
    notePlacement();
}

void TMivoraForm::FreeDBComboBoxChange() {
    attempt([&] { postInputIfEdited(); });
    MenuDBComboBoxChange();
    notePlacement();
}

// ---- Moving items with the mouse and the keys ------------------------------------

// The label went distance pixels; at scale s that is s times as many dots.
// A drop is one step of the history, as is a move by a key.
void TMivoraForm::PrintLabelDrop(int number, QPoint distance) {
    if (number != current_)
        PrintLabelClick(number);
    const int divisor = scale();
    MoveCurrentItem(distance.x() * divisor, distance.y() * divisor);
}

void TMivoraForm::MoveCurrentItem(int dx, int dy) {
    if (!session_.layouts.active())
        return;
    const Table& layouts = session_.layouts;
    const int x = layouts.integer(slot(current_).x) + dx;
    const int y = layouts.integer(slot(current_).y) + dy;
    ++stepDepth_;
    moveCurrentItemTo(axes_[0], x);
    moveCurrentItemTo(axes_[1], y);
    --stepDepth_;
    placeCurrentLabel();
    notePlacement();
}

// Through the bar, so the position is stored and kept on the paper as the bar keeps it.
void TMivoraForm::moveCurrentItemTo(const Axis& axis, int dots) {
    axis.bar->setValue(std::clamp(dots, axis.bar->minimum(), axis.bar->maximum()));
}

// A scroll bar's own arrow keys run against its wheel (Right lowers it): here Left
// and Up lower a bar and Right and Down raise it, as the position on the paper goes.
bool TMivoraForm::barKeyPress(QScrollBar& bar, const QKeyEvent& key) {
    if (key.modifiers() != Qt::NoModifier)
        return false;
    if (key.key() == Qt::Key_Left || key.key() == Qt::Key_Up)
        bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (key.key() == Qt::Key_Right || key.key() == Qt::Key_Down)
        bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else
        return false;
    return true;
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

// ---- Undo and redo ---------------------------------------------------------------

PlacementHistory::Values TMivoraForm::placementValues() const {
    PlacementHistory::Values values;
    const Table& layouts = session_.layouts;
    if (!layouts.active())
        return values;
    values.reserve(placementFields_.size() + slotFields_.size());
    for (const std::string& field : placementFields_)
        values.push_back(layouts.text(field));
    const Table& freeData = session_.freeData;
    for (const SlotFields& fields : slotFields_)
        values.push_back(freeData.active() ? freeData.text(fields.freeItem) : std::string());
    return values;
}

void TMivoraForm::startHistory() {
    history_.start(placementValues());
    showHistoryButtons();
}

void TMivoraForm::notePlacement() {
    if (restoring_ || stepDepth_ > 0)
        return;
    history_.note(placementValues());
    showHistoryButtons();
}

void TMivoraForm::showHistoryButtons() {
    UndoButton->setEnabled(history_.canUndo());
    RedoButton->setEnabled(history_.canRedo());
    UndoAction->setEnabled(history_.canUndo());
    RedoAction->setEnabled(history_.canRedo());
}

void TMivoraForm::UndoBtnClick() {
    if (history_.canUndo())
        restorePlacement(history_.undo());
    showHistoryButtons();
}

void TMivoraForm::RedoBtnClick() {
    if (history_.canRedo())
        restorePlacement(history_.redo());
    showHistoryButtons();
}

// The values go back through the data sources and are stored, as the controls
// would have stored them; the preview and the controls then show them.
void TMivoraForm::restorePlacement(const PlacementHistory::Values& values) {
    if (values.size() != placementFields_.size() + slotFields_.size())
        return;
    restoring_ = true;
    attempt([&] {
        const Table& layouts = session_.layouts;
        for (std::size_t i = 0; i < placementFields_.size(); ++i)
            if (layouts.text(placementFields_[i]) != values[i])
                DataSource1->setText(placementFields_[i], values[i]);
        postLayoutIfEdited();
        Table& freeData = session_.freeData;
        if (!freeData.active())
            return;
        for (std::size_t i = 0; i < slotFields_.size(); ++i) {
            const std::string& value = values[placementFields_.size() + i];
            if (freeData.text(slotFields_[i].freeItem) != value)
                DataSource2->setText(slotFields_[i].freeItem, value);
        }
        if (freeData.state() != TableState::Browse)
            freeData.post();
    });
    for (int number = 1; number <= kSlotCount; ++number)
        showItem(number);
    for (const Axis& axis : axes_)
        showPosition(axis);
    MenuDBComboBoxChange();
    restoring_ = false;
}

namespace {

// The box the person types in that has the key, if the key went to one.
QLineEdit* textBox(QObject* watched) {
    if (auto* box = qobject_cast<QComboBox*>(watched); box && box->isEditable())
        return box->lineEdit();
    auto* edit = qobject_cast<QLineEdit*>(watched);
    return edit && !edit->isReadOnly() ? edit : nullptr;
}

} // namespace

// A text box undoes its own typing with Ctrl+Z; Ctrl+Y, which is no redo key of
// the text boxes here, is taken from the window's menu for the box as well.
bool TMivoraForm::textBoxKeyPress(QObject* watched, QEvent& event) {
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (key.modifiers() != Qt::ControlModifier || key.key() != Qt::Key_Y)
        return false;
    QLineEdit* edit = textBox(watched);
    if (!edit)
        return false;
    if (event.type() == QEvent::ShortcutOverride)
        event.accept();
    else
        edit->redo();
    return true;
}

// ---- Events ------------------------------------------------------------------------

bool TMivoraForm::eventFilter(QObject* watched, QEvent* event) {
    const bool ours = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
    if (ours && event->type() == QEvent::ShortcutOverride && textBoxKeyPress(watched, *event))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == ScrollBox1 && previewKeyPress(key->key(), key->modifiers()))
            return true;
        if (auto* bar = qobject_cast<QScrollBar*>(watched); bar && ours && barKeyPress(*bar, *key))
            return true;
        // The font name box is a button to the font chooser for the keyboard too.
        if (watched == Edit1 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                 key->key() == Qt::Key_Space)) {
            QMetaObject::invokeMethod(this, &TMivoraForm::Edit1Click, Qt::QueuedConnection);
            return true;
        }
        if (ours)
            return textBoxKeyPress(watched, *event) || FormKeyPress(key->key());
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
    startHistory();
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

// Before a window of the designer opens over it, what was typed is stored: the
// paper sizes as leaving their boxes stores them, the layout and the input record
// as OK stores them (a new layout only once something was filled in), so that
// nothing typed hangs on the window staying open. A store refused has been said,
// and the window does not open.
bool TMivoraForm::storeTyped() {
    DBEdit3Change();
    return attempt([&] {
        postLayoutIfEdited();
        Table& layouts = session_.layouts;
        if (layouts.active() && layouts.state() == TableState::Insert && !isBlankRecord(layouts))
            storeNewLayout();
        postInputIfEdited();
    });
}

void TMivoraForm::postInputIfEdited() {
    Table& freeData = session_.freeData;
    if (freeData.active() && freeData.state() != TableState::Browse)
        freeData.post();
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

// A post refused because another PC changed the record has read it anew: the
// controls show it as it now is, and the person gets what they typed in the
// message, never left in a box for the next keystroke to store over the other
// PC's change.
bool TMivoraForm::attempt(const std::function<void()>& work) {
    const std::array<DataSource*, 2> sources = {DataSource1, DataSource2};
    std::array<std::string, 2> typed;
    for (std::size_t i = 0; i < sources.size(); ++i)
        if (sources[i] && sources[i]->table().active())
            typed[i] = sources[i]->table().pendingEditNote();
    try {
        work();
    } catch (const Error& error) {
        std::string message = error.what();
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (typed[i].empty() || sources[i]->table().state() != TableState::Browse)
                continue;
            sources[i]->recordChanged();
            message += typed[i];
        }
        report(message);
        return false;
    }
    return true;
}

} // namespace mivora
