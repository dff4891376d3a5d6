#include "viewers/html/HtmlView.h"

// Qt
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPluginLoader>
#include <QVBoxLayout>
#include <QWidget>

// Project
#include "base/Error.h"
#include "base/ErrorReport.h"
#include "base/RegularFile.h"
#include "viewers/html/HtmlBrowser.h"
#include "viewers/html/WebEngineSetup.h"

namespace {

EError CannotOpen(const QString& path) {
    return EError(CannotOpenMessage(path.toStdString()));
}

THtmlBrowserFactory* LoadFactory() {
    static THtmlBrowserFactory* factory = nullptr;
    if (factory) return factory;
    PrepareWebEngine();
    QString why;
    for (const QString& candidate : THtmlView::PluginCandidates()) {
        if (!QFileInfo::exists(candidate)) continue;
        QPluginLoader loader(candidate);
        // The engine cannot be unloaded safely once it ran.
        loader.setLoadHints(QLibrary::PreventUnloadHint);
        factory = qobject_cast<THtmlBrowserFactory*>(loader.instance());
        if (factory) return factory;
        why = loader.errorString();
    }
    if (why.isEmpty()) why = QStringLiteral("The HTML viewer plugin is not installed");
    throw EError(THtmlView::TrimDescription(why).toStdString());
}

bool IsReadableFile(const QString& path) {
    if (!QFileInfo(path).isFile()) return false;
    QFile probe(path);
    return probe.open(QIODevice::ReadOnly);
}

}  // namespace

THtmlView::THtmlView(QWidget* page, CaptionSink setCaption)
    : QObject(page), page_(page), setCaption_(std::move(setCaption)) {}

QStringList THtmlView::PluginCandidates() {
    const QString name = QStringLiteral(TARVEL_HTML_PLUGIN_NAME);
    const QString appDir = QCoreApplication::applicationDirPath();
    return {appDir + QStringLiteral("/../lib/tarvel-viewer/") + name,
            appDir + QLatin1Char('/') + name, QStringLiteral(TARVEL_HTML_PLUGIN_BUILD_PATH)};
}

QString THtmlView::TrimDescription(const QString& text) {
    qsizetype end = text.size();
    while (end > 0) {
        const QChar c = text.at(end - 1);
        if (c != QLatin1Char(' ') && c != QLatin1Char('\r') && c != QLatin1Char('\n') &&
            c != QLatin1Char('.'))
            break;
        --end;
    }
    return text.left(end);
}

void THtmlView::Open(const QString& path) {
    // The engine would only report a missing file later and asynchronously;
    // like the other viewers, fail here, out of ShowFile.
    if (!IsReadableFile(path)) throw CannotOpen(path);
    if (!browser_) createBrowser();
    opened_ = path;
    browser_->Navigate(QFileInfo(path).absoluteFilePath());
}

void THtmlView::ReadAhead(const QStringList& paths) {
    if (!browser_) return;
    // A page that cannot be read fails its hidden load and is not kept.
    QStringList pages;
    for (const QString& path : paths) pages.append(QFileInfo(path).absoluteFilePath());
    browser_->ReadAhead(pages);
}

void THtmlView::createBrowser() {
    THtmlBrowser* browser = nullptr;
    try {
        browser = LoadFactory()->CreateBrowser(page_);
    } catch (...) {
        // No engine this time: programs started later get the environment as it was.
        RestoreEnvironmentAfterWebEngineStart();
        throw;
    }
    // The engine has read its settings from the environment by now.
    RestoreEnvironmentAfterWebEngineStart();
    // The engine reports from inside its own tasks; an error box (a nested
    // event loop) waits until they have returned.
    browser->OnNavigateComplete = [this](const QString& title) {
        try {
            setCaption_(title);
        } catch (...) {
            QMetaObject::invokeMethod(
                this, [error = std::current_exception()] { ReportError(error); },
                Qt::QueuedConnection);
        }
    };
    browser->OnNavigateError = [this](const QString& message) {
        // A file gone or changed since Open checked it says so in the words
        // of the other viewers rather than in the engine's error code.
        const QString text = IsReadableFile(opened_)
                                 ? TrimDescription(message)
                                 : QString::fromUtf8(CannotOpen(opened_).what());
        QMetaObject::invokeMethod(
            this, [text] { ReportError(std::make_exception_ptr(EError(text.toStdString()))); },
            Qt::QueuedConnection);
    };
    QWidget* view = browser->View();
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    view->show();
    browser_ = browser;
}
