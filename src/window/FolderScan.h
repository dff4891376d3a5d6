#pragma once

#include <QString>
#include <QStringList>

/**
 * Reads a folder once and returns folder + name for every entry that is a
 * regular file (or a link to one), is not hidden (no leading "."), and whose
 * name ends in "." + one of the enabled extensions, without regard to case.
 * Entries of the extension list that begin with a backslash are disabled.
 * A folder that cannot be read gives nothing. The folder must end in "/".
 */
QStringList ScanFolderFiles(const QString& folder, const QStringList& extensions);

/// True for an existing regular file (links followed); FIFOs, sockets,
/// devices and folders are not files here.
bool IsRegularFile(const QString& path);

/// True for an existing folder (links followed).
bool IsFolder(const QString& path);
