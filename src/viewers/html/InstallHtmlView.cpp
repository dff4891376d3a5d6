#include "viewers/html/HtmlView.h"

// Qt
#include <QKeyEvent>
#include <QKeySequence>

// Project
#include "app/ActionList.h"
#include "app/Application.h"
#include "app/MainWindowUnit.h"

void InstallHtmlView(TMainWindow& window) {
    auto* view = new THtmlView(
        window.Page(QStringLiteral("HTML")),
        [&window](const QString& title) { window.SetCaption(title); },
        [&window](QKeyEvent* event) {
            // A key the page left runs the command bound to it, as a shortcut
            // would; a failure goes to the error box here, not through the engine.
            const QKeySequence key(event->keyCombination());
            for (TAction* action : window.ActionList()->Actions()) {
                if (action->shortcut().isEmpty() || action->shortcut() != key) continue;
                bool ran = false;
                TApplication::Guarded([&] { ran = action->Execute(); });
                return ran;
            }
            return false;
        });
    const TViewerLoad load = [view](const QString& path) { view->Open(path); };
    window.RegisterViewer(QStringLiteral(".htm"), load);
    window.RegisterViewer(QStringLiteral(".html"), load);
}
