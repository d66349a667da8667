#include "dialogs/fontchooser.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHash>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace mivora {

namespace {

constexpr int kLargestSize = 512;
constexpr int kDefaultSize = 12;
const QString kRegular = QStringLiteral("標準");

// The families that have Japanese glyphs; where none has (a machine without a
// Japanese font), every family. Windows' vertical fonts ("@ＭＳ ゴシック") lie on
// their side and are never offered.
QStringList japaneseFamilies() {
    QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    if (families.isEmpty())
        families = QFontDatabase::families();
    QStringList offered;
    for (const QString& family : families)
        if (!family.startsWith(u'@') && !QFontDatabase::isPrivateFamily(family))
            offered << family;
    return offered;
}

QListWidgetItem* findRow(const QListWidget& list, const QString& text, int role) {
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row)->data(role).toString() == text)
            return list.item(row);
    return nullptr;
}

} // namespace

// The words of weights follow the names a Japanese type catalogue gives them.
QString japaneseStyleName(const QString& style) {
    static const QHash<QString, QString> words{
        {QStringLiteral("Regular"), kRegular},
        {QStringLiteral("Normal"), kRegular},
        {QStringLiteral("Roman"), kRegular},
        {QStringLiteral("Book"), kRegular},
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

FontChooser::FontChooser(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("フォントの選択"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    familyList = new QListWidget(this);
    familyList->addItems(japaneseFamilies());
    styleList = new QListWidget(this);
    sizeBox = new QLineEdit(this);
    sizeBox->setValidator(new QIntValidator(1, kLargestSize, sizeBox));
    sizeList = new QListWidget(this);
    for (int points : QFontDatabase::standardSizes())
        sizeList->addItem(QString::number(points));
    // A list that shows its names in full, and narrow columns of numbers.
    familyList->setMinimumWidth(familyList->fontMetrics().horizontalAdvance(u'あ') * 14);
    for (QWidget* narrow : {static_cast<QWidget*>(sizeBox), static_cast<QWidget*>(sizeList)})
        narrow->setMaximumWidth(sizeBox->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 10);

    auto* sampleBox = new QGroupBox(QStringLiteral("サンプル"), this);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sample = new QLabel(QStringLiteral("あア亜 ＡＢＣ 123"), sampleBox);
    sample->setAlignment(Qt::AlignCenter);
    // However large the size, the window keeps its size: the sample is cut.
    sample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    sample->setMinimumHeight(80);
    sampleLayout->addWidget(sample);

    auto* buttons = new QDialogButtonBox(this);
    okButton = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    cancelButton = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    okButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    const std::pair<const char*, QWidget*> captions[] = {
        {"フォント名(&F):", familyList}, {"スタイル(&Y):", styleList}, {"サイズ(&S):", sizeBox}};
    for (int column = 0; column < 3; ++column) {
        auto* caption = new QLabel(QString::fromUtf8(captions[column].first), this);
        caption->setBuddy(captions[column].second);
        grid->addWidget(caption, 0, column);
    }
    grid->addWidget(familyList, 1, 0, 2, 1);
    grid->addWidget(styleList, 1, 1, 2, 1);
    grid->addWidget(sizeBox, 1, 2);
    grid->addWidget(sizeList, 2, 2);
    grid->addWidget(sampleBox, 3, 0, 1, 3);
    grid->addWidget(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(2, 1);
    setTabOrder(familyList, styleList);
    setTabOrder(styleList, sizeBox);
    setTabOrder(sizeBox, sizeList);
    setTabOrder(sizeList, okButton);
    setTabOrder(okButton, cancelButton);

    connect(familyList, &QListWidget::currentRowChanged, this, [this] {
        showStyles(chosenStyle());
        showSample();
    });
    connect(styleList, &QListWidget::currentRowChanged, this, &FontChooser::showSample);
    // The list marks the size typed, when it has it.
    connect(sizeBox, &QLineEdit::textEdited, this, [this](const QString& typed) {
        const int points = typed.toInt();
        if (points < 1)
            return;
        size_ = points;
        const QSignalBlocker quiet(sizeList);
        QListWidgetItem* listed = findRow(*sizeList, typed, Qt::DisplayRole);
        sizeList->setCurrentItem(listed);
        if (!listed)
            sizeList->clearSelection();
        showSample();
    });
    connect(sizeList, &QListWidget::currentTextChanged, this, [this](const QString& listed) {
        if (listed.toInt() > 0)
            showSize(listed.toInt());
    });
}

std::optional<QFont> FontChooser::choose(const QFont& font) {
    setCurrentFont(font);
    familyList->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return currentFont();
}

// A name the list spells otherwise (Windows lists "IPAゴシック", and draws it for
// "IPAGothic") opens on the family drawn; a family the list lacks (one without
// Japanese glyphs) is offered on top, so that leaving it as it was keeps it.
void FontChooser::setCurrentFont(const QFont& font) {
    QListWidgetItem* item = findRow(*familyList, font.family(), Qt::DisplayRole);
    const QString drawn = QFontInfo(font).family();
    if (!item)
        item = findRow(*familyList, drawn, Qt::DisplayRole);
    if (!item && !drawn.isEmpty()) {
        familyList->insertItem(0, drawn);
        item = familyList->item(0);
    }
    {
        const QSignalBlocker quiet(familyList);
        familyList->setCurrentItem(item);
    }
    if (item)
        familyList->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    showStyles(font.styleName());
    showSize(font.pointSize() > 0 ? font.pointSize() : kDefaultSize);
}

QFont FontChooser::currentFont() const {
    QFont font;
    if (const QListWidgetItem* family = familyList->currentItem())
        font.setFamily(family->text());
    font.setPointSize(chosenSize());
    if (const QString style = chosenStyle(); !style.isEmpty())
        font.setStyleName(style);
    return font;
}

// The style of that name, else the family's regular one, else its first.
void FontChooser::showStyles(const QString& wanted) {
    const QSignalBlocker quiet(styleList);
    styleList->clear();
    const QListWidgetItem* family = familyList->currentItem();
    const QStringList styles = family ? QFontDatabase::styles(family->text()) : QStringList();
    for (const QString& style : styles) {
        auto* item = new QListWidgetItem(japaneseStyleName(style), styleList);
        item->setData(Qt::UserRole, style);
    }
    if (styles.isEmpty()) // the font's own, whatever it is
        new QListWidgetItem(kRegular, styleList);
    QListWidgetItem* chosen =
        wanted.isEmpty() ? nullptr : findRow(*styleList, wanted, Qt::UserRole);
    if (!chosen)
        chosen = findRow(*styleList, kRegular, Qt::DisplayRole);
    styleList->setCurrentItem(chosen ? chosen : styleList->item(0));
}

void FontChooser::showSize(int points) {
    size_ = points;
    const QString text = QString::number(points);
    if (sizeBox->text() != text)
        sizeBox->setText(text);
    const QSignalBlocker quiet(sizeList);
    QListWidgetItem* listed = findRow(*sizeList, text, Qt::DisplayRole);
    sizeList->setCurrentItem(listed);
    if (listed)
        sizeList->scrollToItem(listed);
    else
        sizeList->clearSelection();
    showSample();
}

void FontChooser::showSample() {
    sample->setFont(currentFont());
}

QString FontChooser::chosenStyle() const {
    const QListWidgetItem* style = styleList->currentItem();
    return style ? style->data(Qt::UserRole).toString() : QString();
}

// A size box emptied keeps the last size it showed.
int FontChooser::chosenSize() const {
    return size_;
}

} // namespace mivora
