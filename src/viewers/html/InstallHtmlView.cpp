#include "viewers/html/HtmlView.h"

// Qt
#include <QKeyEvent>
#include <QKeySequence>

// Project
#include "app/ActionList.h"
#include "app/MainWindowUnit.h"

void InstallHtmlView(TMainWindow& window) {
    auto* view = new THtmlView(
        window.Page(QStringLiteral("HTML")),
        [&window](const QString& title) { window.SetCaption(title); },
        [&window](QKeyEvent* event) {
            const QKeySequence key(event->keyCombination());
            for (TAction* action : window.ActionList()->Actions()) {
                if (!action->shortcut().isEmpty() && action->shortcut() == key) {
                    action->Execute();
                    return true;
                }
            }
            return false;
        });
    const TViewerLoad load = [view](const QString& path) { view->Open(path); };
    window.RegisterViewer(QStringLiteral(".htm"), load);
    window.RegisterViewer(QStringLiteral(".html"), load);
}
