// The HTML view against a plain page with a recorded caption: the web view's
// creation, titles on completion, failures, keys and the local-file policy.
#include <gtest/gtest.h>

#include <unistd.h>

// Qt
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>

// Project
#include "base/Error.h"
#include "support/QtTestSupport.h"
#include "viewers/html/HtmlBrowser.h"
#include "viewers/html/HtmlView.h"

#if defined(__SANITIZE_ADDRESS__)
// Chromium inside the engine's library frees some objects with a size that
// differs from their allocation's; that is the engine's own convention, not a
// fault of this code, and the sanitizer would stop every test at its start.
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}
#endif

namespace {

/// A page of its own in a shown window, with the captions it received and
/// window shortcuts that record their keys.
class HtmlViewTest : public ::testing::Test {
protected:
    HtmlViewTest() : view_(&page_, [this](const QString& t) { captions_.append(t); }) {
        for (const char* key : {"Ctrl+Q", "Ctrl+W", "Ctrl+E", "Ctrl+O"}) {
            auto* action = new QAction(&page_);
            action->setShortcut(QKeySequence(QString::fromLatin1(key)));
            action->setShortcutContext(Qt::WindowShortcut);
            QObject::connect(action, &QAction::triggered,
                             [this, key] { keys_.append(QString::fromLatin1(key)); });
            page_.addAction(action);
        }
        page_.resize(400, 300);
        page_.show();
    }

    QWidget* WebView() const { return page_.findChild<QWidget*>(QStringLiteral("wbHTML")); }

    /// Runs events until cond holds or a generous limit passes.
    template <class Cond>
    bool WaitFor(Cond cond, int ms = 20000) {
        QDeadlineTimer deadline(ms);
        while (!cond() && !deadline.hasExpired()) ProcessEvents(10);
        return cond();
    }

    bool WaitForCaptions(qsizetype count) {
        return WaitFor([&] { return captions_.size() >= count; });
    }

    /// Runs a script in the page and returns its result (a string).
    QString Eval(const QString& script) {
        QString result;
        bool done = false;
        view_.Browser()->RunScript(script, [&](const QVariant& v) {
            result = v.toString();
            done = true;
        });
        WaitFor([&] { return done; });
        return result;
    }

    QWidget page_;
    QStringList captions_;
    QStringList keys_;
    THtmlView view_;
    ScratchFolder files_;
    ErrorBoxRecorder errors_;
};

/// Whether the web engine's library is mapped into this process.
bool EngineLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

QByteArray Page(const QByteArray& title, const QByteArray& body = {}) {
    return "<!doctype html><html><head><title>" + title + "</title></head><body>" + body +
           "</body></html>";
}

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

TEST_F(HtmlViewTest, FailuresAfterTheStartGoToTheErrorBox) {
    const QString page = files_.Write(QStringLiteral("a.html"),
                                      Page("Start", "<a id='gone' href='vanished.html'>gone</a>"));
    view_.Open(page);
    ASSERT_TRUE(WaitForCaptions(1));
    Eval(QStringLiteral("document.getElementById('gone').click(); 'ok'"));
    ASSERT_TRUE(WaitFor([&] { return !errors_.Boxes().empty(); }));
    EXPECT_EQ(captions_, QStringList{QStringLiteral("Start")}) << "the caption stays";
    const QString text = errors_.Texts().first();
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.endsWith(QStringLiteral("..")));
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));
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
    QDeadlineTimer deadline(20000);
    while (errors.Boxes().empty() && !deadline.hasExpired()) ProcessEvents(10);
    ASSERT_EQ(errors.Texts(), QStringList{QStringLiteral("Caption failed.")});
    EXPECT_EQ(caption, QStringLiteral("before"));
    EXPECT_EQ(calls, 1);
}

