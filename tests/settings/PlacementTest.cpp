#include "SettingsFixture.h"

// ---- Qt ----
#include <QScreen>

namespace {

QString suffixOfPrimary() {
    const QSize size = QGuiApplication::primaryScreen()->size();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

int primaryPixelsPerInch() {
    return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
}

}  // namespace

TEST_F(SettingsTest, ShowCommandsOtherThanMinimisedOrMaximisedGiveTheNormalState) {
    for (const char* cmd : {"0", "1", "4", "8", "42", "-3", "x"}) {
        writeRaw(QByteArray("[TMainWindow]\nShowCmd=") + cmd + "\n");
        int minimised = 0;
        auto window = std::make_unique<TTestMainWindow>();
        window->FormStorage1->MinimizeApplication = [&] { ++minimised; };
        window->show();
        EXPECT_FALSE(window->isMaximized()) << cmd;
        EXPECT_FALSE(window->isMinimized()) << cmd;
        EXPECT_EQ(minimised, 0) << cmd;
        closeWindow(window);
        EXPECT_EQ(stored("ShowCmd"), "1") << cmd;
    }
}

TEST_F(SettingsTest, MinimisedShowCommandMinimisesTheApplicationAndLeavesTheWindowNormal) {
    for (const char* cmd : {"2", "6", "7"}) {
        writeRaw(QByteArray("[TMainWindow]\nShowCmd=") + cmd + "\ntxtText_FontSize=12\n");
        int minimised = 0;
        auto window = std::make_unique<TTestMainWindow>();
        window->FormStorage1->MinimizeApplication = [&] { ++minimised; };
        window->show();
        EXPECT_EQ(minimised, 1) << cmd;
        EXPECT_FALSE(window->isMinimized()) << cmd;
        EXPECT_EQ(window->txtText->Font()->Size(), 12) << cmd;  // properties still restored
        closeWindow(window);
    }
}

TEST_F(SettingsTest, DefaultMinimiseHappensOnceTheWindowIsUpAndIsSavedAsTwo) {
    writeRaw("[TMainWindow]\nShowCmd=2\n");
    auto window = openWindow();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isMinimized());
    closeWindow(window);
    EXPECT_EQ(stored("ShowCmd"), "2");
}

TEST_F(SettingsTest, MaximisedShowCommandRestoresTheNormalRectangleUnderneath) {
    writeRaw("[TMainWindow]\nShowCmd=3\nNormPos=100,50,600,450\nPixelsPerInch=" +
             QByteArray::number(primaryPixelsPerInch()) + "\n");
    auto window = openWindow();
    EXPECT_TRUE(window->isMaximized());
    EXPECT_EQ(window->normalGeometry().size(), QSize(500, 400));
    closeWindow(window);
    EXPECT_EQ(stored("ShowCmd"), "3");
    EXPECT_EQ(stored("NormPos"), "100,50,600,450");
    // The next run comes up maximised again, over the same normal rectangle.
    window = openWindow();
    EXPECT_TRUE(window->isMaximized());
    closeWindow(window);
    EXPECT_EQ(stored("NormPos"), "100,50,600,450");
}

TEST_F(SettingsTest, NormalRectangleWordsFallBackToTheCurrentEdges) {
    writeRaw("[TMainWindow]\nNormPos=10, 20,,30\n");
    auto window = openWindow();
    EXPECT_EQ(window->pos(), QPoint(10, 20));
    EXPECT_EQ(window->size(), QSize(20, 642 - 20));
    closeWindow(window);
    EXPECT_EQ(stored("NormPos"), "10,20,30,642");
}

TEST_F(SettingsTest, NormalRectangleWithRightNotBeyondLeftIsIgnored) {
    for (const char* norm : {"300,10,300,400", "300,10,100,400", "x,y,z,w"}) {
        writeRaw(QByteArray("[TMainWindow]\nNormPos=") + norm + "\nShowCmd=3\n");
        auto window = openWindow();
        EXPECT_TRUE(window->isMaximized()) << norm;  // the state still applies
        closeWindow(window);
        EXPECT_EQ(stored("NormPos"), "206,162,902,642") << norm;
    }
}

TEST_F(SettingsTest, NormalRectangleWithHugeWordsDoesNotOverflowOrExhaustMemory) {
    writeRaw("[TMainWindow]\nNormPos=-2147483648,-2147483648,2147483647,2147483647\n");
    auto window = openWindow();
    EXPECT_TRUE(window->isVisible());
    // Never larger than the desktop: a huge backing store would exhaust memory.
    const QSize desktop = window->screen()->virtualSize();
    EXPECT_LE(window->width(), desktop.width());
    EXPECT_LE(window->height(), desktop.height());
    closeWindow(window);
    EXPECT_EQ(stored("NormPos").split(',').size(), 4);
}

