// What people do with the window besides its buttons: dropping files on it,
// the keys of the picture page, the mouse's side buttons, full screen.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "ShellFixture.h"

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
