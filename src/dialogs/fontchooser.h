#pragma once
// The font chooser of the layout designer: the fonts that have Japanese glyphs,
// the styles of the one chosen named in Japanese ("Bold Italic" shows as
// "太字 斜体"; the style chosen is still the font's own), the sizes, and a
// Japanese sample drawn in the font chosen. It is made of the font database's
// lists (families, styles, sizes) alone: the framework's font dialog ended the
// program on Windows while it was being made (a null read in the framework's font
// database, under wine), and is never opened.
//
// The keyboard works it as the mouse does: the family list has the focus and
// finds a family as its name is typed, Tab goes on to the styles, the size box
// and the sizes, Enter is OK and Esc キャンセル.

#include <QDialog>
#include <QFont>

#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace mivora {

class FontChooser : public QDialog {
    Q_OBJECT
  public:
    explicit FontChooser(QWidget* parent = nullptr);

    // Shows the chooser modally, opened on font (its family, style and point
    // size): the font chosen with OK or Enter, nothing with キャンセル, Esc or the
    // close box.
    std::optional<QFont> choose(const QFont& font);

    // The family, style and size marked, and the font they make.
    void setCurrentFont(const QFont& font);
    QFont currentFont() const;

    QListWidget* familyList;
    QListWidget* styleList; // shows Japanese names, holds the fonts' own
    QLineEdit* sizeBox;
    QListWidget* sizeList;
    QLabel* sample; // drawn in the current font
    QPushButton* okButton;
    QPushButton* cancelButton;

  private:
    void showStyles(const QString& wanted);
    void showSize(int points);
    void showSample();
    QString chosenStyle() const;
    int chosenSize() const;

    int size_ = 12;
};

// A style name in Japanese, word by word as the fonts combine them
// ("Condensed Bold Oblique"); a word without a Japanese name stays as it is.
QString japaneseStyleName(const QString& style);

} // namespace mivora
