#include "settings/PropsStorage.h"

// ---- Qt ----
#include <QMetaEnum>
#include <QMetaProperty>
#include <QObject>
#include <QVariant>

// ---- Standard library ----
#include <string>
#include <vector>

// ---- Project ----
#include "settings/core/StoredText.h"

namespace {

enum class Kind { Unsupported, Integer, Boolean, Enumeration, Text, Set, Object };

Kind kindOf(const QMetaProperty& property) {
    if (property.isFlagType()) return Kind::Set;
    if (property.isEnumType()) return Kind::Enumeration;
    const QMetaType type = property.metaType();
    switch (type.id()) {
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::Char:
        case QMetaType::SChar:
            return Kind::Integer;
        case QMetaType::Bool:
            return Kind::Boolean;
        case QMetaType::QString:
            return Kind::Text;
        default:
            break;
    }
    if (type.flags() & QMetaType::PointerToQObject) return Kind::Object;
    return Kind::Unsupported;
}

QString trimmed(const QString& text) {
    return QString::fromStdString(StoredText::Trim(text.toStdString()));
}

std::vector<std::string> enumIdentifiers(const QMetaEnum& meta) {
    std::vector<std::string> identifiers;
    for (int i = 0; i < meta.keyCount(); ++i) identifiers.emplace_back(meta.key(i));
    return identifiers;
}

std::vector<StoredText::SetMember> setMembers(const QMetaEnum& meta) {
    std::vector<StoredText::SetMember> members;
    for (int i = 0; i < meta.keyCount(); ++i)
        members.emplace_back(meta.key(i), uint32_t(meta.value(i)));
    return members;
}

const std::vector<std::string>& booleanIdentifiers() {
    static const std::vector<std::string> identifiers{"False", "True"};
    return identifiers;
}

}  // namespace

TPropsStorage::TPropsStorage(QObject* owner, Reader read, Writer write)
    : owner_(owner), read_(std::move(read)), write_(std::move(write)) {}

bool TPropsStorage::SplitEntry(const QString& entry, QString* component, QString* property) {
    const qsizetype dot = entry.indexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    *component = trimmed(entry.left(dot));
    *property = trimmed(entry.mid(dot + 1));
    return !component->isEmpty() && !property->isEmpty();
}

QObject* TPropsStorage::FindComponent(QObject* owner, const QString& name) {
    if (!owner || name.isEmpty()) return nullptr;
    const QList<QObject*> children = owner->findChildren<QObject*>();
    for (QObject* child : children)
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
    return nullptr;
}

