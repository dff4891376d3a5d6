#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <functional>
#include <memory>

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

/**
 * Fails the running test when a modal window (an error box, the open dialog)
 * stays open, and closes it, so that the run goes on instead of waiting for
 * CTest's time limit; a modal still open when a test ends fails it too. The
 * Qt test main installs it for every test. A test that opens a dialog on
 * purpose closes it from a timer, well within the limit.
 */
class ModalWatchdog : public ::testing::EmptyTestEventListener {
public:
    static constexpr int kDefaultLimitMs = 10000;
    /// How long a modal may stay open (for the watchdog's own test).
    static void SetLimit(int milliseconds);

    void OnTestStart(const ::testing::TestInfo&) override;
    void OnTestEnd(const ::testing::TestInfo&) override;

private:
    void Check();

    std::unique_ptr<QTimer> timer_;
    QPointer<QWidget> watched_;
    QElapsedTimer since_;
};

/** A TTempFolder (support/TempFolder.h) with Qt paths and bytes. */
class ScratchFolder {
public:
    ScratchFolder();
    /// The folder's path, ending in "/".
    QString Path() const;
    /// Creates a file (and its folders) with the given bytes; returns its path.
    QString Write(const QString& relativePath, const QByteArray& bytes = {});

private:
    TTempFolder dir_{"tarvel-files"};
};

/// Runs queued events (including deferred deletes) for a moment.
void ProcessEvents(int milliseconds = 0);

/// Runs events until `done` holds or the deadline passes; returns `done()`.
/// The way to wait for something that is to happen: a fixed wait before
/// checking that it did fails when the machine is busy.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000);

/// Runs events for a fixed time, in which something that must not happen
/// would have happened: a test that then checks it did not uses this, where
/// the window's length is the point.
inline void RunEventsFor(int milliseconds) {
    ProcessEvents(milliseconds);
}

/// Readable QString values in test failure messages. These are the only
/// printers of Qt types: inline functions of one name must not differ
/// between the files of one test binary.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (const QString& s : list) *os << " \"" << s.toStdString() << '"';
    *os << " }";
}
