#include "viewers/html/HtmlView.h"

// Project
#include "app/MainWindowUnit.h"

void InstallHtmlView(TMainWindow& window) {
    auto* view = new THtmlView(window.Page(QStringLiteral("HTML")),
                               [&window](const QString& title) { window.SetCaption(title); });
    const TViewerLoad load = [view](const QString& path) { view->Open(path); };
    window.RegisterViewer(QStringLiteral(".htm"), load);
    window.RegisterViewer(QStringLiteral(".html"), load);
}
