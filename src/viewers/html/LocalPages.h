#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include "viewers/html/core/LocalFilePolicy.h"

class TGatePasses;

/**
 * The HTML view's page scheme. A local file shown as a document lives at
 * tarvel-file://<key>/<absolute path>, where the key is a keyed hash of the
 * path (unpredictable outside this run): every file is an origin of its own.
 * Relative URLs in a page resolve inside the scheme; the request guard sends
 * each to where its kind belongs (LocalFilePolicy.h). The host "gate" never
 * holds a document: it lets pictures, style sheets and media pass to their
 * files only when the request has no CORS mode.
 */
class TLocalPages {
public:
    static QByteArray Scheme();

    /// Registers the scheme with the engine, once. It must run before the
    /// engine starts (before the first profile is made); it loads nothing
    /// itself. Throws EError when the engine started first.
    static void RegisterScheme();

    /// The address of the file at its own origin.
    static QUrl PageUrl(const QString& path);
    /// The gate's address for the file.
    static QUrl GateUrl(const QString& path);
    static bool IsGate(const QUrl& url);

    /// A file URL (on this machine) or an address of the page scheme.
    static bool IsLocal(const QUrl& url);
    /// The absolute path that a local URL names.
    static QString PathOf(const QUrl& url);

    /// Where a local URL is addressed; a pass on a file URL is used up.
    static TLocalAddress AddressOf(const QUrl& url, TGatePasses& passes);

private:
    static QString keyOf(const QString& path);
};
