#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <utility>
#include <vector>

/** Records the error boxes a test provokes instead of showing them. */
class ErrorBoxRecorder {
public:
    ErrorBoxRecorder();
    ~ErrorBoxRecorder();
    /// (caption, text) of every box, in order.
    const std::vector<std::pair<QString, QString>>& Boxes() const { return boxes_; }
    QStringList Texts() const;
    void Clear() { boxes_.clear(); }

private:
    std::vector<std::pair<QString, QString>> boxes_;
};

/** A temporary folder with helpers to create files in it. */
class ScratchFolder {
public:
    ScratchFolder();
    /// The folder's path, ending in "/".
    QString Path() const;
    /// Creates a file (and its folders) with the given bytes; returns its path.
    QString Write(const QString& relativePath, const QByteArray& bytes = {});

private:
    QTemporaryDir dir_;
};

/// Runs queued events (including deferred deletes) for a moment.
void ProcessEvents(int milliseconds = 0);

/// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (const QString& s : list) *os << " \"" << s.toStdString() << '"';
    *os << " }";
}
