// The HTML view inside the real main window: ShowFile, the caption, the
// file-name box and the index, and the window's shortcuts from inside a page.
#include <gtest/gtest.h>

// Qt
#include <QFile>
#include <QLineEdit>
#include <QOpenGLContext>
#include <QPlatformSurfaceEvent>
#include <QTest>
#include <QWindow>

#include <memory>

// Project
#include "app/Application.h"
#include "host/ActionList.h"
#include "support/QtTestSupport.h"
#include "viewers/html/HtmlBrowser.h"
#include "viewers/html/HtmlView.h"
#include "viewers/html/HtmlViewer.h"
#include "viewers/text/TextViewer.h"
#include "window/MainWindowUnit.h"

#if defined(__SANITIZE_ADDRESS__)
// The engine's library frees some objects with a size other than their
// allocation's (its own convention, not a fault here).
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}
#endif

namespace {

/// Calls back with each event that reaches an object.
class TEventSpy : public QObject {
public:
    TEventSpy(QObject* target, std::function<void(QEvent*)> seen) : seen_(std::move(seen)) {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        seen_(event);
        return false;
    }

private:
    std::function<void(QEvent*)> seen_;
};

QByteArray Page(const QByteArray& title, const QByteArray& body = {}) {
    return "<!doctype html><html><head><title>" + title + "</title></head><body>" + body +
           "</body></html>";
}

bool EngineLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

/// A shown main window with the HTML view installed and text files recorded.
class HtmlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<TMainWindow>();
        InstallHtmlView(*window);
        TViewerRecord text = TextViewer();
        text.install = [this](TViewerHost&) -> TViewerLoad {
            return [this](const QString& p) { texts.append(p); };
        };
        window->RegisterViewer(text);
        window->FormCreate();  // the file types of the viewers registered
        window->OnShow = nullptr;
        window->show();
        savedShellOpen = TMainWindow::ShellOpen;
    }
    void TearDown() override {
        window.reset();
        TMainWindow::ShellOpen = savedShellOpen;
    }

    template <class Cond>
    bool WaitFor(Cond cond, int ms = 20000) {
        return WaitUntil(cond, ms);
    }
    bool WaitForCaption(const QString& caption) {
        return WaitFor([&] { return window->windowTitle() == caption; });
    }
    QWidget* WebView() const {
        return window->Page(QStringLiteral("HTML"))->findChild<QWidget*>(QStringLiteral("wbHTML"));
    }
    QString FileNameBox() const { return window->FileNameBox()->text(); }

    std::unique_ptr<TMainWindow> window;
    ScratchFolder folder;
    QStringList texts;
    QStringList shellRequests;
    std::function<void(const QString&)> savedShellOpen;
    ErrorBoxRecorder errors;
};

