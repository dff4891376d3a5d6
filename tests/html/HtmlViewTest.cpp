// The HTML view against a plain page with a recorded caption: the web view's
// creation, titles on completion, failures, keys and the environment of the
// programs started later. What a page may read is in LocalPagesTest.cpp.
#include <gtest/gtest.h>

#include <unistd.h>

// Qt
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QJsonObject>
#include <QKeyEvent>
#include <QProcessEnvironment>
#include <QTest>
#include <QTimer>
#include <QWindow>

// Project
#include "HtmlTestSupport.h"
#include "base/Error.h"
#include "viewers/html/HtmlBrowser.h"

namespace {

/// The view with window shortcuts that record their keys.
class HtmlViewTest : public HtmlViewFixture {
protected:
    HtmlViewTest() {
        for (const char* key : {"Ctrl+Q", "Ctrl+W", "Ctrl+E", "Ctrl+O"}) {
            auto* action = new QAction(&page_);
            action->setShortcut(QKeySequence(QString::fromLatin1(key)));
            action->setShortcutContext(Qt::WindowShortcut);
            QObject::connect(action, &QAction::triggered,
                             [this, key] { keys_.append(QString::fromLatin1(key)); });
            page_.addAction(action);
        }
    }

    QStringList keys_;
};

TEST_F(HtmlViewTest, FilesThatCannotBeOpenedFailBeforeTheEngineStarts) {
    const QString missing = files_.Path() + QStringLiteral("missing.html");
    try {
        view_.Open(missing);
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Cannot open file ") + missing);
    }
    const QString folder = files_.Path() + QStringLiteral("folder.html");
    files_.Write(QStringLiteral("folder.html/inside.txt"));
    EXPECT_THROW(view_.Open(folder), EError);
    const QString locked = files_.Write(QStringLiteral("locked.html"), Page("Locked"));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (::geteuid() != 0) {  // root reads anything
        EXPECT_THROW(view_.Open(locked), EError);
    }
    EXPECT_THROW(view_.Open(QStringLiteral("/dev/null")), EError);
    EXPECT_EQ(WebView(), nullptr);
    EXPECT_EQ(view_.Browser(), nullptr);
    EXPECT_FALSE(EngineLoaded());
    EXPECT_TRUE(captions_.isEmpty());
}

TEST_F(HtmlViewTest, EachCompletedNavigationPutsItsTitleInTheCaption) {
    const QString report =
        files_.Write(QStringLiteral("docs/report.html"),
                     Page("Report", "<a id='up' href='../other/next.html'>next</a>"));
    files_.Write(QStringLiteral("other/next.html"), Page("Next page"));
    const QString untitled = files_.Write(QStringLiteral("docs/untitled.htm"), "<p>no title</p>");

    // The user's own engine flags, and no sandbox setting.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-pinch");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");

    EXPECT_EQ(WebView(), nullptr) << "the engine starts with the first HTML file";
    EXPECT_FALSE(EngineLoaded());
    view_.Open(report);
    ASSERT_NE(WebView(), nullptr);
    EXPECT_TRUE(EngineLoaded());
    EXPECT_EQ(page_.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    EXPECT_TRUE(captions_.isEmpty()) << "the caption waits for completion";
    ASSERT_TRUE(WaitForCaptions(1));
    EXPECT_EQ(captions_, QStringList{QStringLiteral("Report")});
    EXPECT_EQ(WebView()->geometry(), page_.rect());

    // Programs started from now on (Ctrl+E, Ctrl+F) get the environment as
    // it was; the engine keeps running without it.
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    EXPECT_EQ(environment.value(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")),
              QStringLiteral("--disable-pinch"));
    EXPECT_FALSE(environment.contains(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX")));

    // A link followed in the page reports its own title.
    Eval(QStringLiteral("document.getElementById('up').click(); 'ok'"));
    ASSERT_TRUE(WaitForCaptions(2));
    EXPECT_EQ(captions_.last(), QStringLiteral("Next page"));

    // An untitled page empties the caption.
    view_.Open(untitled);
    ASSERT_TRUE(WaitForCaptions(3));
    EXPECT_EQ(captions_.last(), QString());

    // Opened files leave no history to step back into.
    EXPECT_FALSE(view_.Browser()->CanGoBack());
    EXPECT_TRUE(errors_.Boxes().empty());
}

// Only the file the viewer opened reports a failure; links and script that
// lead nowhere leave the page as it is, without a box.
TEST_F(HtmlViewTest, OnlyTheOpenedFileReportsAFailure) {
    const QString start =
        files_.Write(QStringLiteral("a.html"),
                     Page("Start",
                          "<a id='gone' href='vanished.html'>gone</a><a id='folder' href='sub/'>"
                          "folder</a><a id='device' href='file:///dev/zero'>zero</a>"
                          "<a id='after' href='sub/after.html'>after</a>"));
    files_.Write(QStringLiteral("sub/after.html"), Page("After"));
    view_.Open(start);
    ASSERT_TRUE(WaitForCaptions(1));
    for (const char* id : {"gone", "folder", "device"}) {
        Eval(QStringLiteral("document.getElementById('%1').click(); 'ok'").arg(QLatin1String(id)));
    }
    Eval(QStringLiteral("location.href = 'missing.html'; 'ok'"));
    // The page is still there to follow its last link.
    Eval(QStringLiteral("document.getElementById('after').click(); 'ok'"));
    ASSERT_TRUE(WaitForCaptions(2));
    EXPECT_EQ(captions_, (QStringList{QStringLiteral("Start"), QStringLiteral("After")}));
    EXPECT_TRUE(errors_.Boxes().empty());

    // The opened file, gone before the engine reads it, reports its failure.
    const QString doomed = files_.Write(QStringLiteral("doomed.html"), Page("Doomed"));
    view_.Open(doomed);
    QFile::remove(doomed);
    ASSERT_TRUE(WaitFor([&] { return !errors_.Boxes().empty(); }));
    EXPECT_EQ(captions_.size(), 2) << "the caption stays";
    EXPECT_EQ(errors_.Texts(), QStringList{QStringLiteral("Cannot open file ") + doomed + "."});
}

// Links into new windows open in the view when the user follows them; script
// opens no window of its own.
TEST_F(HtmlViewTest, ALinkToANewWindowOpensInTheView) {
    const QString start =
        files_.Write(QStringLiteral("start.html"),
                     Page("Start",
                          "<a id='a' target='_blank' href='target.html' style='display:block;"
                          "position:absolute;left:0;top:0;width:400px;height:300px'>open</a>"
                          "<script>window.open('popup.html');</script>"));
    files_.Write(QStringLiteral("target.html"), Page("Target"));
    files_.Write(QStringLiteral("popup.html"), Page("Popup"));
    view_.Open(start);
    ASSERT_TRUE(WaitForCaptions(1));
    EXPECT_EQ(captions_.last(), QStringLiteral("Start"));
    QWidget* target = WebView()->focusProxy() ? WebView()->focusProxy() : WebView();
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(100, 100));
    ASSERT_TRUE(WaitForCaptions(2));
    EXPECT_EQ(captions_, (QStringList{QStringLiteral("Start"), QStringLiteral("Target")}));
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 1);
}

// A failing caption update is reported like any handler failure.
TEST(HtmlViewCompletion, AnErrorInTheHandlerGoesToTheErrorBoxAndTheCaptionStays) {
    ScratchFolder files;
    ErrorBoxRecorder errors;
    QWidget page;
    page.show();
    QString caption = QStringLiteral("before");
    int calls = 0;
    THtmlView view(&page, [&](const QString& title) {
        ++calls;
        if (title == QLatin1String("Broken")) throw EError("Caption failed");
        caption = title;
    });
    view.Open(files.Write(QStringLiteral("broken.html"), Page("Broken")));
    ASSERT_TRUE(WaitUntil([&] { return !errors.Boxes().empty(); }, 20000));
    ASSERT_EQ(errors.Texts(), QStringList{QStringLiteral("Caption failed.")});
    EXPECT_EQ(caption, QStringLiteral("before"));
    EXPECT_EQ(calls, 1);
}

// The page sees keys first; what it does not take goes back to the window.
TEST_F(HtmlViewTest, KeysThePageDoesNotTakeReachTheWindow) {
    const QString form = files_.Write(QStringLiteral("form.html"), Page("Form", R"HTML(
<input id="field" value="text"><p>plain text</p>
<script>
document.addEventListener('keydown', function (e) {
  if (e.ctrlKey && e.key == 'e') e.preventDefault();
});
</script>)HTML"));
    view_.Open(form);
    ASSERT_TRUE(WaitForCaptions(1));
    page_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page_));
    QWidget* target = WebView()->focusProxy() ? WebView()->focusProxy() : WebView();
    target->setFocus();
    ASSERT_TRUE(WaitFor([&] { return target->hasFocus(); }));
    QWindow* window = page_.windowHandle();

    // Nothing focused in the page: the window's commands get Ctrl+Q and Ctrl+W.
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return keys_.size() >= 2; }));
    EXPECT_EQ(keys_, (QStringList{QStringLiteral("Ctrl+Q"), QStringLiteral("Ctrl+W")}));

    // A key the page's script takes never reaches the window (Ctrl+O marks the end).
    keys_.clear();
    QTest::keyClick(window, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return !keys_.isEmpty(); }));
    EXPECT_EQ(keys_, QStringList{QStringLiteral("Ctrl+O")});

    // In a text field the field takes its editing keys; the others go on.
    keys_.clear();
    Eval(QStringLiteral("document.getElementById('field').focus(); 'ok'"));
    QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return keys_.size() >= 2; }));
    RunEventsFor(50);
    EXPECT_EQ(keys_, (QStringList{QStringLiteral("Ctrl+Q"), QStringLiteral("Ctrl+W")}));
    EXPECT_EQ(Eval(QStringLiteral("var f = document.getElementById('field'); "
                                  "String(f.selectionEnd - f.selectionStart)")),
              QStringLiteral("4"))
        << "Ctrl+A selected the field's text";
}

