#include "settings/RegIniFile.h"

// ---- Qt ----
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>

// ---- System ----
#include <sys/stat.h>
#include <unistd.h>

// ---- Project ----
#include "base/Error.h"
#include "base/Messages.h"
#include "settings/KeyPaths.h"

namespace {

[[noreturn]] void fail(const char* format, const QString& name) {
    throw EError(QString::fromUtf8(format).arg(name).toStdString());
}

/// Lines that the INI reader drops or misreads (no "=", a section name
/// without its "]"): a rewrite would lose them, so the file counts as
/// damaged. QSettings reports a format error only to the first reader of a
/// file it has cached, so the file is looked at here.
bool hasDroppedLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    bool inQuote = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        // A quoted value may run over several lines; QSettings keeps those.
        const bool startsInQuote = inQuote;
        for (char c : line)
            if (c == '"') inQuote = !inQuote;
        if (startsInQuote || line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            if (!line.contains(']')) return true;
            continue;
        }
        if (!line.contains('=')) return true;
    }
    return false;
}

/// Which file a path names: every save puts a new file in the old one's
/// place, so a save that went out changes it. Zero when there is no file.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator!=(const FileIdentity& other) const {
        return device != other.device || inode != other.inode;
    }
};

FileIdentity identityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return {};
    return {info.st_dev, info.st_ino};
}

/// Whether the file on disk holds every value the store meant to write.
/// QSettings shares what it read per file name, so the file is read under a
/// second name of its own.
bool readsBackAs(const QString& path, const QSettings& meant) {
    const QString check = path + QStringLiteral(".check");
    QFile::remove(check);
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(check).constData()) != 0)
        return true;  // no second name on this file system: nothing to compare with
    bool same = false;
    {
        QSettings written(check, QSettings::NativeFormat);
        same = written.status() == QSettings::NoError && written.allKeys() == meant.allKeys();
        for (const QString& key : meant.allKeys()) {
            if (!same) break;
            same = written.value(key) == meant.value(key);
        }
    }
    QFile::remove(check);
    return same;
}

}  // namespace

TRegIniFile::TRegIniFile(const QString& keyPath, Access access)
    : location_(SettingsLocation(keyPath)), access_(access) {
    settings_ = std::make_unique<QSettings>(location_, QSettings::NativeFormat);
    if (access_ == Access::Writable) {
        const QFileInfo file(location_);
        // What cannot be read must not be replaced by the little that could.
        unreadable_ = file.exists() && !file.isReadable();
        damaged_ = settings_->status() == QSettings::FormatError || hasDroppedLines(location_);
    }
}

TRegIniFile::~TRegIniFile() {
    // Whatever happened, what was written so far still goes out in one piece.
    try {
        if (settings_) Close();
    } catch (...) {
    }
}

QString TRegIniFile::ReadString(const QString& section, const QString& ident,
                                const QString& defaultValue) {
    const QString key = section + QLatin1Char('/') + ident;
    if (!settings_ || !settings_->contains(key)) return defaultValue;
    const QVariant value = settings_->value(key);
    QString text;
    switch (value.typeId()) {
        case QMetaType::QString:
            text = value.toString();
            break;
        case QMetaType::QStringList:
            // An unquoted text with commas comes back as a list: it is the text.
            text = value.toStringList().join(QLatin1Char(','));
            break;
        default:
            fail(kInvalidDataType, ident);
    }
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) text.truncate(nul);
    return text;
}

void TRegIniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
    if (!settings_ || access_ != Access::Writable) fail(kCannotCreateKey, section);
    if (!writeChecked_) {
        // The folders above the file stand for the keys above the section.
        if (!QDir().mkpath(QFileInfo(location_).path())) fail(kCannotCreateKey, section);
        if (unreadable_) fail(kCannotSetData, ident);
        if (!settings_->isWritable()) {
            if (!settings_->childGroups().contains(section)) fail(kCannotCreateKey, section);
            fail(kCannotSetData, ident);
        }
        writeChecked_ = true;
    }
    if (damaged_) keepDamagedFileAside();
    settings_->setValue(section + QLatin1Char('/') + ident, value);
    dirty_ = true;
    lastIdent_ = ident;
}

void TRegIniFile::Close() {
    if (!settings_) return;
    std::unique_ptr<QSettings> settings = std::move(settings_);
    if (!dirty_) return;
    dirty_ = false;
    const FileIdentity before = identityOf(location_);
    // Qt replaces the file even when its write came up short (a full disk, a
    // size limit) and reports no error; a second name for the old file keeps
    // it until the new one has been read back whole.
    const QString previous = location_ + QStringLiteral(".saving");
    QFile::remove(previous);
    const bool kept = ::link(QFile::encodeName(location_).constData(),
                             QFile::encodeName(previous).constData()) == 0;
    settings->sync();
    const QSettings::Status status = settings->status();
    if (status == QSettings::NoError && identityOf(location_) != before &&
        !readsBackAs(location_, *settings)) {
        if (kept)
            ::rename(QFile::encodeName(previous).constData(),
                     QFile::encodeName(location_).constData());
        fail(kCannotSetData, lastIdent_);
    }
    if (kept) QFile::remove(previous);
    if (status == QSettings::NoError) return;
    // A format error comes from reading (the file was edited meanwhile and is
    // read again before it is written) and is no failure to write. QSettings
    // keeps only the first error it meets, so a failed write behind it shows
    // only in the file not having been replaced.
    if (status == QSettings::FormatError && identityOf(location_) != before) return;
    fail(kCannotSetData, lastIdent_);
}

void TRegIniFile::keepDamagedFileAside() {
    damaged_ = false;
    const QString aside = location_ + QStringLiteral(".broken");
    QFile::remove(aside);
    QFile::copy(location_, aside);
}
