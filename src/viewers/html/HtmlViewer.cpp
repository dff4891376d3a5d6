#include "viewers/html/HtmlViewer.h"

// Project
#include "host/Paths.h"
#include "host/ViewerHost.h"
#include "viewers/html/HtmlView.h"

const QStringList& HtmlExtensions() {
    static const QStringList extensions{QStringLiteral(".htm"), QStringLiteral(".html")};
    return extensions;
}

TViewerRecord HtmlViewer() {
    TViewerRecord record;
    record.page = kHtmlPage;
    record.extensions = HtmlExtensions();
    record.captionAfterLoad = false;
    record.keysFirst = true;
    record.install = [](TViewerHost& host) -> TViewerLoad {
        auto* view = new THtmlView(host.Page(kHtmlPage),
                                   [&host](const QString& title) { host.SetCaption(title); });
        host.AddReadAhead([view](const QStringList& paths) {
            view->ReadAhead(pathrules::WithExtension(paths, HtmlExtensions()));
        });
        return [view](const QString& path) { view->Open(path); };
    };
    return record;
}

void InstallHtmlView(TViewerHost& host) {
    host.RegisterViewer(HtmlViewer());
}