int TPropsStorage::FindProperty(const QObject* object, const QString& name) {
    const QMetaObject* meta = object->metaObject();
    // Most derived first, so that a control's own "Font" wins over QWidget's "font".
    for (int i = meta->propertyCount() - 1; i >= 0; --i)
        if (QString::fromLatin1(meta->property(i).name()).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QObject* TPropsStorage::PropertyObject(const QObject* object, const QMetaProperty& property) {
    if (kindOf(property) != Kind::Object) return nullptr;
    const QVariant value = property.read(object);
    return value.isValid() ? *static_cast<QObject* const*>(value.constData()) : nullptr;
}

QString TPropsStorage::PropertyText(const QObject* object, const QMetaProperty& property) {
    const QVariant value = property.read(object);
    switch (kindOf(property)) {
        case Kind::Integer:
            return QString::number(value.toInt());
        case Kind::Boolean:
            return QString::fromStdString(booleanIdentifiers()[value.toBool() ? 1 : 0]);
        case Kind::Enumeration: {
            const QMetaEnum meta = property.enumerator();
            const int raw = value.toInt();
            const char* key = meta.valueToKey(raw);
            return key ? QString::fromLatin1(key) : QString::number(raw);
        }
        case Kind::Text:
            return value.toString();
        case Kind::Set: {
            const auto members = setMembers(property.enumerator());
            return QString::fromStdString(StoredText::FormatSet(members, uint32_t(value.toInt())));
        }
        case Kind::Object:
        case Kind::Unsupported:
            break;
    }
    return QString();
}

void TPropsStorage::SetPropertyText(QObject* object, const QMetaProperty& property,
                                    const QString& text) {
    const std::string bytes = text.toStdString();
    switch (kindOf(property)) {
        case Kind::Integer: {
            // Text that is no integer sets 0, not the previous value.
            const auto value = StoredText::ParseInteger(StoredText::Trim(bytes));
            property.write(object, QVariant(value ? *value : 0));
            break;
        }
        case Kind::Boolean: {
            const int index = StoredText::FindIdentifier(booleanIdentifiers(), bytes);
            if (index >= 0) property.write(object, QVariant(index == 1));
            break;
        }
        case Kind::Enumeration: {
            const QMetaEnum meta = property.enumerator();
            const int index = StoredText::FindIdentifier(enumIdentifiers(meta), bytes);
            if (index >= 0) property.write(object, QVariant(meta.value(index)));
            break;
        }
        case Kind::Text:
            property.write(object, QVariant(text));
            break;
        case Kind::Set: {
            const auto members = setMembers(property.enumerator());
            property.write(object, QVariant(int(StoredText::ParseSet(members, bytes))));
            break;
        }
        case Kind::Object:
        case Kind::Unsupported:
            break;
    }
}

void TPropsStorage::applyProperty(QObject* object, const QMetaProperty& property,
                                  const QString& prefix) const {
    const QString name = prefix + QString::fromLatin1(property.name());
    const Kind kind = kindOf(property);
    if (kind == Kind::Unsupported) return;
    if (kind == Kind::Object) {
        QObject* inner = PropertyObject(object, property);
        if (!inner) return;
        const QMetaObject* meta = inner->metaObject();
        for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
            try {
                applyProperty(inner, meta->property(i), name);
            } catch (...) {
                // A value that cannot be read or applied leaves the property as it was.
            }
        }
        return;
    }
    const QString current = trimmed(PropertyText(object, property));
    SetPropertyText(object, property, trimmed(read_(name, current)));
}

void TPropsStorage::captureProperty(const QObject* object, const QMetaProperty& property,
                                    const QString& prefix) const {
    const QString name = prefix + QString::fromLatin1(property.name());
    const Kind kind = kindOf(property);
    if (kind == Kind::Unsupported) return;
    if (kind == Kind::Object) {
        const QObject* inner = PropertyObject(object, property);
        if (!inner) return;
        const QMetaObject* meta = inner->metaObject();
        for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
            captureProperty(inner, meta->property(i), name);
        return;
    }
    const QString text = trimmed(PropertyText(object, property));
    if (text.isEmpty() && kind != Kind::Text) return;
    write_(name, text);
}

namespace {

// One stored-property entry ("component.Property") resolved in the window;
// false when it does not split or names what the window does not have.
struct ResolvedEntry {
    QObject* component = nullptr;
    QMetaProperty property;
    QString prefix;
};

bool resolveEntry(QObject* owner, const QString& entry, ResolvedEntry* out) {
    QString componentName, propertyName;
    if (!TPropsStorage::SplitEntry(entry, &componentName, &propertyName)) return false;
    QObject* component = TPropsStorage::FindComponent(owner, componentName);
    if (!component) return false;
    const int index = TPropsStorage::FindProperty(component, propertyName);
    if (index < 0) return false;
    *out = {component, component->metaObject()->property(index),
            component->objectName() + QLatin1Char('_')};
    return true;
}

}  // namespace

void TPropsStorage::ApplyStoredProps(const QStringList& entries) const {
    for (const QString& entry : entries) {
        try {
            ResolvedEntry e;
            if (resolveEntry(owner_, entry, &e)) applyProperty(e.component, e.property, e.prefix);
        } catch (...) {
            // Restoring is best effort: a bad value never stops the others.
        }
    }
}

void TPropsStorage::CaptureStoredProps(const QStringList& entries) const {
    for (const QString& entry : entries) {
        ResolvedEntry e;
        if (resolveEntry(owner_, entry, &e)) captureProperty(e.component, e.property, e.prefix);
    }
}