TEST(HtmlViewDescription, TrailingBlanksLineEndsAndFullStopsAreCut) {
    EXPECT_EQ(THtmlView::TrimDescription(QStringLiteral("File not found. \r\n")),
              QStringLiteral("File not found"));
    EXPECT_EQ(THtmlView::TrimDescription(QStringLiteral("a. b...")), QStringLiteral("a. b"));
    EXPECT_EQ(THtmlView::TrimDescription(QStringLiteral(" .\n")), QString());
    EXPECT_EQ(THtmlView::TrimDescription(QStringLiteral("ok")), QStringLiteral("ok"));
}

/// Records the addresses that would have gone to a program of the desktop.
class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    QStringList urls;
public slots:
    void open(const QUrl& url) { urls.append(url.toString()); }
};

// No key press, click or script in a page hands an address to the desktop;
// the page's own steps to other local pages go on.
TEST_F(HtmlViewTest, APageStartsNoProgram) {
    TUrlRecorder recorder;
    for (const char* scheme : {"x-tarvel-probe", "mailto", "sftp"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "open");
    files_.Write(QStringLiteral("next.html"), Page("Next"));
    const QString hostile = files_.Write(QStringLiteral("hostile.html"), Page("Hostile", R"HTML(
<a href="x-tarvel-probe:click" style="display:block;position:absolute;left:0;top:0;
   width:400px;height:300px">x</a>
<script>
var seen = [];
addEventListener('keydown', e => { seen.push(e.key); location.href = 'x-tarvel-probe:key'; });
addEventListener('click', () => { seen.push('click'); location.href = 'sftp://example.invalid/share'; });
addEventListener('load', () => setTimeout(() => {
  location.href = 'mailto:a@b.invalid?attach=/etc/passwd';
  document.body.insertAdjacentHTML('beforeend', '<iframe src="x-tarvel-probe:frame"></iframe>');
}));
</script>)HTML"));
    view_.Open(hostile);
    ASSERT_TRUE(WaitForCaptions(1));
    page_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page_));
    QWidget* target = WebView()->focusProxy() ? WebView()->focusProxy() : WebView();
    target->setFocus();
    QTest::keyClick(page_.windowHandle(), Qt::Key_Right);
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(100, 100));
    ASSERT_TRUE(WaitFor([&] { return Eval(QStringLiteral("seen.join()")) == "ArrowRight,click"; }));
    RunEventsFor(500);
    EXPECT_EQ(recorder.urls, QStringList());
    EXPECT_EQ(captions_, QStringList{QStringLiteral("Hostile")});
    // A timed step to a local page still goes there.
    Eval(
        QStringLiteral("document.head.insertAdjacentHTML('beforeend', "
                       "'<meta http-equiv=refresh content=\"0;url=next.html\">'); 'ok'"));
    ASSERT_TRUE(WaitForCaptions(2));
    EXPECT_EQ(captions_.last(), QStringLiteral("Next"));
    for (const char* scheme : {"x-tarvel-probe", "mailto", "sftp"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

// Files of the kernel's pseudo file systems look regular but may block their
// reader for ever; the engine reads documents on one thread for all loads.
TEST_F(HtmlViewTest, AKernelFileInAPageStallsNoLoad) {
    const QString page = files_.Write(
        QStringLiteral("kernel.html"),
        Page("Kernel",
             "<iframe src='/proc/kmsg'></iframe><iframe src='file:///proc/kmsg'></iframe>"
             "<object data='/sys/kernel/uevent_seqnum'></object>"
             "<img src='/proc/kmsg'><link rel=stylesheet href='/proc/kmsg'>"));
    view_.Open(page);
    ASSERT_TRUE(WaitForCaptions(1));
    RunEventsFor(200);
    view_.Open(files_.Write(QStringLiteral("after.html"), Page("After")));
    ASSERT_TRUE(WaitFor([&] { return captions_.contains(QStringLiteral("After")); }, 10000));
    EXPECT_TRUE(errors_.Boxes().empty());
}

// Whatever a page asks of the person's devices and data is refused at once,
// so that no page waits for an answer nobody gives. A question put to a
// person would never be answered here; the page's 4 s bound only keeps a
// loaded machine from counting as a person.
TEST_F(HtmlViewTest, RequestsForDevicesAndDataAreRefusedAtOnce) {
    const QString page = files_.Write(QStringLiteral("asks.html"), Page("Asks", R"HTML(
<p id="p">text</p>
<script>
var results = {};
function settle(name, p) {
  return Promise.race([Promise.resolve().then(p).then(v => 'granted ' + v, e => 'refused'),
                       new Promise(r => setTimeout(() => r('no answer'), 4000))])
    .then(v => { results[name] = v; });
}
const md = navigator.mediaDevices;
Promise.all([
  settle('camera', () => md.getUserMedia({video: true})),
  settle('microphone', () => md.getUserMedia({audio: true})),
  settle('screen', () => md.getDisplayMedia({video: true})),
  settle('location', () => new Promise((ok, no) =>
      navigator.geolocation.getCurrentPosition(ok, no))),
  settle('notifications', () => Notification.requestPermission()
      .then(p => p == 'granted' ? p : Promise.reject(p))),
  settle('clipboard', () => navigator.clipboard.readText()),
  settle('midi', () => navigator.requestMIDIAccess({sysex: true})),
  settle('pointer', () => new Promise((ok, no) => {
      document.onpointerlockchange = ok; document.onpointerlockerror = no;
      document.getElementById('p').requestPointerLock(); })),
]).then(() => { results.done = true; });
</script>)HTML"));
    view_.Open(page);
    ASSERT_TRUE(WaitForCaptions(1));
    const QJsonObject results = WaitForResults();
    ASSERT_TRUE(results.value(QStringLiteral("done")).toBool());
    for (const char* kind : {"camera", "microphone", "screen", "location", "notifications",
                             "clipboard", "midi", "pointer"}) {
        EXPECT_EQ(results.value(QLatin1String(kind)).toString(), QStringLiteral("refused")) << kind;
    }
}

// A page read ahead is shown at once, as it was laid out while hidden; while
// hidden it was muted and hidden and nothing it asked for reached the person;
// one that asked for something, or changed on disk since, is loaded anew.
TEST_F(HtmlViewTest, PagesReadAheadAreShownAtOnceAndHeldBackUntilThen) {
    const QByteArray recorder =
        "<script>var seenAtLoad = document.visibilityState;"
        "document.title = document.title + (document.hidden ? ' hidden' : '');</script>";
    const QString start = files_.Write(QStringLiteral("a.html"), Page("A"));
    const QString quiet = files_.Write(QStringLiteral("b.html"), Page("B", recorder));
    const QString pushy = files_.Write(
        QStringLiteral("c.html"),
        Page("C", recorder + "<script>var asked = 0; addEventListener('load', () => {"
                             "  window.open('a.html'); asked = confirm('go on?') ? 2 : 1; });"
                             "</script>"));
    view_.Open(start);
    ASSERT_TRUE(WaitForCaptions(1));
    THtmlBrowser* browser = view_.Browser();
    view_.ReadAhead({quiet, pushy});
    ASSERT_TRUE(WaitFor([&] { return browser->HoldsAhead(quiet) && browser->HoldsAhead(pushy); }));
    RunEventsFor(200);
    EXPECT_EQ(captions_, QStringList{QStringLiteral("A")}) << "a page ahead sets no caption";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no dialog from a page ahead";
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 1);

    // Shown: its title at once, the page it was while hidden.
    view_.Open(quiet);
    ASSERT_TRUE(WaitForCaptions(2));
    EXPECT_EQ(captions_.last(), QStringLiteral("B hidden"));
    EXPECT_EQ(Eval(QStringLiteral("seenAtLoad + ' ' + document.visibilityState")),
              QStringLiteral("hidden visible"));

    // One that asked for a window and a dialog while hidden is loaded anew
    // and asks now; its confirm is answered by the test.
    bool askedNow = false;
    QTimer answer;  // the dialog runs its own event loop
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            askedNow = true;
            dialog->close();
        }
    });
    answer.start(20);
    view_.ReadAhead({pushy});
    view_.Open(pushy);
    ASSERT_TRUE(WaitFor([&] { return askedNow && captions_.contains(QStringLiteral("C")); }));
    EXPECT_EQ(Eval(QStringLiteral("seenAtLoad")), QStringLiteral("visible"));

    // A page edited on disk after it was read ahead shows its new content.
    view_.ReadAhead({quiet});
    ASSERT_TRUE(WaitFor([&] { return browser->HoldsAhead(quiet); }));
    files_.Write(QStringLiteral("b.html"), Page("B edited"));
    view_.Open(quiet);
    ASSERT_TRUE(WaitFor([&] { return captions_.last() == QLatin1String("B edited"); }));
    EXPECT_TRUE(errors_.Boxes().empty());
}

}  // namespace

#include "HtmlViewTest.moc"
