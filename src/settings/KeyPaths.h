#pragma once

// ---- Qt ----
#include <QString>

/// The company part of the application key; the main window sets it to
/// "TarvelSoftware" before the first access. Read each time a key path is built.
extern QString CompanyKeyName;

/// "Software\" + CompanyKeyName + "\" + the executable's name without its
/// folder and last extension.
QString SettingsKeyPath();

/// Where a key path's store lives: the per-user file
/// <config>/<company>/<exe>.conf (config = $XDG_CONFIG_HOME or ~/.config),
/// the key's components below "Software" becoming folders.
QString SettingsLocation(const QString& keyPath);
