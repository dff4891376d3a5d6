#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

class QAbstractButton;
class QToolButton;

/**
 * One command: a QAction named after the command (objectName), with the
 * command's hint and shortcut, an execute handler and an optional update
 * handler. Executing runs the update handler first and does nothing when the
 * command is then disabled. Commands have no checked state: a bound button
 * never shows one (the word-wrap button looks the same with wrap on or off).
 */
class TAction : public QAction {
    Q_OBJECT
public:
    TAction(const QString& name, const QString& hint, const QKeySequence& shortcut,
            QObject* parent);

    QString Hint() const { return hint_; }

    /// "hint (Ctrl+X)" with a shortcut, the hint alone without one.
    QString ToolTipText() const;

    std::function<void()> OnExecute;
    std::function<void(TAction&)> OnUpdate;

    /// Runs the update handler, then the execute handler when enabled.
    /// Returns true when the execute handler ran. Failures propagate.
    bool Execute();
    void Update();

    /// Controls whose visibility decides whether UpdateShowing reaches this command.
    void AddBoundControl(QWidget* control) { bound_.append(control); }
    bool IsBoundControlShowing() const;

private:
    QString hint_;
    QList<QWidget*> bound_;
};

/**
 * The command list of a window (ActionList1). The window runs UpdateShowing
 * where the commands' state may have changed, and again when it can show it
 * after a time it could not.
 */
class TActionList : public QObject {
    Q_OBJECT
public:
    explicit TActionList(QWidget* window);

    TAction* Add(const QString& name, const QString& hint, const QKeySequence& shortcut = {});
    TAction* Find(const QString& name) const;
    const QList<TAction*>& Actions() const { return actions_; }

    /// Runs the update handlers of the commands whose bound controls are
    /// showing; nothing while the window is hidden or disabled or a modal
    /// dialog is open.
    void UpdateShowing();

    /// True when a key combination is the shortcut of an enabled command.
    bool IsEnabledShortcut(const QKeySequence& key) const;

private:
    QWidget* window_;
    QList<TAction*> actions_;
};

/**
 * Binds a flat tool button to a command: a click executes it, the button is
 * enabled exactly when the command is, and its tool tip is the command's hint
 * with the shortcut. The button has no pressed state of its own.
 */
void BindButton(QToolButton* button, TAction* action);
