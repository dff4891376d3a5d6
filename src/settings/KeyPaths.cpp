#include "settings/KeyPaths.h"

// ---- Qt ----
#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

QString CompanyKeyName;

QString SettingsKeyPath() {
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStringLiteral("Software\\") + CompanyKeyName + QLatin1Char('\\') + exe;
}

QString SettingsLocation(const QString& keyPath) {
    QStringList parts = keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() &&
        parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    // A component must never climb out of the configuration folder.
    for (QString& part : parts) {
        part.replace(QLatin1Char('/'), QLatin1Char('_'));
        if (part == QLatin1String("..") || part == QLatin1String(".")) part = QStringLiteral("_");
    }
    if (parts.isEmpty()) parts << QStringLiteral("_");
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QLatin1Char('/') + parts.join(QLatin1Char('/')) + QStringLiteral(".conf");
}
