#pragma once

#include <QWebEngineUrlSchemeHandler>

#include <memory>

class TGatePasses;

/**
 * Answers the page scheme (LocalPages.h): a document with the file's bytes
 * and the MIME type of its name; the gate with a redirect to the file URL
 * and a one-time pass. Only regular files are read, never a folder or a
 * device.
 */
class TLocalPageHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    TLocalPageHandler(std::shared_ptr<TGatePasses> passes, QObject* parent);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    std::shared_ptr<TGatePasses> passes_;
};
