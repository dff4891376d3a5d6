#pragma once

#include "host/ViewerRecord.h"

class TImageView;
class TViewerHost;

/// The still image viewer: the IMAGE page (scroll box and zoom buttons) for
/// ".bmp", ".jpg" and ".jpeg" files, keeping imgImageDisplay's zoom in the settings.
TViewerRecord ImageViewer();

/// Registers the still image viewer with a host. Returns the page's view.
TImageView* InstallImageView(TViewerHost& host);