// A documentation tree whose index page uses its own resources from sibling
// and parent folders and tries every way script has to read other files.
TEST_F(HtmlViewTest, PagesKeepTheirResourcesButScriptCannotReadLocalFiles) {
    const QByteArray gif(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
        "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;",
        43);
    files_.Write(QStringLiteral("tree/images/dot.gif"), gif);
    files_.Write(QStringLiteral("tree/shared/style.css"), "p#styled { color: rgb(1, 2, 3); }");
    files_.Write(QStringLiteral("tree/shared/lib.js"), "window.libLoaded = 'yes';");
    files_.Write(QStringLiteral("tree/docs/part.html"), Page("Part", "<p>own frame</p>"));
    files_.Write(QStringLiteral("tree/other/part.htm"), Page("Other part", "<p>sibling frame</p>"));
    const QString secret = files_.Write(QStringLiteral("tree/secret.txt"), "SECRET-TEXT");
    QFile::link(secret, files_.Path() + QStringLiteral("tree/docs/disguised.html"));
    const QString index =
        files_.Write(QStringLiteral("tree/docs/index.html"), R"HTML(<!doctype html>
<html><head><title>Index</title>
<link rel="stylesheet" href="../shared/style.css"><script src="../shared/lib.js"></script></head>
<body><p id="styled">styled</p><img id="img" src="../images/dot.gif">
<iframe id="own" src="part.html"></iframe><iframe id="sibling" src="../other/part.htm"></iframe>
<iframe id="text" src="../secret.txt"></iframe><iframe id="listing" src="../"></iframe>
<iframe id="disguised" src="disguised.html"></iframe>
<object id="object" data="../secret.txt" type="text/plain"></object>
<script>
var results = {};
function frameText(el) {
  try { var d = el.contentDocument; return d && d.body ? d.body.innerText : ''; }
  catch (e) { return ''; }
}
function tryXhr(url) {
  return new Promise(function (done) {
    try {
      var x = new XMLHttpRequest(); x.open('GET', url);
      x.onload = function () { done(x.responseText); };
      x.onerror = function () { done(''); }; x.send();
    } catch (e) { done(''); }
  });
}
function tryFetch(url) {
  return fetch(url).then(function (r) { return r.text(); }).catch(function () { return ''; });
}
window.addEventListener('load', function () {
  results.style = getComputedStyle(document.getElementById('styled')).color;
  results.script = window.libLoaded || '';
  results.image = String(document.getElementById('img').naturalWidth);
  ['own', 'sibling', 'text', 'listing', 'disguised', 'object'].forEach(function (id) {
    results['frame-' + id] = frameText(document.getElementById(id));
  });
  Promise.all([tryXhr('../secret.txt'), tryXhr('file:///etc/passwd'), tryFetch('../secret.txt'),
               tryFetch('file:///etc/hostname'), tryXhr('part.html')])
    .then(function (r) {
      results.xhrSecret = r[0]; results.xhrPasswd = r[1]; results.fetchSecret = r[2];
      results.fetchHostname = r[3]; results.xhrPage = r[4]; results.done = true;
    });
});
</script></body></html>)HTML");

    view_.Open(index);
    ASSERT_TRUE(WaitForCaptions(1));
    EXPECT_EQ(captions_.last(), QStringLiteral("Index"));
    QJsonObject results;
    ASSERT_TRUE(WaitFor([&] {
        results = QJsonDocument::fromJson(Eval(QStringLiteral("JSON.stringify(results)")).toUtf8())
                      .object();
        return results.value(QStringLiteral("done")).toBool();
    }));
    // What the page needs works, also from parent and sibling folders.
    EXPECT_EQ(results.value(QStringLiteral("style")).toString(), QStringLiteral("rgb(1, 2, 3)"));
    EXPECT_EQ(results.value(QStringLiteral("script")).toString(), QStringLiteral("yes"));
    EXPECT_EQ(results.value(QStringLiteral("image")).toString(), QStringLiteral("1"));
    EXPECT_EQ(results.value(QStringLiteral("frame-own")).toString(), QStringLiteral("own frame"));
    EXPECT_EQ(results.value(QStringLiteral("frame-sibling")).toString(),
              QStringLiteral("sibling frame"));
    // Nothing else on disk reaches script.
    for (const char* key : {"frame-text", "frame-listing", "frame-disguised", "frame-object",
                            "xhrSecret", "xhrPasswd", "fetchSecret", "fetchHostname", "xhrPage"}) {
        EXPECT_EQ(results.value(QLatin1String(key)).toString().toStdString(), "") << key;
    }
    EXPECT_TRUE(errors_.Boxes().empty())
        << "blocked requests of a page are not navigation failures";
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
    ProcessEvents(50);
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

}  // namespace
