#pragma once

#include "host/ViewerRecord.h"

class TGIFAnimator;
class TViewerHost;

/// The animated GIF viewer: imgGifImageDisplay joins the IMAGE page (whose
/// still image viewer must be registered first) and shows ".gif" files; a
/// load that succeeds makes it the page's visible image control. Its zoom is
/// kept in the settings.
TViewerRecord GifViewer();

/// Registers the GIF viewer with a host. Returns imgGifImageDisplay.
TGIFAnimator* InstallGifView(TViewerHost& host);
