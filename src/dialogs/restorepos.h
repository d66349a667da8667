#pragma once
// Remembers where a window stood (and how large it was) from one run to the next,
// in the user's settings: the registry on Windows (the key Software\KeyName of the
// current user), a settings file KeyName.conf under the user's config folder
// elsewhere.
// The window sets the properties, then calls restore() once it is built; the
// position is saved when the component is destroyed, so it must be a member of
// the window (destroyed while the window still has its geometry).

#include <QString>

#include <memory>

class QSettings;
class QWidget;

namespace mivora {

class TRestorePos {
  public:
    enum Option {
        rpRestoreSize = 1, // width and height too, not only the position
        rpSaveNormal = 2,  // a maximized window saves its normal rectangle
    };

    explicit TRestorePos(QWidget& form);
    ~TRestorePos();
    TRestorePos(const TRestorePos&) = delete;
    TRestorePos& operator=(const TRestorePos&) = delete;

    bool Enabled = true;
    QString KeyName;
    int Options = rpRestoreSize | rpSaveNormal;
    QString PosXValueName = QStringLiteral("PosX");
    QString PosYValueName = QStringLiteral("PosY");
    QString WidthValueName = QStringLiteral("Width");
    QString HeightValueName = QStringLiteral("Height");

    // The key and the value names of a window: the four names begin with prefix
    // ("Print" gives "PrintPosX", "PrintPosY", "PrintWidth", "PrintHeight").
    void useNames(const QString& key, const QString& prefix);

    // Each value is applied on its own: one that is missing or no integer is
    // skipped. A window that would lie entirely off every screen (a monitor removed
    // since) is brought onto the primary screen.
    void restore();
    void save();

  private:
    bool active() const { return Enabled && !KeyName.isEmpty(); }

    QWidget& form_;
};

// The settings that hold the values of a key name.
std::unique_ptr<QSettings> openPositionKey(const QString& keyName);

} // namespace mivora
