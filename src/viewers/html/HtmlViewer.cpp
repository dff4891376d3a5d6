#include "viewers/html/HtmlViewer.h"

// Project
#include "host/ViewerHost.h"
#include "viewers/html/HtmlView.h"

TViewerRecord HtmlViewer() {
    TViewerRecord record;
    record.page = kHtmlPage;
    record.extensions = {QStringLiteral(".htm"), QStringLiteral(".html")};
    record.captionAfterLoad = false;
    record.keysFirst = true;
    record.install = [](TViewerHost& host) -> TViewerLoad {
        auto* view = new THtmlView(host.Page(kHtmlPage),
                                   [&host](const QString& title) { host.SetCaption(title); });
        host.AddReadAhead([view](const QStringList& paths) { view->ReadAhead(paths); });
        return [view](const QString& path) { view->Open(path); };
    };
    return record;
}

void InstallHtmlView(TViewerHost& host) {
    host.RegisterViewer(HtmlViewer());
}
