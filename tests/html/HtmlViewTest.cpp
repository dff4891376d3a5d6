// The HTML view against a plain page with a recorded caption: the web view's
// creation, titles on completion, failures, keys and the local-file policy.
#include <gtest/gtest.h>

#include <unistd.h>

// Qt
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

// Project
#include "base/Error.h"
#include "support/QtTestSupport.h"
#include "viewers/html/HtmlBrowser.h"
#include "viewers/html/HtmlView.h"

namespace {

/// A page of its own in a shown window, with the captions and keys it received.
class HtmlViewTest : public ::testing::Test {
protected:
    HtmlViewTest()
        : view_(
              &page_, [this](const QString& t) { captions_.append(t); },
              [this](QKeyEvent* e) {
                  keys_.append(QKeySequence(e->keyCombination()).toString());
                  return true;
              }) {
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

TEST(HtmlViewDescription, TrailingBlanksLineEndsAndFullStopsAreCut) {
    EXPECT_EQ(THtmlView::TrimDescription(QStringLiteral("File not found. \r\n")),
              QStringLiteral("File not found"));
    EXPECT_EQ(THtmlView::TrimDescription(QStringLiteral("a. b...")), QStringLiteral("a. b"));
    EXPECT_EQ(THtmlView::TrimDescription(QStringLiteral(" .\n")), QString());
    EXPECT_EQ(THtmlView::TrimDescription(QStringLiteral("ok")), QStringLiteral("ok"));
}

}  // namespace
