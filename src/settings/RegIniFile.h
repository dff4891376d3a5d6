#pragma once

// ---- Qt ----
#include <QString>

// ---- Standard library ----
#include <memory>

class QSettings;

/**
 * The registry adapter: one opening of the application key, over QSettings.
 * Values are strings; reads give the default for whatever is missing, a value
 * of another type fails with "Invalid data type for '<name>'". Writes are
 * collected and reach the disk in one atomic replacement when the store is
 * closed, so a crash or kill during a save leaves the old file or the new one.
 * A file that QSettings could only partly parse is kept aside as
 * "<name>.broken" before it is first rewritten.
 */
class TRegIniFile {
public:
    enum class Access { ReadOnly, Writable };

    /// Opens the key path's store (see SettingsLocation).
    TRegIniFile(const QString& keyPath, Access access);
    /// Closes without reporting; Close() reports write failures.
    ~TRegIniFile();

    TRegIniFile(const TRegIniFile&) = delete;
    TRegIniFile& operator=(const TRegIniFile&) = delete;

    QString ReadString(const QString& section, const QString& ident, const QString& defaultValue);
    void WriteString(const QString& section, const QString& ident, const QString& value);

    /// Writes what was changed to disk (one sync) and releases the store.
    /// Throws "Failed to set data for '<name>'" naming the last value
    /// written when the file could not be replaced; a file that only reads
    /// back damaged is no failure here.
    void Close();

private:
    void keepDamagedFileAside();

    std::unique_ptr<QSettings> settings_;
    QString location_;
    Access access_;
    bool dirty_ = false;
    bool damaged_ = false;
    bool writeChecked_ = false;
    bool unreadable_ = false;
    QString lastIdent_;
};
