#include "viewers/html/HtmlView.h"

// Qt
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPluginLoader>
#include <QVBoxLayout>
#include <QWidget>

// Project
#include "app/Application.h"
#include "base/Error.h"
#include "viewers/html/HtmlBrowser.h"
#include "viewers/html/WebEngineSetup.h"

namespace {

EError CannotOpen(const QString& path) {
    return EError(QStringLiteral("Cannot open file %1").arg(path).toStdString());
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
    const QFileInfo info(path);
    if (!info.isFile()) throw CannotOpen(path);
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) throw CannotOpen(path);
    probe.close();
    if (!browser_) createBrowser();
    browser_->Navigate(info.absoluteFilePath());
}

void THtmlView::createBrowser() {
    THtmlBrowser* browser = LoadFactory()->CreateBrowser(page_);
    // The engine has read its settings from the environment by now.
    RestoreEnvironmentAfterWebEngineStart();
    // The engine reports from inside its own tasks; an error box (a nested
    // event loop) waits until they have returned.
    browser->OnNavigateComplete = [this](const QString& title) {
        try {
            setCaption_(title);
        } catch (...) {
            QMetaObject::invokeMethod(
                this, [error = std::current_exception()] { TApplication::ShowException(error); },
                Qt::QueuedConnection);
        }
    };
    browser->OnNavigateError = [this](const QString& message) {
        QMetaObject::invokeMethod(
            this, [text = TrimDescription(message)] { TApplication::ShowError(text); },
            Qt::QueuedConnection);
    };
    QWidget* view = browser->View();
    auto* layout = new QVBoxLayout(page_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    view->show();
    browser_ = browser;
}