TEST_F(HtmlWindowTest, TheCaptionFollowsEachCompletedPageWhileTheBoxAndIndexStay) {
    const QString report =
        folder.Write(QStringLiteral("a.html"),
                     Page("Report",
                          "<a href='elsewhere/linked.html' style='position:absolute;left:0;top:0;"
                          "width:300px;height:300px;display:block'>on</a>"));
    folder.Write(QStringLiteral("elsewhere/linked.html"), Page("Linked"));
    const QString untitled = folder.Write(QStringLiteral("b.htm"), "<p>no title</p>");
    const QString notes = folder.Write(QStringLiteral("text/notes.txt"), "text");

    // A text file first: the engine stays out of the process.
    window->OpenPath(notes);
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_EQ(texts.last(), notes);
    EXPECT_EQ(WebView(), nullptr);
    EXPECT_FALSE(EngineLoaded());
    EXPECT_EQ(QOpenGLContext::globalShareContext(), nullptr) << "no GL before the first page";

    // The first page joins the window as it is: no native window destroyed
    // and made anew (the window would blink and lose its place and focus).
    QWindow* const native = window->windowHandle();
    const WId nativeId = window->winId();
    int surfacesDestroyed = 0;
    TEventSpy spy(native, [&](QEvent* e) {
        if (e->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(e)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            ++surfacesDestroyed;
    });
    window->OpenPath(report);
    EXPECT_EQ(window->ActivePageName(), QStringLiteral("HTML"));
    EXPECT_EQ(FileNameBox(), report);
    EXPECT_EQ(window->windowTitle(), notes) << "the caption waits for the page";
    ASSERT_NE(WebView(), nullptr);
    ASSERT_TRUE(WaitForCaption(QStringLiteral("Report")));
    RunEventsFor(100);
    EXPECT_EQ(window->windowHandle(), native);
    EXPECT_EQ(window->winId(), nativeId);
    EXPECT_EQ(surfacesDestroyed, 0);
    EXPECT_NE(QOpenGLContext::globalShareContext(), nullptr) << "the engine asks for it";
    EXPECT_EQ(TApplication::Title(), QStringLiteral("Report"));
    EXPECT_EQ(window->CurrentIndex(), 0);

    // A followed link changes the caption only.
    QTest::mouseClick(WebView()->focusProxy() ? WebView()->focusProxy() : WebView(), Qt::LeftButton,
                      {}, QPoint(100, 100));
    ASSERT_TRUE(WaitForCaption(QStringLiteral("Linked")));
    EXPECT_EQ(FileNameBox(), report);
    EXPECT_EQ(window->CurrentIndex(), 0);

    // An untitled page empties caption and task-bar text.
    window->ShowIndex(1);
    EXPECT_EQ(FileNameBox(), untitled);
    ASSERT_TRUE(WaitForCaption(QString()));
    EXPECT_EQ(TApplication::Title(), QString());

    // The page shown, written again, is loaded again.
    folder.Write(QStringLiteral("b.htm"), Page("Written again"));
    ASSERT_TRUE(WaitForCaption(QStringLiteral("Written again")));
    EXPECT_EQ(window->CurrentIndex(), 1);
    EXPECT_TRUE(errors.Boxes().empty());
}

TEST_F(HtmlWindowTest, CtrlQAndCtrlWStepThroughTheFilesFromInsideAPage) {
    // Each page takes Ctrl+E for itself.
    const QByteArray body =
        "<input id='field' value='x'><p>text</p><script>document.addEventListener('keydown',"
        "function (e) { if (e.ctrlKey && e.key == 'e') e.preventDefault(); });</script>";
    folder.Write(QStringLiteral("a.html"), Page("A", body));
    folder.Write(QStringLiteral("b.html"), Page("B", body));
    folder.Write(QStringLiteral("c.html"), Page("C", body));
    TMainWindow::ShellOpen = [this](const QString& target) { shellRequests.append(target); };
    window->OpenPath(folder.Path());
    ASSERT_TRUE(WaitForCaption(QStringLiteral("A")));
    window->ActionList()->UpdateShowing();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* target = WebView()->focusProxy() ? WebView()->focusProxy() : WebView();
    target->setFocus();
    ASSERT_TRUE(WaitFor([&] { return target->hasFocus(); }));
    QWindow* handle = window->windowHandle();

    // No text field focused: the page leaves both keys to the window, but
    // keeps what its script takes (Ctrl+E would hand the file to the desktop).
    QTest::keyClick(handle, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(handle, Qt::Key_W, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentIndex() == 1; }));
    ASSERT_TRUE(WaitForCaption(QStringLiteral("B")));
    EXPECT_TRUE(shellRequests.isEmpty());
    QTest::keyClick(handle, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentIndex() == 0; }));
    ASSERT_TRUE(WaitForCaption(QStringLiteral("A")));
    // F11 and Escape, which the page leaves, reach the window; the arrows
    // stay the page's.
    QTest::keyClick(handle, Qt::Key_F11);
    ASSERT_TRUE(WaitFor([&] { return window->isFullScreen(); }));
    QTest::keyClick(handle, Qt::Key_Right);
    QTest::keyClick(handle, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !window->isFullScreen(); }));
    EXPECT_EQ(window->CurrentIndex(), 0);

    // In a text field: the field has no use for Ctrl+Q and Ctrl+W either.
    THtmlView* view = window->Page(QStringLiteral("HTML"))->findChild<THtmlView*>();
    ASSERT_NE(view, nullptr);
    bool focused = false;
    view->Browser()->RunScript(QStringLiteral("document.getElementById('field').focus()"),
                               [&](const QVariant&) { focused = true; });
    ASSERT_TRUE(WaitFor([&] { return focused; }));
    QTest::keyClick(handle, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return window->CurrentIndex() == 2; }));
    EXPECT_EQ(FileNameBox(), folder.Path() + QStringLiteral("c.html"));
    EXPECT_TRUE(shellRequests.isEmpty());
    EXPECT_TRUE(errors.Boxes().empty());
}

}  // namespace
