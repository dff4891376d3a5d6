#include "viewers/html/LocalPageHandler.h"

// System
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>

// Qt
#include <QFile>
#include <QWebEngineUrlRequestJob>

// Project
#include "viewers/html/GatePasses.h"
#include "viewers/html/LocalPages.h"
#include "viewers/html/core/LocalFilePolicy.h"

namespace {

/**
 * A regular file read through its descriptor up to the size it had when it
 * was opened, never further: the engine reads documents on its IO thread,
 * and a file that grows or lies about its size must not keep it there.
 */
class TBoundedFile : public QIODevice {
public:
    TBoundedFile(int fd, qint64 size) : fd_(fd), size_(size) {}
    ~TBoundedFile() override { ::close(fd_); }

    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }
    bool seek(qint64 pos) override {
        if (pos < 0 || pos > size_) return false;
        offset_ = pos;
        return QIODevice::seek(pos);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 wanted = std::min(maxSize, size_ - offset_);
        if (wanted <= 0) return 0;  // the end as opened
        const ssize_t got = ::pread(fd_, data, static_cast<size_t>(wanted), offset_);
        // Cut short while being read: a failure, not an early end the
        // reader would wait past.
        if (got <= 0) return -1;
        offset_ += got;
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const int fd_;
    const qint64 size_;
    qint64 offset_ = 0;
};

/// Opens a regular file for the engine to read, or returns null. The checks
/// are made on the open descriptor, so that a path swapped for a FIFO in the
/// meantime cannot block the engine's reader; nothing of a kernel pseudo
/// file system (/proc, /sys, tracing) is read.
QIODevice* OpenRegularFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (HasControlCharacter(native.toStdString())) return nullptr;
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return nullptr;
    struct stat st {};
    struct statfs fs {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fstatfs(fd, &fs) != 0 ||
        IsPseudoFileSystem(static_cast<long>(fs.f_type))) {
        ::close(fd);
        return nullptr;
    }
    auto* file = new TBoundedFile(fd, st.st_size);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
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
    QIODevice* file =
        url.host() == TLocalPages::PageUrl(path).host() ? OpenRegularFile(path) : nullptr;
    if (!file) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The engine reads the file on a thread of its own until the job goes.
    connect(job, &QObject::destroyed, file, &QObject::deleteLater);
    job->reply(DocumentTypeOf(QFile::encodeName(path).toStdString()), file);
}
