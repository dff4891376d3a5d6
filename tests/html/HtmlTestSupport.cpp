#include "HtmlTestSupport.h"

// Qt
#include <QFile>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>

// Project
#include "viewers/html/HtmlBrowser.h"

#if defined(__SANITIZE_ADDRESS__)
// Chromium inside the engine's library frees some objects with a size that
// differs from their allocation's; that is the engine's own convention, not a
// fault of this code, and the sanitizer would stop every test at its start.
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}
#endif

QByteArray Page(const QByteArray& title, const QByteArray& body) {
    return "<!doctype html><html><head><title>" + title + "</title></head><body>" + body +
           "</body></html>";
}

bool EngineLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

HtmlViewFixture::HtmlViewFixture()
    : view_(&page_, [this](const QString& t) { captions_.append(t); }) {
    page_.resize(400, 300);
    page_.show();
}

QWidget* HtmlViewFixture::WebView() const {
    return page_.findChild<QWidget*>(QStringLiteral("wbHTML"));
}

bool HtmlViewFixture::WaitForCaptions(qsizetype count) {
    return WaitFor([&] { return captions_.size() >= count; });
}

QString HtmlViewFixture::Eval(const QString& script) {
    QString result;
    bool done = false;
    view_.Browser()->RunScript(script, [&](const QVariant& v) {
        result = v.toString();
        done = true;
    });
    WaitFor([&] { return done; });
    return result;
}

QJsonObject HtmlViewFixture::WaitForResults() {
    QJsonObject results;
    WaitFor([&] {
        const QString json = Eval(QStringLiteral(
            "typeof results == 'object' && results.done ? JSON.stringify(results) : ''"));
        results = QJsonDocument::fromJson(json.toUtf8()).object();
        return !results.isEmpty();
    });
    return results;
}

TTestWebServer::TTestWebServer() : server_(new QTcpServer) {
    server_->listen(QHostAddress::LocalHost);
    QObject::connect(server_, &QTcpServer::newConnection, server_, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            auto request = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                request->append(socket->readAll());
                if (!request->contains("\r\n\r\n")) return;
                const QList<QByteArray> line = request->left(request->indexOf('\r')).split(' ');
                const QString path = line.size() > 1 ? QString::fromLatin1(line[1]) : QString();
                if (const auto to = redirects_.constFind(path); to != redirects_.constEnd()) {
                    socket->write("HTTP/1.1 302 Found\r\nLocation: " + *to +
                                  "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
                    socket->disconnectFromHost();
                    return;
                }
                if (const auto to = redirects_.constFind(path); to != redirects_.constEnd()) {
                    socket->write("HTTP/1.1 302 Found\r\nLocation: " + *to +
                                  "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
                    socket->disconnectFromHost();
                    return;
                }
                const auto page = pages_.constFind(path);
                const QByteArray body = page == pages_.constEnd() ? QByteArray() : *page;
                const QByteArray status = page == pages_.constEnd() ? "404 Not Found" : "200 OK";
                socket->write("HTTP/1.1 " + status +
                              "\r\nContent-Type: text/html\r\nConnection: close\r\n"
                              "Content-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

TTestWebServer::~TTestWebServer() {
    delete server_;
}

void TTestWebServer::Serve(const QString& path, const QByteArray& body) {
    pages_.insert(path, body);
}

void TTestWebServer::Redirect(const QString& path, const QByteArray& location) {
    redirects_.insert(path, location);
}

QString TTestWebServer::Url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_->serverPort()).arg(path);
}
