#include "support/QtTestSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

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

namespace {

int g_modalLimitMs = ModalWatchdog::kDefaultLimitMs;

std::string Describe(QWidget* modal) {
    std::string text = std::string("a modal ") + modal->metaObject()->className() + " \"" +
                       modal->windowTitle().toStdString() + "\"";
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        text += " saying \"" + box->text().toStdString() + "\"";
    return text;
}

void CloseModal(QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
}

}  // namespace

void ModalWatchdog::SetLimit(int milliseconds) {
    g_modalLimitMs = milliseconds;
}

void ModalWatchdog::OnTestStart(const ::testing::TestInfo&) {
    // Modal windows run an event loop of their own, which fires this timer too.
    watched_.clear();
    timer_ = std::make_unique<QTimer>();
    timer_->setInterval(50);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Check(); });
    timer_->start();
}

void ModalWatchdog::OnTestEnd(const ::testing::TestInfo&) {
    timer_.reset();
    for (int i = 0; i < 10; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) break;
        ADD_FAILURE() << Describe(modal) << " was still open when the test ended";
        CloseModal(modal);
    }
}

void ModalWatchdog::Check() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != watched_) {
        watched_ = modal;
        since_.start();
        return;
    }
    if (!modal || since_.elapsed() < g_modalLimitMs) return;
    ADD_FAILURE() << Describe(modal) << " stayed open for " << g_modalLimitMs
                  << " ms: closed by the test watchdog";
    watched_.clear();
    CloseModal(modal);
}

ScratchFolder::ScratchFolder() = default;

QString ScratchFolder::Path() const {
    return QFile::decodeName(dir_.Path().c_str()) + QLatin1Char('/');
}

QString ScratchFolder::Write(const QString& relativePath, const QByteArray& bytes) {
    const QString path = Path() + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write test file " << path.toStdString() << ": "
                      << f.errorString().toStdString();
    return path;
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        ProcessEvents(10);
    }
    return true;
}

void ProcessEvents(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (!deadline.hasExpired());
}
