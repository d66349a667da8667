// The designer as a person sees it: Japanese texts drawn with a font that has their
// glyphs, and a picture of the whole window. With MIVORA_DESIGNER_PNG set, the
// picture is kept in that file:
//   MIVORA_DESIGNER_PNG=designer.png test_designer --gtest_filter='DesignerSnapshot.*'

#include "designer/formpicture.h"
#include "designer/itemlabel.h"
#include "designertest.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <cstdlib>

namespace mivora::test {
namespace {

// A form with a title and the boxes the sample layout's items fall into.
void drawSampleForm(const std::filesystem::path& file) {
    QImage form(795, 1125, QImage::Format_RGB32);
    form.fill(Qt::white);
    QPainter painter(&form);
    painter.setPen(QColor(40, 90, 60));
    QFont title(QStringLiteral("IPAGothic"));
    title.setPixelSize(22);
    painter.setFont(title);
    painter.drawText(QRect(0, 20, 795, 40), Qt::AlignHCenter,
                     QStringLiteral("自動車検査証（見本）"));
    for (int y = 95; y <= 755; y += 60)
        painter.drawLine(40, y, 755, y);
    painter.end();
    ASSERT_TRUE(form.save(QString::fromStdString(file.string()), "JPG"));
}

bool drawsEveryCharacter(const QLabel& label) {
    const QFontMetrics metrics(label.font());
    for (const char32_t character : label.text().toUcs4())
        if (character != U'　' && character != U' ' && !metrics.inFontUcs4(character))
            return false;
    return true;
}

class DesignerSnapshot : public DesignerTest {};

TEST_F(DesignerSnapshot, LabelsDrawJapaneseWithAFontThatHasTheGlyphs) {
    TMivoraForm& form = open();
    form.FormPaint();
    int shown = 0;
    for (int number = 1; number <= kSlotCount; ++number) {
        const ItemLabel& label = *form.PrintLabel(number);
        if (label.isHidden())
            continue;
        ++shown;
        EXPECT_TRUE(drawsEveryCharacter(label))
            << number << ": " << label.text().toStdString() << " in "
            << QFontInfo(label.font()).family().toStdString();
    }
    EXPECT_GT(shown, 20);
    EXPECT_TRUE(drawsEveryCharacter(*form.KPanel)) << QFontInfo(form.font()).family().toStdString();
}

TEST_F(DesignerSnapshot, TheWindowRendersTheFormAndItsItems) {
    drawSampleForm(dir() / "車検証様式.jpg");
    TMivoraForm& form = open();
    form.CheckBox2->click(); // the placement panel too
    form.resize(620, 400);
    form.show();
    QApplication::processEvents();
    const QImage picture = form.grab().toImage();
    ASSERT_EQ(picture.size(), QSize(620, 400));
    if (const char* file = std::getenv("MIVORA_DESIGNER_PNG")) {
        EXPECT_TRUE(picture.save(QString::fromLocal8Bit(file), "PNG"));
    }

    // Item 1 (the registration number) stands at (30, 55) of the preview: its
    // label draws dark text on white there.
    const QPoint labelAt = form.PrintLabel(1)->mapTo(&form, QPoint(0, 0)) +
                           QPoint(2, form.PrintLabel(1)->height() / 2);
    int dark = 0;
    for (int dx = 0; dx < form.PrintLabel(1)->width() - 4; ++dx)
        if (qGray(picture.pixel(labelAt + QPoint(dx, 0))) < 128)
            ++dark;
    EXPECT_GT(dark, 3);
}

} // namespace
} // namespace mivora::test