TEST_F(SettingsTest, ScreenSuffixedPlacementWinsOverThePlainOne) {
    writeRaw("[TMainWindow]\nNormPos=1,2,301,202\nNormPos" + suffixOfPrimary().toLatin1() +
             "=40,30,440,330\n");
    auto window = openWindow();
    EXPECT_EQ(QRect(window->pos(), window->size()), QRect(40, 30, 400, 300));
    closeWindow(window);
    writeRaw("[TMainWindow]\nNormPos=1,2,301,202\nNormPos(1x1)=40,30,440,330\n");
    window = openWindow();
    EXPECT_EQ(QRect(window->pos(), window->size()), QRect(1, 2, 300, 200));
    closeWindow(window);
}

TEST_F(SettingsTest, OtherPixelDensityIgnoresThePositionButNotStateOrProperties) {
    writeRaw(
        "[TMainWindow]\nNormPos=40,30,440,330\nShowCmd=3\ntxtText_FontName=Courier\n"
        "PixelsPerInch=" +
        QByteArray::number(primaryPixelsPerInch() + 24) + "\n");
    auto window = openWindow();
    EXPECT_TRUE(window->isMaximized());
    EXPECT_EQ(window->txtText->Font()->Name(), "Courier");
    closeWindow(window);
    EXPECT_EQ(stored("NormPos"), "206,162,902,642");
    EXPECT_EQ(stored("PixelsPerInch"), QString::number(primaryPixelsPerInch()));
}

TEST_F(SettingsTest, MinMaxPositionsAndFlagsAreKeptAsRead) {
    writeRaw("[TMainWindow]\nFlags=2\nMinMaxPos=-32000, -32000 ,x\n");
    auto window = openWindow();
    const QRect frame = window->frameGeometry(), client = window->geometry();
    closeWindow(window);
    EXPECT_EQ(stored("Flags"), "2");
    // The maximised position is pinned after the restore: minus the frame's widths.
    EXPECT_EQ(stored("MinMaxPos"), QStringLiteral("-32000,-32000,%1,%2")
                                       .arg(-(client.left() - frame.left()))
                                       .arg(-(frame.bottom() - client.bottom())));
}

TEST_F(SettingsTest, NonStringPlacementValueStopsTheRestore) {
    for (const char* name : {"Flags", "MinMaxPos", "NormPos", "PixelsPerInch", "ShowCmd"}) {
        messages_.clear();
        writeRaw(QByteArray("[TMainWindow]\n") + name + "=@ByteArray(3)\ntxtText_FontSize=12\n");
        auto window = openWindow();
        EXPECT_EQ(messages_, QStringList{QStringLiteral("Invalid data type for '%1'").arg(name)});
        EXPECT_EQ(window->txtText->Font()->Size(), 8) << name;
        closeWindow(window);
        EXPECT_EQ(stored("txtText_FontSize"), "12") << name;  // not overwritten by a save
    }
}

// A placement stored on a monitor since unplugged comes back to the nearest
// screen; any placement whose title bar can still be taken hold of is kept
// exactly, even partly off the screen.
TEST_F(SettingsTest, APlacementWithItsTitleBarOffEveryScreenComesBackToTheNearest) {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(TFormPlacement::WithReachableTitleBar(QRect(-500, 900, 700, 500), screens),
              QRect(-500, 900, 700, 500));
    EXPECT_EQ(TFormPlacement::WithReachableTitleBar(QRect(3300, 200, 700, 500), screens),
              QRect(2500, 200, 700, 500));
    EXPECT_EQ(TFormPlacement::WithReachableTitleBar(QRect(100, -400, 700, 500), screens),
              QRect(100, 0, 700, 500));
    EXPECT_EQ(TFormPlacement::WithReachableTitleBar(QRect(2000, 1100, 2000, 500), screens),
              QRect(1920, 524, 1280, 500));

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    writeRaw("[TMainWindow]\nNormPos=500,40,1200,340\n");
    auto window = openWindow();
    EXPECT_EQ(QRect(window->pos(), window->size()), QRect(500, 40, 700, 300));
    closeWindow(window);
    writeRaw("[TMainWindow]\nNormPos=9000,5000,9400,5300\n");
    window = openWindow();
    EXPECT_TRUE(screen.contains(QRect(window->pos(), window->size())));
    EXPECT_EQ(window->size(), QSize(400, 300));
    closeWindow(window);
}

// Under Wayland a window cannot place itself: the stored position stays in
// the file for the next run elsewhere, and the stored size still applies.
TEST_F(SettingsTest, UnderWaylandTheStoredPositionIsKeptAndTheSizeApplied) {
    if (TFormPlacement::PlacesWindows()) GTEST_SKIP() << "needs a Wayland session";
    writeRaw("[TMainWindow]\nNormPos=123,45,523,345\n");
    auto window = openWindow();
    EXPECT_EQ(window->size(), QSize(400, 300));
    window->resize(500, 320);
    closeWindow(window);
    EXPECT_EQ(stored("NormPos"), "123,45,623,365");
}
