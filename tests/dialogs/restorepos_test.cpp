#include "dialogs/restorepos.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace mivora::test {
namespace {

// A window carrying the component, as the program's windows do.
class PlacedWindow : public QWidget {
  public:
    explicit PlacedWindow(const QString& key) {
        setGeometry(20, 30, 300, 150);
        RestorePos1.KeyName = key;
        RestorePos1.PosXValueName = QStringLiteral("Left");
        RestorePos1.restore();
    }
    TRestorePos RestorePos1{*this};
};

class RestorePosTest : public ::testing::Test {
  protected:
    void SetUp() override { openPositionKey(kKey)->clear(); }
    void TearDown() override { openPositionKey(kKey)->clear(); }

    static void store(std::initializer_list<std::pair<const char*, QVariant>> values) {
        auto settings = openPositionKey(kKey);
        for (const auto& [name, value] : values)
            settings->setValue(QString::fromUtf8(name), value);
    }
    static QVariant stored(const char* name) {
        return openPositionKey(kKey)->value(QString::fromUtf8(name));
    }

    inline static const QString kKey = QStringLiteral("MivoraTest");
};

TEST_F(RestorePosTest, EachValueIsAppliedOnItsOwn) {
    store({{"Left", 50}, {"PosY", 60}, {"Height", 200}}); // no Width
    EXPECT_EQ(PlacedWindow(kKey).geometry(), QRect(50, 60, 300, 200));

    store({{"Left", "abc"}, {"Width", 320}});
    EXPECT_EQ(PlacedWindow(kKey).geometry(), QRect(20, 60, 320, 200));
}

TEST_F(RestorePosTest, MissingKeyChangesNothingAndDisabledSavesNothing) {
    {
        PlacedWindow window(kKey);
        EXPECT_EQ(window.geometry(), QRect(20, 30, 300, 150));
        window.RestorePos1.Enabled = false;
    }
    EXPECT_TRUE(openPositionKey(kKey)->allKeys().isEmpty());
}

TEST_F(RestorePosTest, SavedPositionComesBackNextTime) {
    {
        PlacedWindow window(kKey);
        window.setGeometry(70, 80, 310, 160);
    }
    EXPECT_EQ(stored("Left").toInt(), 70);
    EXPECT_EQ(stored("PosY").toInt(), 80);
    EXPECT_EQ(stored("Width").toInt(), 310);
    EXPECT_EQ(stored("Height").toInt(), 160);
    EXPECT_EQ(PlacedWindow(kKey).geometry(), QRect(70, 80, 310, 160));
}

TEST_F(RestorePosTest, MaximizedWindowIsSavedWithItsNormalRectangle) {
    {
        PlacedWindow window(kKey);
        window.setGeometry(40, 50, 280, 140);
        window.show();
        window.showMaximized();
        QCoreApplication::processEvents();
        ASSERT_TRUE(window.isMaximized());
        ASSERT_NE(window.geometry(), QRect(40, 50, 280, 140));
    }
    PlacedWindow again(kKey);
    EXPECT_EQ(again.geometry(), QRect(40, 50, 280, 140));
    EXPECT_FALSE(again.isMaximized());
}

TEST_F(RestorePosTest, PositionOffEveryScreenIsBroughtBack) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        QPoint saved;
        QPoint expected;
    };
    const Case cases[] = {
        {{screen.right() + 500, screen.top() + 10}, {screen.right() + 1 - 300, screen.top() + 10}},
        {{screen.left() + 10, screen.top() - 5000}, {screen.left() + 10, screen.top()}},
        {{-4000, -4000}, screen.topLeft()},
        // Partly on the screen: left where it was.
        {{screen.right() - 100, screen.top() + 10}, {screen.right() - 100, screen.top() + 10}},
    };
    for (const Case& c : cases) {
        store({{"Left", c.saved.x()}, {"PosY", c.saved.y()}, {"Width", 300}, {"Height", 150}});
        EXPECT_EQ(PlacedWindow(kKey).pos(), c.expected) << c.saved.x() << "," << c.saved.y();
    }
}

} // namespace
} // namespace mivora::test
