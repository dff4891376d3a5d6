#pragma once

#include <QString>
#include <QStringList>

#include "base/FileTypes.h"

/// Whether an entry of the stored file-type list is listed but not browsed.
inline bool IsDisabledType(const QString& entry) {
    return entry.startsWith(QLatin1Char(kDisabledTypeMark));
}

/// The type an entry names, without the mark.
inline QString TypeOfEntry(const QString& entry) {
    return IsDisabledType(entry) ? entry.mid(1) : entry;
}

/// The entry for a type, browsed or not.
inline QString TypeEntry(const QString& type, bool browsed) {
    return browsed ? type : QLatin1Char(kDisabledTypeMark) + type;
}

/// The types browsed, in list order.
inline QStringList BrowsedTypes(const QStringList& entries) {
    QStringList types;
    for (const QString& e : entries)
        if (!e.isEmpty() && !IsDisabledType(e)) types.append(e);
    return types;
}
