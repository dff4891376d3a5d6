#include "viewers/html/LocalPageHandler.h"

// System
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Qt
#include <QFile>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>

// Project
#include "viewers/html/GatePasses.h"
#include "viewers/html/core/LocalFilePolicy.h"
#include "viewers/html/LocalPages.h"

namespace {

/// Opens a regular file for the engine to read, or returns null. The check
/// is made on the open descriptor, so that a path swapped for a FIFO in the
/// meantime cannot block the engine's reader.
QFile* OpenRegularFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    auto* file = new QFile;
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        delete file;
        return nullptr;
    }
    return file;
}

}  // namespace

TLocalPageHandler::TLocalPageHandler(std::shared_ptr<TGatePasses> passes, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), passes_(std::move(passes)) {}

void TLocalPageHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl url = job->requestUrl();
    const QString path = TLocalPages::PathOf(url);
    if (TLocalPages::IsGate(url)) {
        // Only requests without CORS get here; the engine refused the others.
        if (ClassifyLocalPath(QFile::encodeName(path).toStdString()) != TLocalTarget::File) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        job->redirect(passes_->Issue(path));
        return;
    }
    // The request guard sends every document to its own origin first.
    QFile* file = url.host() == TLocalPages::PageUrl(path).host() ? OpenRegularFile(path) : nullptr;
    if (!file) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The engine reads the file on a thread of its own until the job goes.
    connect(job, &QObject::destroyed, file, &QObject::deleteLater);
    static const QMimeDatabase mimeTypes;
    const QByteArray type =
        mimeTypes.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
    job->reply(type, file);
}
