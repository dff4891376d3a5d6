#pragma once

#include <QWebEngineUrlSchemeHandler>

#include <memory>

class TGatePasses;

/**
 * Answers the page scheme (LocalPages.h): a document with the file's bytes
 * up to the size it had when opened, typed by its name as a page, picture or
 * PDF, or else as plain text; the gate with a redirect to the file URL and a
 * one-time pass. Only regular files are read, never a folder, a device or a
 * file of a kernel pseudo file system.
 */
class TLocalPageHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    TLocalPageHandler(std::shared_ptr<TGatePasses> passes, QObject* parent);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    std::shared_ptr<TGatePasses> passes_;
};
