#pragma once

// ---- Qt ----
#include <QString>
#include <QStringList>

// ---- Standard library ----
#include <functional>

class QMetaProperty;
class QObject;

/**
 * Reads and writes properties of a window's controls as named text values.
 * Controls are found by objectName, properties through Qt's meta-object
 * system, both without regard to case. Kinds and their texts: integers in
 * decimal; enumerations (bool as False/True) by identifier; texts as they
 * are; sets (Q_FLAG) as "[a,b]"; a QObject* property (a font) has no text of
 * its own, its properties are stored one by one under the extended prefix.
 */
class TPropsStorage {
public:
    using Reader = std::function<QString(const QString& name, const QString& defaultValue)>;
    using Writer = std::function<void(const QString& name, const QString& value)>;

    TPropsStorage(QObject* owner, Reader read, Writer write);

    /// Restores every entry ("component.property"); every error is ignored.
    void ApplyStoredProps(const QStringList& entries) const;
    /// Saves every entry; the first failing write ends the run.
    void CaptureStoredProps(const QStringList& entries) const;

    /// Splits an entry at its first full stop into two trimmed, non-empty names.
    static bool SplitEntry(const QString& entry, QString* component, QString* property);
    /// The owner's descendant whose objectName matches, ignoring case.
    static QObject* FindComponent(QObject* owner, const QString& name);
    /// The property's index in the object's meta-object, ignoring case; -1 if none.
    static int FindProperty(const QObject* object, const QString& name);

    /// The property's text (not for object properties); empty for an unsupported kind.
    static QString PropertyText(const QObject* object, const QMetaProperty& property);
    /// Sets a property from its text by the rules of its kind.
    static void SetPropertyText(QObject* object, const QMetaProperty& property,
                                const QString& text);
    /// The object a QObject* property points to, or nullptr for other kinds.
    static QObject* PropertyObject(const QObject* object, const QMetaProperty& property);

private:
    void applyProperty(QObject* object, const QMetaProperty& property, const QString& prefix) const;
    void captureProperty(const QObject* object, const QMetaProperty& property,
                         const QString& prefix) const;

    QObject* owner_;
    Reader read_;
    Writer write_;
};
