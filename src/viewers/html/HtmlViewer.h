#pragma once

#include "host/ViewerRecord.h"

class TViewerHost;

/// The HTML viewer's display page.
inline constexpr QLatin1String kHtmlPage{"HTML"};

/// The HTML viewer: the HTML page for ".htm" and ".html" files, whose caption
/// is the page's title once it has loaded; the page sees keys first.
TViewerRecord HtmlViewer();

/// Registers the HTML viewer with a host.
void InstallHtmlView(TViewerHost& host);
