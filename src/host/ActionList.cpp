#include "host/ActionList.h"

#include "base/ErrorReport.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolButton>
#include <QToolTip>

TAction::TAction(const QString& name, const QString& hint, const QKeySequence& shortcut,
                 QObject* parent)
    : QAction(parent), hint_(hint) {
    setObjectName(name);
    setText(hint);
    if (!shortcut.isEmpty()) {
        setShortcut(shortcut);
        setShortcutContext(Qt::WindowShortcut);
    }
    // Shortcuts and buttons both come through Execute, which checks the update first.
    connect(this, &QAction::triggered, this, [this] { Guarded([this] { Execute(); }); });
}

QString TAction::ToolTipText() const {
    if (shortcut().isEmpty()) return hint_;
    // Modifier prefixes in the order Shift+, Ctrl+, Alt+, then the key.
    const QKeyCombination combo = shortcut()[0];
    QString text;
    if (combo.keyboardModifiers() & Qt::ShiftModifier) text += QStringLiteral("Shift+");
    if (combo.keyboardModifiers() & Qt::ControlModifier) text += QStringLiteral("Ctrl+");
    if (combo.keyboardModifiers() & Qt::AltModifier) text += QStringLiteral("Alt+");
    text += QKeySequence(combo.key()).toString(QKeySequence::PortableText);
    return QStringLiteral("%1 (%2)").arg(hint_, text);
}

void TAction::Update() {
    if (OnUpdate) OnUpdate(*this);
}

bool TAction::Execute() {
    Update();
    if (!isEnabled() || !OnExecute) return false;
    OnExecute();
    return true;
}

bool TAction::IsBoundControlShowing() const {
    for (QWidget* w : bound_)
        if (w->isVisible()) return true;
    return false;
}

TActionList::TActionList(QWidget* window) : QObject(window), window_(window) {
    setObjectName(QStringLiteral("ActionList1"));
}

TAction* TActionList::Add(const QString& name, const QString& hint, const QKeySequence& shortcut) {
    auto* action = new TAction(name, hint, shortcut, this);
    actions_.append(action);
    window_->addAction(action);
    return action;
}

TAction* TActionList::Find(const QString& name) const {
    for (TAction* a : actions_)
        if (a->objectName() == name) return a;
    return nullptr;
}

void TActionList::UpdateShowing() {
    if (!window_->isVisible() || !window_->isEnabled()) return;
    if (QApplication::activeModalWidget()) return;
    for (TAction* a : actions_)
        if (a->OnUpdate && a->IsBoundControlShowing()) a->Update();
}

bool TActionList::IsEnabledShortcut(const QKeySequence& key) const {
    for (TAction* a : actions_)
        if (a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == key) return true;
    return false;
}

namespace {

// Shows a button's tool tip for 2500 ms (Qt's default lasts longer).
class ToolTipTimer : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip) {
            auto* w = static_cast<QWidget*>(watched);
            auto* help = static_cast<QHelpEvent*>(event);
            if (!w->toolTip().isEmpty())
                QToolTip::showText(help->globalPos(), w->toolTip(), w, w->rect(), 2500);
            return true;
        }
        return false;
    }
};

}  // namespace

void BindButton(QToolButton* button, TAction* action) {
    button->setToolTip(action->ToolTipText());
    button->setEnabled(action->isEnabled());
    action->AddBoundControl(button);
    QObject::connect(button, &QToolButton::clicked, action,
                     [action] { Guarded([action] { action->Execute(); }); });
    QObject::connect(action, &QAction::changed, button, [button, action] {
        button->setEnabled(action->isEnabled());
        button->setToolTip(action->ToolTipText());
    });
    static ToolTipTimer* timer = new ToolTipTimer(qApp);
    button->installEventFilter(timer);
}
