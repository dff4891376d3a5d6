#pragma once

#include "host/ViewerRecord.h"

class TImageView;
class TViewerHost;

/// The display page of pictures, which the GIF viewer joins.
inline constexpr QLatin1String kImagePage{"IMAGE"};

/// The still image viewer: the IMAGE page (scroll box and zoom buttons) for
/// every picture format of ProgramPictureFormats() (".bmp", ".jpg", ".png",
/// ...), keeping imgImageDisplay's zoom in the settings.
TViewerRecord ImageViewer();

/// Registers the still image viewer with a host. Returns the page's view.
TImageView* InstallImageView(TViewerHost& host);
