// What people do with the window besides its buttons: dropping files on it,
// the keys of the picture page, the mouse's side buttons, full screen.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QUrl>

#include "WindowFixture.h"

namespace {

// A drag of these addresses onto a control: whether its entry was taken, and
// after the drop (when `drop`) the events it queued run.
bool dragOnto(QWidget* target, const QList<QUrl>& urls, bool drop, const QString& text = {}) {
    QMimeData data;
    if (!urls.isEmpty()) data.setUrls(urls);
    if (!text.isEmpty()) data.setText(text);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(QPoint(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted() || !drop) return enter.isAccepted();
    QDropEvent dropped(QPointF(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    ProcessEvents();
    return dropped.isAccepted();
}

}  // namespace

TEST_F(ShellTest, DroppedFileOrFolderOpensAsChosenAndOtherDropsAreRefused) {
    const QString a = folder.Write("a.txt");
    folder.Write("sub/c.txt");
    const QString d = folder.Write("sub/d.txt");
    window->OpenPath(a);
    QWidget* page = window->Page("TEXT");

    EXPECT_FALSE(dragOnto(page, {QUrl("https://example.com/x.txt")}, false));
    EXPECT_FALSE(dragOnto(page, {}, false, "some text"));
    EXPECT_FALSE(dragOnto(page, {QUrl::fromLocalFile(folder.Path() + "missing.txt")}, false));
    EXPECT_EQ(loads, QStringList({a}));

    // Several: the first opens, in its folder.
    ASSERT_TRUE(dragOnto(page, {QUrl::fromLocalFile(d), QUrl::fromLocalFile(a)}, true));
    EXPECT_EQ(loads.last(), d);
    EXPECT_EQ(window->CurrentFolder(), folder.Path() + "sub/");
    EXPECT_EQ(window->CurrentIndex(), 1);

    // A folder shows its first file; the window itself takes drops too.
    ASSERT_TRUE(dragOnto(window.get(), {QUrl::fromLocalFile(folder.Path())}, true));
    EXPECT_EQ(loads.last(), a);
    EXPECT_EQ(window->CurrentFolder(), folder.Path());
}

TEST_F(ShellTest, PicturePageKeysStepWhereverTheFocusIsAndOtherPagesKeepTheirs) {
    const QString a = folder.Write("a.bmp");
    const QString b = folder.Write("b.gif");
    const QString c = folder.Write("c.jpg");
    window->OpenPath(a);
    ASSERT_EQ(window->ActivePageName(), "IMAGE");
    const struct {
        Qt::Key key;
        QString shows;
    } steps[] = {{Qt::Key_Right, b},     {Qt::Key_Space, c},  {Qt::Key_Left, b},
                 {Qt::Key_Backspace, a}, {Qt::Key_End, c},    {Qt::Key_Home, a},
                 {Qt::Key_PageDown, b},  {Qt::Key_PageUp, a}, {Qt::Key_Down, b},
                 {Qt::Key_Up, a}};
    QWidget* targets[] = {window->FileNameBox(), window->Page("IMAGE")};
    int n = 0;
    for (const auto& step : steps) {
        QTest::keyClick(targets[n++ % 2], step.key);
        EXPECT_EQ(loads.last(), step.shows)
            << "key " << QKeySequence(step.key).toString().toStdString();
    }
    EXPECT_EQ(loads.size(), 11);
    // With a modifier the key is not a step.
    QTest::keyClick(window->Page("IMAGE"), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(loads.size(), 11);

    // The text page keeps its keys: the caret moves, nothing steps.
    const QString t = folder.Write("text/t.txt");
    window->OpenPath(t);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Space, Qt::Key_End, Qt::Key_PageDown})
        QTest::keyClick(window->Page("TEXT"), key);
    EXPECT_EQ(loads.last(), t);
    EXPECT_EQ(loads.size(), 12);
}

TEST_F(ShellTest, MouseSideButtonsStepOnEveryPage) {
    const QString a = folder.Write("a.txt");
    const QString b = folder.Write("b.html");
    window->OpenPath(a);
    QTest::mouseClick(window->Page("TEXT"), Qt::ForwardButton);
    EXPECT_EQ(loads.last(), b);
    QTest::mouseClick(window->Page("HTML"), Qt::BackButton);
    EXPECT_EQ(loads.last(), a);
    QTest::mouseClick(window->Page("TEXT"), Qt::BackButton);
    EXPECT_EQ(loads.last(), b);
    EXPECT_EQ(loads.size(), 4);
}

TEST_F(ShellTest, F11FillsTheScreenWithoutToolbarsAndEscapeComesBack) {
    window->OpenPath(folder.Write("a.txt"));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QRect placed = window->geometry();
    QWidget* toolbar = window->findChild<QWidget*>("panToolbar");
    QTest::keyClick(window->FileNameBox(), Qt::Key_F11);
    EXPECT_TRUE(window->isFullScreen());
    EXPECT_TRUE(toolbar->isHidden());
    ASSERT_TRUE(WaitUntil([&] { return window->geometry().size() == window->screen()->size(); }));
    QTest::keyClick(window->FileNameBox(), Qt::Key_Escape);
    EXPECT_FALSE(window->isFullScreen());
    EXPECT_FALSE(toolbar->isHidden());
    EXPECT_TRUE(WaitUntil([&] { return window->geometry() == placed; }));
    // F11 toggles both ways; Escape out of full screen does nothing.
    QTest::keyClick(window.get(), Qt::Key_F11);
    EXPECT_TRUE(window->isFullScreen());
    QTest::keyClick(window.get(), Qt::Key_F11);
    EXPECT_FALSE(window->isFullScreen());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isFullScreen());
}
