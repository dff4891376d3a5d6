#include "support/QtTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/Application.h"

ErrorBoxRecorder::ErrorBoxRecorder() {
    TApplication::SetErrorSink([this](const QString& caption, const QString& text) {
        boxes_.emplace_back(caption, text);
    });
}

ErrorBoxRecorder::~ErrorBoxRecorder() {
    TApplication::SetErrorSink({});
}

QStringList ErrorBoxRecorder::Texts() const {
    QStringList texts;
    for (const auto& b : boxes_) texts.append(b.second);
    return texts;
}

ScratchFolder::ScratchFolder() : dir_(QDir::tempPath() + QStringLiteral("/tarvel-files-XXXXXX")) {}

QString ScratchFolder::Path() const {
    return dir_.path() + QLatin1Char('/');
}

QString ScratchFolder::Write(const QString& relativePath, const QByteArray& bytes) {
    const QString path = Path() + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

void ProcessEvents(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (!deadline.hasExpired());
}
