#include "dialogs/restorepos.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace mivora {

namespace {

// A value that is missing or no integer leaves target as it is.
bool readInteger(const QSettings& settings, const QString& name, int& target) {
    const QVariant value = settings.value(name);
    if (!value.isValid())
        return false;
    bool ok = false;
    const int number = value.toInt(&ok);
    if (ok)
        target = number;
    return ok;
}

// A size of nothing or less (a window saved while shrunk away) is no size to open
// a window with.
bool readSize(const QSettings& settings, const QString& name, int& target) {
    int size = target;
    if (!readInteger(settings, name, size) || size <= 0)
        return false;
    target = size;
    return true;
}

// A window lying off every screen moves onto the primary one, as close to where
// it was as the screen allows.
QRect ontoScreen(const QRect& rect) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(rect))
            return rect;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return rect;
    const QRect area = primary->availableGeometry();
    QRect moved = rect;
    moved.moveLeft(std::clamp(rect.left(), area.left(),
                              std::max(area.left(), area.right() - rect.width() + 1)));
    moved.moveTop(std::clamp(rect.top(), area.top(),
                             std::max(area.top(), area.bottom() - rect.height() + 1)));
    return moved;
}

} // namespace

std::unique_ptr<QSettings> openPositionKey(const QString& keyName) {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\") + keyName,
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, keyName);
#endif
}

TRestorePos::TRestorePos(QWidget& form) : form_(form) {}

TRestorePos::~TRestorePos() {
    save();
}

// Positions and sizes are those of the window's client area (QWidget::geometry),
// which setGeometry takes back exactly on every platform.
void TRestorePos::useNames(const QString& key, const QString& prefix) {
    KeyName = key;
    PosXValueName = prefix + QStringLiteral("PosX");
    PosYValueName = prefix + QStringLiteral("PosY");
    WidthValueName = prefix + QStringLiteral("Width");
    HeightValueName = prefix + QStringLiteral("Height");
}

void TRestorePos::restore() {
    if (!active())
        return;
    const auto settings = openPositionKey(KeyName);
    QRect rect = form_.geometry();
    int left = rect.left();
    int top = rect.top();
    int width = rect.width();
    int height = rect.height();
    const bool xRead = readInteger(*settings, PosXValueName, left);
    const bool yRead = readInteger(*settings, PosYValueName, top);
    bool sized = false;
    if (Options & rpRestoreSize) {
        sized = readSize(*settings, WidthValueName, width);
        sized = readSize(*settings, HeightValueName, height) || sized;
    }
    // A window without a saved position keeps the place the window system gives it.
    if (xRead || yRead)
        form_.setGeometry(ontoScreen(QRect(left, top, width, height)));
    else if (sized)
        form_.resize(width, height);
}

void TRestorePos::save() {
    if (!active())
        return;
    const bool normal = (Options & rpSaveNormal) && form_.isMaximized();
    const QRect rect = normal ? form_.normalGeometry() : form_.geometry();
    const auto settings = openPositionKey(KeyName);
    settings->setValue(PosXValueName, rect.left());
    settings->setValue(PosYValueName, rect.top());
    if (Options & rpRestoreSize) {
        settings->setValue(WidthValueName, rect.width());
        settings->setValue(HeightValueName, rect.height());
    }
}

} // namespace mivora
